// Building the parameter list.
#include "http/param_list.hpp"

#include "http/charset.hpp"
#include "text/ascii.hpp"
#include "text/utf8.hpp"

namespace vantor::http {
namespace {

int hex_value(std::string_view text, std::size_t pos, std::size_t digits) {
  if (pos + digits > text.size()) return -1;
  int value = 0;
  for (std::size_t i = 0; i < digits; ++i) {
    const int digit = text::hex_digit(text[pos + i]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

// Collects UTF-16 code units of %u escapes, pairing surrogates.
class CodeUnits {
 public:
  void add(char16_t unit, std::string& out) {
    if (high_ != 0 && unit >= 0xDC00 && unit <= 0xDFFF) {
      text::append_utf8(0x10000 + ((high_ - 0xD800) << 10) + (unit - 0xDC00), out);
      high_ = 0;
      return;
    }
    flush(out);
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      high_ = unit;
    } else {
      text::append_utf8(unit >= 0xDC00 && unit <= 0xDFFF ? text::kReplacementCharacter : unit, out);
    }
  }
  void flush(std::string& out) {
    if (high_ != 0) text::append_utf8(text::kReplacementCharacter, out);
    high_ = 0;
  }

 private:
  char16_t high_ = 0;
};

}  // namespace

std::string decode_entry(std::string_view entry, std::string_view charset) {
  std::string out;
  std::string bytes;
  CodeUnits units;
  const auto flush_bytes = [&] {
    if (bytes.empty()) return;
    units.flush(out);
    append_decoded(bytes, charset, out);
    bytes.clear();
  };
  for (std::size_t pos = 0; pos < entry.size();) {
    const char c = entry[pos];
    if (c == '%' && pos + 1 < entry.size() && (entry[pos + 1] == 'u' || entry[pos + 1] == 'U')) {
      const int unit = hex_value(entry, pos + 2, 4);
      if (unit >= 0) {
        flush_bytes();
        units.add(static_cast<char16_t>(unit), out);
        pos += 6;
        continue;
      }
    }
    if (c == '%') {
      const int byte = hex_value(entry, pos + 1, 2);
      if (byte >= 0) {
        bytes.push_back(static_cast<char>(byte));
        pos += 3;
        continue;
      }
    }
    bytes.push_back(c == '+' ? ' ' : c);
    ++pos;
  }
  flush_bytes();
  units.flush(out);
  return out;
}

std::string_view path_of(std::string_view target) { return target.substr(0, target.find('?')); }

std::vector<std::string> build_param_list(std::string_view target, std::string_view content_type,
                                          std::string_view body) {
  const std::size_t question = target.find('?');
  const std::string_view query = question == std::string_view::npos ? std::string_view{} : target.substr(question + 1);
  std::string source;
  if (media_type_of(content_type) == "application/x-www-form-urlencoded") {
    source = body;
    if (!query.empty()) {
      source += '&';
      source += query;
    }
  } else {
    source = query;
  }
  const std::string charset = charset_of(content_type);
  std::vector<std::string> entries;
  std::size_t start = 0;
  while (start < source.size()) {
    const std::size_t amp = source.find('&', start);
    const std::size_t end = amp == std::string::npos ? source.size() : amp;
    entries.push_back(decode_entry(std::string_view(source).substr(start, end - start), charset));
    if (amp == std::string::npos) break;
    start = amp + 1;
    if (start == source.size()) break;  // a trailing "&" adds nothing
  }
  return entries;
}

}  // namespace vantor::http
