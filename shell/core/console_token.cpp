// Reading and checking the console's token.
#include "shell/core/console_token.hpp"

#include <cctype>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace vantor::shell {
namespace {

constexpr std::size_t kShortest = 16;

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

}  // namespace

ConsoleToken ConsoleToken::read(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::ostringstream content;
  content << in.rdbuf();
  const std::string text = content.str();
  const std::string_view token = trimmed(text);
  if (token.size() < kShortest) {
    throw std::runtime_error(file.string() + " holds " + std::to_string(token.size()) +
                             " characters; a token needs at least " + std::to_string(kShortest));
  }
  return ConsoleToken(std::string(token));
}

bool ConsoleToken::admits(std::string_view authorization) const {
  constexpr std::string_view kScheme = "Bearer ";
  if (token_.empty() || authorization.size() < kScheme.size()) return false;
  bool scheme = true;
  for (std::size_t i = 0; i < kScheme.size(); ++i) {
    scheme &= std::tolower(static_cast<unsigned char>(authorization[i])) ==
              std::tolower(static_cast<unsigned char>(kScheme[i]));
  }
  const std::string_view given = trimmed(authorization.substr(kScheme.size()));
  // every byte compared whatever the first difference: only the length can show
  unsigned difference = given.size() == token_.size() ? 0 : 1;
  for (std::size_t i = 0; i < given.size(); ++i) {
    difference |= static_cast<unsigned char>(given[i]) ^ static_cast<unsigned char>(token_[i % token_.size()]);
  }
  return scheme && difference == 0;
}

}  // namespace vantor::shell
