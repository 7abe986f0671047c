// The two one-line configuration files beside the program: port.txt and ip.txt.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace vantor::shell {

// The folder that holds the running program's executable.
std::filesystem::path program_folder();

// The text of a file up to its first line break; nullopt when it cannot be read.
std::optional<std::string> first_line(const std::filesystem::path& file);

// An integer, optionally after blanks and a sign, or hexadecimal after "$", "0x" or
// "0X", with nothing after its last digit, reduced to its low 16 bits (70000 -> 4464,
// -1 -> 65535); nullopt when the line is no such integer.
std::optional<std::uint16_t> port_from(std::string_view line);

}  // namespace vantor::shell
