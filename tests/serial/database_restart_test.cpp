// With the database server down every request gets the empty answer; once it is back,
// requests succeed again without restarting anything.
#include <gtest/gtest.h>

#include "tests/support/firebird_server.hpp"
#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

TEST(DatabaseRestart, EmptyAnswersWhileDownThenRecovery) {
  TestServer server;
  ASSERT_EQ(server.body("/stores").substr(0, 2), "[{");
  {
    FirebirdRestartGuard restart;
    stop_firebird();
    for (const char* target : {"/stores", "/nothing"}) {
      const auto response = server.get(target);
      EXPECT_EQ(response.header_lines_without_date(), "Connection: close|Content-Length: 0|Date");
    }
  }
  EXPECT_EQ(server.body("/stores").substr(0, 2), "[{");
  EXPECT_EQ(server.body("/nothing"), "Bye Bye ");
}

}  // namespace
}  // namespace vantor::test
