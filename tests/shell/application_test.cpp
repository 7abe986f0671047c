// The application around the upgrade: requests held off while it runs, and the pool
// attached afresh after it, since prepared statements would keep the old objects in use.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/test_server.hpp"

namespace vantor::shell {
namespace {

TEST(Application, TheUpgradeRunsWithRequestsHeldOffAndThePoolAttachesAfresh) {
  test::TestServer server;
  server.pool().borrow();  // an attachment with statements would keep the objects in use
  const auto attaches = server.pool().attach_count();
  server.application().RzBitBtn2Click();
  const auto lines = server.front().lines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "update finished"), lines.end());
  server.pool().borrow();
  EXPECT_EQ(server.pool().attach_count(), attaches + 1);
  EXPECT_EQ(server.body("/whqty?code=A100").substr(0, 2), "[{");
}

}  // namespace
}  // namespace vantor::shell
