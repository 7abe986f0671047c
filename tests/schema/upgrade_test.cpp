// The schema upgrade on databases in different states.
#include <gtest/gtest.h>

#include "db/db_error.hpp"
#include "schema/schema_objects.hpp"
#include "schema/upgrade.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::schema {
namespace {

using test::TestDatabase;
using Rows = std::vector<std::vector<std::string>>;

std::string objects(const TestDatabase& database) {
  std::string list;
  for (const auto& row : database.rows(
           "select trim(rdb$procedure_name) from rdb$procedures where rdb$system_flag = 0 and rdb$procedure_name in "
           "('PPRICE','PRODUCT','MYINV','MYITE','MOBRSERVE','DOROOM') order by 1")) {
    list += row[0] + " ";
  }
  list += "| " + database.scalar("select count(*) from rdb$relations where rdb$relation_name = 'VPRICES'");
  list += " | " + database.scalar("select count(*) from rdb$relation_fields where rdb$relation_name = 'MINVENTORY'");
  list += " | ";
  for (const auto& row :
       database.rows("select trim(rdb$trigger_name), iif(rdb$trigger_source containing 'PPRICE', 'final', 'first') "
                     "from rdb$triggers where rdb$relation_name = 'MINVENTORY' order by 1")) {
    list += row[0] + ":" + row[1] + " ";
  }
  return list;
}

SchemaUpgrade upgrade_of(const TestDatabase& database) { return SchemaUpgrade(database.connection_string(), {}); }

TEST(SchemaUpgrade, TwoRunsInstallEverythingOnADatabaseWithoutTheObjects) {
  TestDatabase database(test::Template::Erp);
  auto upgrade = upgrade_of(database);

  std::vector<std::string> told;
  const auto first = upgrade.run([&](const std::string& line) { told.push_back(line); });
  EXPECT_EQ(told, std::vector<std::string>{"update starting: no other attachments to the database"});
  EXPECT_TRUE(first.finished);
  // columns and steps that come before the table exists leave a partial installation
  EXPECT_EQ(objects(database), "MYINV MYITE PPRICE | 1 | 6 | ");
  // the end line names what is missing, and why when a statement said so
  EXPECT_EQ(first.message.substr(0, 150),
            "update finished: PRODUCT not installed; MOBRSERVE not installed; DOROOM not installed; "
            "MINVENTORYTRIGGER1 not installed: unsuccessful metadata update;");

  const auto second = upgrade.run();
  EXPECT_TRUE(second.finished);
  EXPECT_EQ(second.message, "update finished");
  const std::string complete =
      "DOROOM MOBRSERVE MYINV MYITE PPRICE PRODUCT | 1 | 9 | MINVENTORYTRIGGER1:final MINVENTORYTRIGGER2:final ";
  EXPECT_EQ(objects(database), complete);
  EXPECT_EQ(database.rows("select trim(f.rdb$field_name), f.rdb$field_position from rdb$relation_fields f "
                          "where f.rdb$relation_name = 'MINVENTORY' order by f.rdb$field_position"),
            (Rows{{"ID", "0"},
                  {"DEVICEID", "1"},
                  {"BARCODE", "2"},
                  {"QTY", "3"},
                  {"DESCR1", "4"},
                  {"COSTUS", "5"},
                  {"NOTE", "6"},
                  {"PACK", "7"},
                  {"ITEM", "8"}}));
  EXPECT_EQ(database.scalar("select f.rdb$field_length from rdb$relation_fields r join rdb$fields f on "
                            "f.rdb$field_name = r.rdb$field_source where r.rdb$relation_name = 'MINVENTORY' and "
                            "r.rdb$field_name = 'DESCR1'"),
            "102");
  EXPECT_EQ(database.rows("select trim(rdb$index_name) from rdb$indices where rdb$relation_name = 'MINVENTORY' "
                          "and rdb$index_name starting with 'MINVENTORY' order by 1"),
            (Rows{{"MINVENTORYINDEX1"}, {"MINVENTORYINDEX2"}, {"MINVENTORYPRIMARYKEY1"}}));
  EXPECT_EQ(database.scalar("select trim(rdb$constraint_type) from rdb$relation_constraints "
                            "where rdb$constraint_name = 'MINVENTORYPRIMARYKEY1'"),
            "PRIMARY KEY");

  EXPECT_TRUE(upgrade.run().finished);
  EXPECT_EQ(objects(database), complete);
}

TEST(SchemaUpgrade, ARunOnACompleteInstallationReplacesObjectsButKeepsDoroomAndQuantities) {
  TestDatabase database;
  database.execute(
      "alter procedure DOROOM (FROMDATE DATE, TODATE DATE) returns (RNO INTEGER) as "
      "begin /* kept */ rno = 1; suspend; end");
  database.execute(
      "alter procedure MOBRSERVE (CID integer, CNAME VARCHAR(50), CTEL VARCHAR(30), CFROMDATE DATE, "
      "CTODATE DATE, RRNO INTEGER, ROOMRATE DOUBLE PRECISION, GUESTS INTEGER) as begin /* old */ end");
  database.execute("insert into minventory (id, deviceid, barcode, qty) values (1, 'T1', '6221031', 5)");
  // an item renamed after the count was taken: the upgrade recomputes the row from the stock
  database.execute("update stock set descr1 = 'Green Tea Renamed' where item = 'A100'");
  database.execute("update barcodes set pack = 8 where barcode = '6221031'");

  const auto outcome = upgrade_of(database).run();
  EXPECT_TRUE(outcome.finished) << outcome.message;
  EXPECT_EQ(outcome.message, "update finished: DOROOM kept: the database's own version");

  EXPECT_NE(database.scalar("select rdb$procedure_source from rdb$procedures where rdb$procedure_name = 'DOROOM'")
                .find("/* kept */"),
            std::string::npos);
  EXPECT_EQ(database.scalar("select rdb$procedure_source from rdb$procedures where rdb$procedure_name = 'MOBRSERVE'")
                .find("/* old */"),
            std::string::npos);
  EXPECT_EQ(database.rows("select id, qty, item, descr1, pack from minventory"),
            (Rows{{"1", "5", "A100", "Green Tea Renamed", "8"}}));
}

TEST(SchemaUpgrade, AnInstalledDoroomOfTheEarlierTextIsReplacedWithTheMendedOne) {
  TestDatabase database;
  // the earlier body, stored with CR LF line breaks as a Windows client would have sent it
  const std::string text(schema_object(Object::DoRoom).text);
  std::string earlier = "ALTER" + text.substr(6, text.find("BEGIN") - 6) + std::string(earlier_doroom_body());
  for (std::size_t at = earlier.find('\n'); at != std::string::npos; at = earlier.find('\n', at + 2)) {
    earlier.replace(at, 1, "\r\n");
  }
  database.execute(earlier);
  const std::string spanning = "select coalesce(n1, '-') from room where rno = 14";
  database.rows("select * from doroom('2024-06-01', '2024-06-07')", test::Access::Write);
  EXPECT_EQ(database.scalar(spanning), "-");  // the earlier text misses the booking across the range

  EXPECT_TRUE(upgrade_of(database).run().finished);
  database.rows("select * from doroom('2024-06-01', '2024-06-07')", test::Access::Write);
  EXPECT_EQ(database.scalar(spanning), "*");
}

TEST(SchemaUpgrade, AProcedureBeingEditedElsewhereIsReportedNotReplacedWithTheConflict) {
  TestDatabase database;
  std::string earlier(schema_object(Object::DoPrice).text);
  earlier.replace(0, 6, "ALTER");
  earlier.insert(earlier.find("BEGIN") + 5, " /* earlier */");
  database.execute(earlier);
  // an ERP admin's uncommitted edit of the procedure
  test::RowLock editing(database, "comment on procedure PPRICE is 'being edited'");
  db::DatabaseSettings quick;
  quick.lock_timeout = std::chrono::seconds(1);
  const auto outcome = SchemaUpgrade(database.connection_string(), quick).run();
  EXPECT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.message.rfind("update finished: PPRICE not replaced: ", 0), 0u) << outcome.message;
  EXPECT_EQ(outcome.message.find("already exists"), std::string::npos) << outcome.message;
}

TEST(SchemaUpgrade, NothingIsDroppedWhenTheDdlConnectionCannotOpen) {
  TestDatabase database;
  const std::string connection = database.connection_string();
  SchemaUpgrade upgrade([connection] { return db::Attachment::attach(connection); },
                        [] { return db::Attachment::attach("localhost:/nonexistent/vantor/none.fdb"); });
  const auto before = objects(database);
  const auto outcome = upgrade.run();
  EXPECT_FALSE(outcome.finished);
  EXPECT_NE(outcome.message.find("nothing changed"), std::string::npos) << outcome.message;
  EXPECT_EQ(objects(database), before);
}

}  // namespace
}  // namespace vantor::schema
