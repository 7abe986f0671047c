// Which version of the program runs: the project version and, when it was built from a
// checkout, the commit.
#pragma once

#include <string>

namespace vantor::shell {

// "1.0.0", or "1.0.0 (commit 1a2b3c4d5e)".
std::string version_text();
// The two apart: "1.0.0", and the commit ("" when not built from a checkout).
std::string version();
std::string commit();

}  // namespace vantor::shell
