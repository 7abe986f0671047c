// The operator console in a real browser: Debian's chromium, driven by puppeteer-core
// (tests/browser/console_test.mjs), against the console program on a test database.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "tests/support/run_command.hpp"
#include "tests/support/server_process.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::test {
namespace {

constexpr const char* kToken = "c0ffee0123456789abcdef0123456789";

std::string from_environment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : fallback;
}

TEST(OperatorConsole, WatchesAndActsInARealBrowser) {
  TestDatabase database;
  ServerProcess server("8103", database.connection_string(), "vantor-server",
                       {.vantor_conf = "admin = 127.0.0.1:8104\nadmin_token_file = token.txt\n",
                        .files = {{"token.txt", std::string(kToken) + "\n"}}});
  ASSERT_TRUE(server.wait_for_output("admin on")) << server.output() << server.error();
  const std::filesystem::path source = from_environment("VANTOR_SOURCE_DIR", VANTOR_SOURCE_DIR_DEFAULT);
  const std::filesystem::path binary = from_environment("VANTOR_BINARY_DIR", VANTOR_BINARY_DIR_DEFAULT);
  const auto [output, status] =
      run_command("cd " + (source / "tests/browser").string() + " && node console_test.mjs http://127.0.0.1:8104 " +
                  "http://127.0.0.1:8103 " + kToken + " " + (binary / "operator-console.png").string());
  std::cout << output;
  EXPECT_EQ(status, 0) << server.error();
  EXPECT_NE(output.find("\nok\n"), std::string::npos);
}

}  // namespace
}  // namespace vantor::test
