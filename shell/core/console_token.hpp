// The operator console's token: a random text in a file only the service and the operator
// read (admin_token_file). Every action carries it as "Authorization: Bearer <token>";
// the browser keeps it for its tab only and sends no cookie, so a page of another site
// can make the browser send nothing that acts.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vantor::shell {

class ConsoleToken {
 public:
  // The token of the file, its surrounding blanks and line break left out. Throws
  // std::runtime_error saying why when the file cannot be read or holds fewer than 16
  // characters (a guessable token is no token).
  static ConsoleToken read(const std::filesystem::path& file);
  explicit ConsoleToken(std::string token) : token_(std::move(token)) {}

  // Whether an Authorization header carries this token; the time it takes does not tell
  // how much of a wrong one was right.
  bool admits(std::string_view authorization) const;

 private:
  std::string token_;
};

}  // namespace vantor::shell
