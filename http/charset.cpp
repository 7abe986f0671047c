// Character sets of request parameters.
#include "http/charset.hpp"

#include <iconv.h>

#include <cerrno>

#include "text/ascii.hpp"
#include "text/latin1.hpp"
#include "text/utf8.hpp"

namespace vantor::http {
namespace {

std::string_view trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

void append_valid_utf8(std::string_view bytes, std::string& out) {
  text::for_each_code_point(bytes, [&](char32_t cp) { text::append_utf8(cp, out); });
}

// false when iconv does not know the character set
bool append_with_iconv(std::string_view bytes, const std::string& charset, std::string& out) {
  iconv_t converter = iconv_open("UTF-8", charset.c_str());
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  std::string buffer(bytes.size() * 4 + 16, '\0');
  while (in_left > 0) {
    char* target = buffer.data();
    std::size_t target_left = buffer.size();
    const std::size_t result = iconv(converter, &in, &in_left, &target, &target_left);
    out.append(buffer.data(), buffer.size() - target_left);
    if (result == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      text::append_utf8(text::kReplacementCharacter, out);  // skip one undecodable byte
      ++in;
      --in_left;
    }
  }
  iconv_close(converter);
  return true;
}

}  // namespace

void append_decoded(std::string_view bytes, std::string_view charset, std::string& out) {
  const std::string name = text::ascii_lowercase(charset);
  if (name == "utf-8" || name == "utf8") {
    append_valid_utf8(bytes, out);
  } else if (name.empty() || name == "iso-8859-1" || name == "latin1" || !append_with_iconv(bytes, name, out)) {
    text::append_latin1_as_utf8(bytes, out);
  }
}

std::string charset_of(std::string_view content_type) {
  std::size_t pos = content_type.find(';');
  while (pos != std::string_view::npos) {
    std::string_view parameter = content_type.substr(pos + 1);
    const std::size_t next = parameter.find(';');
    const std::string_view item = trim(parameter.substr(0, next));
    const std::size_t equals = item.find('=');
    if (equals != std::string_view::npos && text::iequals(trim(item.substr(0, equals)), "charset")) {
      std::string_view value = trim(item.substr(equals + 1));
      if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
      return std::string(value);
    }
    pos = next == std::string_view::npos ? next : pos + 1 + next;
  }
  return {};
}

std::string media_type_of(std::string_view content_type) {
  return text::ascii_lowercase(trim(content_type.substr(0, content_type.find(';'))));
}

}  // namespace vantor::http
