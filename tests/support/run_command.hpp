// Runs a shell command for a test: what it printed (standard output and error together)
// and its exit status (-1 when it did not exit).
#pragma once

#include <string>
#include <utility>

namespace vantor::test {

std::pair<std::string, int> run_command(const std::string& command);

}  // namespace vantor::test
