// The version the build declared.
#include "shell/core/version.hpp"

namespace vantor::shell {

std::string version() { return VANTOR_VERSION; }

std::string commit() { return VANTOR_COMMIT; }

std::string version_text() {
  std::string text = version();
  if (!commit().empty()) text += " (commit " + commit() + ")";
  return text;
}

}  // namespace vantor::shell
