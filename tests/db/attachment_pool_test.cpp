// The pool checks every attachment it lends and attaches anew when one is gone.
#include <gtest/gtest.h>

#include "db/attachment_pool.hpp"
#include "db/catalogue.hpp"
#include "db/db_error.hpp"
#include "db/session.hpp"
#include "db/transaction.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::db {
namespace {

using test::TestDatabase;

std::int64_t attachment_id(AttachmentPool& pool) {
  auto lease = pool.borrow();
  DbSession session(*lease);
  const QueryDef def{.name = "id", .text = "select current_connection from rdb$database"};
  auto cursor = session.open(def, {});
  cursor->next();
  return cursor->cell(0).whole;
}

TEST(AttachmentPool, ReusesALiveAttachment) {
  TestDatabase database;
  AttachmentPool pool(database.connection_string(), 1);
  const auto first = attachment_id(pool);
  EXPECT_EQ(attachment_id(pool), first);
  EXPECT_EQ(pool.attach_count(), 1u);
}

TEST(AttachmentPool, AttachesAnewWhenTheServerKilledTheAttachment) {
  TestDatabase database;
  AttachmentPool pool(database.connection_string(), 1);
  const auto first = attachment_id(pool);
  database.execute("delete from mon$attachments where mon$attachment_id = " + std::to_string(first));
  const auto second = attachment_id(pool);
  EXPECT_NE(second, first);
  EXPECT_EQ(pool.attach_count(), 2u);
}

TEST(AttachmentPool, BorrowFailsWithTheClientsMessageWhenTheDatabaseIsMissing) {
  AttachmentPool pool("localhost:/nonexistent/vantor/none.fdb", 1);
  try {
    pool.borrow();
    FAIL() << "no failure";
  } catch (const DbError& failure) {
    EXPECT_NE(std::string(failure.what()).find("none.fdb"), std::string::npos) << failure.what();
  }
  // the slot came back: a second borrow fails the same way instead of waiting forever
  EXPECT_THROW(pool.borrow(), DbError);
}

TEST(AttachmentPool, DetachAllDropsIdleAttachments) {
  TestDatabase database;
  AttachmentPool pool(database.connection_string(), 2);
  attachment_id(pool);
  pool.detach_all();
  EXPECT_EQ(database.scalar("select count(*) from mon$attachments where mon$attachment_id <> current_connection "
                            "and mon$remote_protocol is not null"),
            "0");
  attachment_id(pool);
  EXPECT_EQ(pool.attach_count(), 2u);
}

TEST(Transactions, NoWaitFailsAtOnceOnALockConflict) {
  TestDatabase database;
  auto holder = Attachment::attach(database.connection_string());
  Transaction holding(holder, TransactionKind::ReadWrite);
  holder.execute_immediate(holding, "update room set n1 = 'x' where rno = 5");

  auto other = Attachment::attach(database.connection_string());
  Transaction no_wait(other, TransactionKind::ReadWriteNoWait);
  try {
    other.execute_immediate(no_wait, "update room set n1 = 'y' where rno = 5");
    FAIL() << "no conflict";
  } catch (const DbError& failure) {
    EXPECT_NE(std::string(failure.what()).find("update conflicts with concurrent update"), std::string::npos)
        << failure.what();
  }
}

}  // namespace
}  // namespace vantor::db
