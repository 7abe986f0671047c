// Running a command from a test.
#include "tests/support/run_command.hpp"

#include <sys/wait.h>

#include <array>
#include <cstdio>

namespace vantor::test {

std::pair<std::string, int> run_command(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return {"cannot start: " + command, -1};
  std::array<char, 4096> buffer{};
  while (std::fgets(buffer.data(), buffer.size(), pipe) != nullptr) output += buffer.data();
  const int status = pclose(pipe);
  return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

}  // namespace vantor::test
