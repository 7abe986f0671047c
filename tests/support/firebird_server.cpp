// Runs scripts/firebird_ctl.sh.
#include "tests/support/firebird_server.hpp"

#include <cstdlib>
#include <stdexcept>
#include <string>

namespace vantor::test {
namespace {

void control(const char* action) {
  const char* source = std::getenv("VANTOR_SOURCE_DIR");
  const std::string command =
      std::string(source != nullptr ? source : VANTOR_SOURCE_DIR_DEFAULT) + "/scripts/firebird_ctl.sh " + action;
  if (std::system(command.c_str()) != 0) throw std::runtime_error("cannot " + std::string(action) + " Firebird");
}

}  // namespace

void stop_firebird() { control("stop"); }
void start_firebird() { control("start"); }

}  // namespace vantor::test
