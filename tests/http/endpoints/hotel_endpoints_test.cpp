// Room reservations and payments over HTTP.
#include <gtest/gtest.h>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

TEST(HotelEndpoints, ReservationExampleInEveryDateForm) {
  TestServer server;
  for (const char* dates : {"fromdate=05/11/2024&todate=08/11/2024", "fromdate=05-11-2024&todate=08.11.2024"}) {
    SCOPED_TRACE(dates);
    const auto response = server.get(std::string("/reserve?id=15&name=Ali&tel=555123&") + dates + "&room=12&guests=2");
    EXPECT_EQ(response.body, "Qty Entry  Done");
    EXPECT_EQ(response.header("Content-Type"), "text/json; charset=utf-8");
    EXPECT_EQ(server.database().rows("select cid, cname, ctel, cfromdate, ctodate, rrno, roomrate, person, mid "
                                     "from customer where cid = 8000015"),
              (Rows{{"8000015", "Ali", "555123", "2024-11-05", "2024-11-08", "12", "80", "2", "3"}}));
  }
}

TEST(HotelEndpoints, ReservationFailuresWriteNothing) {
  TestServer server;
  for (const char* target :
       {"/reserve?id=15&name=Ali&tel=1&fromdate=5/11/2024&todate=08/11/2024&room=12&guests=2",
        "/reserve?id=15&name=Ali&tel=1&fromdate=05/11/2024&todate=08/11/2024&room=12&guests=two",
        "/reserve?id=x&name=Ali&tel=1&fromdate=05/11/2024&todate=08/11/2024&room=12&guests=2",
        "/reserve?id=15&name=Ali&tel=1&fromdate=31/02/2024&todate=08/11/2024&room=12&guests=2", "/reserve"}) {
    SCOPED_TRACE(target);
    EXPECT_EQ(server.body(target), "Some Error !!");
  }
  EXPECT_EQ(server.database().scalar("select count(*) from customer where cid = 8000015"), "0");
}

TEST(HotelEndpoints, TheIdOffsetWrapsIn32Bits) {
  TestServer server;
  EXPECT_EQ(server.body("/reserve?id=2147483647&name=W&tel=1&fromdate=05/11/2024&todate=08/11/2024&room=99&guests=1"),
            "Qty Entry  Done");
  EXPECT_EQ(server.database().scalar("select cid from customer where cname = 'W'"), "-2139483649");
}

TEST(HotelEndpoints, PaymentExample) {
  TestServer server;
  EXPECT_EQ(server.body("/paym?id=3&rate=1&adate=05/11/2024&amount=250.5&note=cash&custid=15"), "Qty Entry  Done");
  EXPECT_EQ(server.database().rows("select myid, rate, mydate, amount, note, cid from receipts"),
            (Rows{{"8000003", "1", "2024-11-05", "250.5", "cash", "8000015"}}));
  EXPECT_EQ(server.body("/paym?id=4&rate=1&adate=2024-11-05&amount=1&note=x&custid=15"), "Some Error !!");
  EXPECT_EQ(server.body("/paym?id=4&rate=1&adate=05/11/2024&amount=-1&note=x&custid=15"), "Some Error !!");
  EXPECT_EQ(server.database().scalar("select count(*) from receipts"), "1");
}

TEST(HotelEndpoints, PaymentWithoutTheProcedureGivesTheErrorAnswer) {
  TestServer server;
  server.database().execute("drop procedure receiptrec");
  EXPECT_EQ(server.body("/paym?id=3&rate=1&adate=05/11/2024&amount=250.5&note=cash&custid=15"), "Some Error !!");
}

}  // namespace
}  // namespace vantor::test
