// Sales reports and free rooms over HTTP.
#include <gtest/gtest.h>

#include <future>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

TestServer& server() {
  static TestServer instance;
  return instance;
}

TEST(ReportEndpoints, SalesSummaryWithProfit) {
  EXPECT_EQ(
      server().body("/sales?fromdate=01/01/2024&todate=31/01/2024"),
      R"([{"item":"A100","descr1":"Green Tea","ftype":"Sale","jobname":"Job 3","sname":"Ali Hassan",)"
      R"("departname":"Drinks","categoryname":"Drinks","subcat1name":"Tea","suppliers":"53001",)"
      R"("contactname":"Contact 44","site":"00","allqty":-4.00,"total":20.00,"totalcost":6.00,"profit":14.00},)"
      R"({"item":"A200","descr1":"Coffee","ftype":"Sale","jobname":"Job 3","sname":"Ali Hassan",)"
      R"("departname":"Drinks","categoryname":"Drinks","subcat1name":"Coffee","suppliers":"NOSUCH",)"
      R"("contactname":"Contact 44","site":"00","allqty":-8.00,"total":80.00,"totalcost":48.00,"profit":32.00}])");
  EXPECT_EQ(server().body("/sales"), "Some Error !!");
  EXPECT_EQ(server().body("/sales?fromdate=2024-01-01&todate=31/01/2024"), "Some Error !!");
}

TEST(ReportEndpoints, SalesDetailKeepsTheServersColumnNames) {
  EXPECT_EQ(server().body("/invoice?fromdate=01/02/2024&todate=29/02/2024"),
            R"([{"item":"A100","descr1":"Green Tea","ftype":"Sale","jobname":"Job 4","sname":"O Brien Stores",)"
            R"("departname":"Drinks","categoryname":"Drinks","subcat1name":"Tea","suppliers":"53001",)"
            R"("contactname":"Contact 45","fdate":"2024-02-10","site":"00","allqty":-6.00,"divide":-120.00,)"
            R"("totalcost":-9.00}])");
  EXPECT_EQ(server().body("/invoice?fromdate=01/02/2024"), "Some Error !!");
}

const char* kFirstWeek = "/room?fromdate=01/06/2024&todate=07/06/2024";
const char* kLaterWeeks = "/room?fromdate=10/06/2024&todate=30/06/2024";
// room 14 is booked from 25 May to 20 June: across the whole first week
const std::string kFreeFirstWeek = R"([{"rno":12.00,"descr":"Suite","rprice1":80.00}])";
const std::string kFreeLaterWeeks =
    R"([{"rno":7.00,"descr":"Single","rprice1":50.00},{"rno":12.00,"descr":"Suite","rprice1":80.00}])";

TEST(ReportEndpoints, FreeRoomsOfARange) {
  EXPECT_EQ(server().body(kFirstWeek), kFreeFirstWeek);
  EXPECT_EQ(server().body(kLaterWeeks), kFreeLaterWeeks);  // every mark rewritten
  EXPECT_EQ(server().database().rows("select rno, coalesce(n1, '-') from room order by rno"),
            (std::vector<std::vector<std::string>>{{"5", "*"}, {"7", "-"}, {"12", "-"}, {"14", "*"}}));
  // a start after the end marks nothing: every room is free
  EXPECT_EQ(server().body("/room?fromdate=07/06/2024&todate=01/06/2024").substr(0, 13), R"([{"rno":5.00,)");
  EXPECT_EQ(server().body("/room?fromdate=01/06/2024"), "Some Error !!");
}

TEST(ReportEndpoints, ConcurrentRoomRequestsEachGetTheirOwnRange) {
  std::vector<std::future<bool>> answers;
  for (int i = 0; i < 20; ++i) {
    answers.push_back(std::async(std::launch::async, [i] {
      return i % 2 == 0 ? server().body(kFirstWeek) == kFreeFirstWeek : server().body(kLaterWeeks) == kFreeLaterWeeks;
    }));
  }
  for (auto& answer : answers) EXPECT_TRUE(answer.get());
}

}  // namespace
}  // namespace vantor::test
