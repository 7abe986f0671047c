// What the installed procedures, view and triggers do, on an upgraded test database.
#include <gtest/gtest.h>

#include "db/attachment_pool.hpp"
#include "db/catalogue.hpp"
#include "db/db_error.hpp"
#include "db/prepared_query.hpp"
#include "db/session.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::schema {
namespace {

using test::TestDatabase;
using Rows = std::vector<std::vector<std::string>>;

class ServerObjects : public ::testing::Test {
 protected:
  TestDatabase database_;
};

TEST_F(ServerObjects, PpriceFindsTheCodeInEverySource) {
  struct Case {
    const char* id;
    const char* code;
    Rows expected;  // item, descr1, barcode, price1, pack
  } cases[] = {
      {"item code", "A200", {{"A200", "Coffee", "A200", "10", "1"}}},
      {"barcodes pack 6 x 2.5", "6221031", {{"A100", "Green Tea Box 20", "6221031", "15", "6"}}},
      {"barcode1 with its level price", "5012345678900", {{"A100", "Green Tea Box 20", "5012345678900", "24", "12"}}},
      {"barcode2 whose price is 0", "6221999", {}},
      {"barcode3", "7000000000001", {{"B100", "Rice Long grain", "7000000000001", "3", "5"}}},
      {"two items", "DUP1", {{"B100", "Rice Long grain", "DUP1", "4", "10"}, {"B200", "Flour", "DUP1", "4", "2"}}},
      {"nothing", "NOSUCH", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(database_.rows(std::string("select item, descr1, barcode, price1, pack from pprice('") + c.code +
                             "', '%%') order by item"),
              c.expected);
  }
}

TEST_F(ServerObjects, PpriceSumsTheStockOfTheWarehousesMatchingThePattern) {
  EXPECT_EQ(database_.scalar("select qty from pprice('A100', '%%')"), "18.5");
  EXPECT_EQ(database_.scalar("select qty from pprice('A100', '00')"), "15");
  EXPECT_EQ(database_.scalar("select qty from pprice('A100', '00%')"), "18.5");
  EXPECT_EQ(database_.scalar("select qty from pprice('A100', '')"), "<null>");
  EXPECT_EQ(database_.scalar("select discount from pprice('A200', '%%')"), "0.5");
}

TEST_F(ServerObjects, ProductGivesEveryItemWithItsStockInOneWarehouse) {
  EXPECT_EQ(database_.rows("select id, qty from product('00') order by id"), (Rows{{"0000", "0"},
                                                                                   {"A100", "15"},
                                                                                   {"A200", "0"},
                                                                                   {"A300", "100"},
                                                                                   {"A400", "50"},
                                                                                   {"B100", "0"},
                                                                                   {"B200", "20"},
                                                                                   {"C100", "0"}}));
  EXPECT_EQ(database_.rows("select id, qty from product('02') where qty <> 0"), (Rows{{"B100", "30"}}));
}

TEST_F(ServerObjects, VpricesListsEveryNonEmptyPriceLevel) {
  EXPECT_EQ(database_.rows("select priceid, price from vprices where item = 'A100' order by priceid"),
            (Rows{{"0", "2.5"}, {"1", "5"}, {"3", "7"}}));
}

TEST_F(ServerObjects, InventoryTriggersFillTheRowFromTheCode) {
  database_.execute("insert into minventory (deviceid, barcode, qty) values ('T1', '6221031', 3)");
  database_.execute("insert into minventory (deviceid, barcode, qty) values ('T1', 'A200', 1)");
  database_.execute("insert into minventory (deviceid, barcode, qty) values ('T1', 'NOSUCH', 1)");
  database_.execute("insert into minventory (id, deviceid, barcode, qty) values (999, 'T2', 'A300', 1)");
  EXPECT_EQ(database_.rows("select barcode, item, descr1, pack from minventory order by barcode"),
            (Rows{{"6221031", "A100", "Green Tea Box 20", "6"},
                  {"A200", "A200", "Coffee", "1"},
                  {"A300", "A300", "Sugar", "1"},
                  {"NOSUCH", "<null>", "<null>", "<null>"}}));
  EXPECT_EQ(database_.scalar("select count(*) from minventory where id = 999"), "1");
  EXPECT_EQ(database_.scalar("select count(distinct id) from minventory"), "4");
}

TEST_F(ServerObjects, MyinvWritesTheHeaderUnderSiwsAndReplacesIt) {
  database_.execute("execute procedure myinv('1001', '77', '41001', '01', 100, 15, 115, '2024-11-05', 'ok', 1, 12, 0)");
  database_.execute("execute procedure myinv('1001', '78', '41001', '01', 100, 1, 115, '2024-11-05', 'ok', 1, 12, 7)");
  EXPECT_EQ(database_.rows("select id, ref, vat, contact, currval, currvallc, netlc, pricetype, job, ssid, user_, "
                           "yesno, ftype from invoice where id starting with 'SIWS'"),
            (Rows{{"SIWS1001", "78", "0", "7", "3", "3", "345", "2", "3", "SALE01", "MOB", "ALL", "12"}}));
  database_.execute("execute procedure myinv('1002', '1', '41001', '01', 0, 1.5, 0, '2024-11-05', 'x', 1, 12, 0)");
  EXPECT_EQ(database_.rows("select vat, contact from invoice where id = 'SIWS1002'"), (Rows{{"1.5", "44"}}));
  database_.execute("execute procedure myinv('1003', '1', 'NOSUCH', '01', 0, 0, 0, '2024-11-05', 'x', 1, 12, 0)");
  EXPECT_EQ(database_.rows("select pricetype, job, contact from invoice where id = 'SIWS1003'"),
            (Rows{{"<null>", "<null>", "<null>"}}));
  EXPECT_THROW(database_.execute("execute procedure myinv('12345678901234567', '1', '41001', '01', 0, 0, 0, "
                                 "'2024-11-05', 'x', 1, 12, 0)"),
               db::DbError);
  EXPECT_EQ(database_.scalar("select count(*) from invoice where id starting with 'SIWS'"), "3");
}

TEST_F(ServerObjects, MyiteWritesTheLineFromItsHeaderAndItem) {
  database_.execute("execute procedure myinv('1001', '77', '41001', '01', 100, 15, 115, '2024-11-05', 'ok', 1, 12, 0)");
  database_.execute("execute procedure myite(5, '1001', 'A100', 2, 10, 0, 99, 3, 23, '', '77')");
  EXPECT_EQ(
      database_.rows("select id, mid, item, site, qty, allqty, vat, fdate, sid, contact, ftype, currval, "
                     "boneno, pack from items where id = 85000005"),
      (Rows{{"85000005", "SIWS1001", "A100", "01", "2", "2", "11", "2024-11-05", "41001", "0", "12", "3", "77", "1"}}));
  database_.execute("update stock set pack = 6 where item = 'A100'");
  database_.execute("execute procedure myite(5, '1001', 'A100', 2, 10, 0, 99, 3, 23, '02', null)");
  EXPECT_EQ(database_.rows("select site, allqty, pack, boneno from items where id = 85000005"),
            (Rows{{"02", "12", "6", ""}}));
  database_.execute("execute procedure myite(6, 'NOHEADER', 'NOSUCH', 1, 1, 0, 4.5, 0, 1, '', '')");
  EXPECT_EQ(database_.rows("select vat, pack, fdate, sid, site from items where id = 85000006"),
            (Rows{{"4.5", "<null>", "<null>", "<null>", "<null>"}}));
}

TEST_F(ServerObjects, MobrserveWritesOneGuestRowWithTheRoomsRate) {
  database_.execute("execute procedure mobrserve(8000015, 'Ali', '555', '2024-11-05', '2024-11-08', 12, 0, null)");
  database_.execute("execute procedure mobrserve(8000015, 'Ali B', '556', '2024-11-05', '2024-11-08', 12, 0, 2)");
  EXPECT_EQ(database_.rows("select cname, roomrate, mid, mname, user_, person from customer where cid = 8000015"),
            (Rows{{"Ali B", "80", "3", "Reservation", "WEB", "2"}}));
  database_.execute("execute procedure mobrserve(8000016, 'X', '1', '2024-11-05', '2024-11-08', 99, 42, null)");
  EXPECT_EQ(database_.rows("select roomrate, person from customer where cid = 8000016"), (Rows{{"42", "1"}}));
}

TEST_F(ServerObjects, DoroomMarksRoomsBookedInTheRange) {
  const auto marks = [&](const char* from, const char* to) {
    database_.rows(std::string("select * from doroom('") + from + "', '" + to + "')", test::Access::Write);
    return database_.rows("select rno, coalesce(n1, '-') from room order by rno");
  };
  // room 5: 5-10 June; room 14: 25 May-20 June (spans the range, so it is booked too);
  // room 7: kind 2 on 2-3 June; room 14 also has a kind 2 row that names it only by RRNO
  EXPECT_EQ(marks("2024-06-01", "2024-06-07"), (Rows{{"5", "*"}, {"7", "*"}, {"12", "-"}, {"14", "*"}}));
  EXPECT_EQ(marks("2024-06-10", "2024-06-30"), (Rows{{"5", "*"}, {"7", "-"}, {"12", "-"}, {"14", "*"}}));
  EXPECT_EQ(marks("2024-06-07", "2024-06-01"), (Rows{{"5", "-"}, {"7", "-"}, {"12", "-"}, {"14", "-"}}));
}

TEST_F(ServerObjects, EveryCatalogueStatementPrepares) {
  db::AttachmentPool pool(database_.connection_string(), 1);
  auto lease = pool.borrow();
  db::DbSession session(*lease);
  for (const auto& def : db::catalogue()) {
    if (def.id == db::Query::ClientStatement) continue;
    SCOPED_TRACE(std::string(def.name));
    EXPECT_NO_THROW(db::PreparedQuery(lease->attachment, session.read_transaction(), def.text));
  }
}

}  // namespace
}  // namespace vantor::schema
