// The parameter list from any target, content type and body: no crash, and every entry
// is valid UTF-8 whatever bytes arrive.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "http/param_list.hpp"
#include "http/request_helpers.hpp"
#include "text/utf8.hpp"

namespace {

constexpr std::string_view kContentTypes[] = {
    "",
    "application/x-www-form-urlencoded",
    "application/x-www-form-urlencoded; charset=utf-8",
    "text/plain; charset=windows-1256",
    "text/plain; charset=\"no-such\"",
    "text/plain; charset=UTF-16",
};

bool valid_utf8(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t before = pos;
    const char32_t cp = vantor::text::next_code_point(text, pos);
    if (cp == vantor::text::kReplacementCharacter && text.substr(before, 3) != "\xEF\xBF\xBD") return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view content_type = kContentTypes[data[0] % std::size(kContentTypes)];
  const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const std::size_t split = rest.find('\n');
  const std::string_view target = rest.substr(0, split);
  const std::string_view body = split == std::string_view::npos ? std::string_view{} : rest.substr(split + 1);
  const vantor::http::ParamList params(vantor::http::build_param_list(target, content_type, body));
  for (const auto& entry : params.entries()) {
    if (!valid_utf8(entry)) __builtin_trap();
  }
  for (std::size_t i = 0; i < 3; ++i) params.PositionalParam(i, 5);
  params.NamedParam("id");
  return 0;
}
