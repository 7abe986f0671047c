// After the database server restarts, borrowing works again without restarting us.
#include <gtest/gtest.h>

#include "db/attachment_pool.hpp"
#include "db/db_error.hpp"
#include "db/session.hpp"
#include "tests/support/firebird_server.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::db {
namespace {

bool select_one(AttachmentPool& pool) {
  auto lease = pool.borrow();
  DbSession session(*lease);
  const QueryDef def{.name = "one", .text = "select 1 from rdb$database"};
  return session.open(def, {})->next();
}

TEST(PoolRestart, BorrowFailsWhileTheServerIsDownAndRecoversAfter) {
  test::TestDatabase database;
  AttachmentPool pool(database.connection_string(), 2);
  ASSERT_TRUE(select_one(pool));
  {
    test::FirebirdRestartGuard restart;
    test::stop_firebird();
    EXPECT_THROW(select_one(pool), DbError);
    EXPECT_THROW(select_one(pool), DbError);
  }
  EXPECT_TRUE(select_one(pool));
  EXPECT_TRUE(select_one(pool));
}

}  // namespace
}  // namespace vantor::db
