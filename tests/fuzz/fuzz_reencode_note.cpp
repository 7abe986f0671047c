// ReencodeNote on any text: never fails, and gives one character per byte (U+0000 to
// U+00FF) of valid UTF-8.
#include <cstddef>
#include <cstdint>
#include <string>

#include "encode/reencode_note.hpp"
#include "text/latin1.hpp"
#include "text/utf8.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // what the request front delivers: one character per received byte
  const std::string received =
      vantor::text::latin1_to_utf8(std::string_view(reinterpret_cast<const char*>(data), size));
  const std::string note = vantor::encode::ReencodeNote(received);
  std::size_t pos = 0;
  while (pos < note.size()) {
    if (vantor::text::next_code_point(note, pos) > 0xFF) __builtin_trap();
  }
  return 0;
}
