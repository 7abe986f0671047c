// The version the build declared.
#include "shell/core/version.hpp"

namespace vantor::shell {

std::string version_text() {
  std::string text = VANTOR_VERSION;
  const std::string commit = VANTOR_COMMIT;
  if (!commit.empty()) text += " (commit " + commit + ")";
  return text;
}

}  // namespace vantor::shell
