// Numbers no column can hold (an overflow such as 1e400, or an infinity) fail their
// conversion like any other bad number: the route's failure answer, and nothing written.
// Each numeric parameter of the writes that take amounts and quantities.
#include <gtest/gtest.h>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

struct Case {
  std::string target;
  const char* answer;  // the route's failure answer
  const char* count;   // rows the write would have stored
};

std::vector<Case> cases() {
  const std::string payment = "/paym?id=3&rate=R&adate=05/11/2024&amount=A&note=cash&custid=15";
  const std::string header = "/invoiceinsert?id=1001&ref=77&accno=12001&wh=01&subtotal=S&vatamount=V&net=N";
  const std::string line = "/itemsinsert?id=5&inv_id=1001&item=A100&qty=Q&price=P&discount=D&vat=T&vatamount=V&total=O";
  std::vector<Case> all;
  auto each = [&](const std::string& target, const std::string& names, const char* answer, const char* count) {
    for (const char name : names) {
      for (const char* bad : {"1e400", "-1e400", "1E309", "99999999999999999999999999999999999999999e300"}) {
        std::string one = target;
        for (const char other : names) {
          const std::string marker = "=" + std::string(1, other);
          const std::size_t at =
              one.find(marker + "&") != std::string::npos ? one.find(marker + "&") : one.rfind(marker);
          one.replace(at + 1, 1, other == name ? bad : "1");
        }
        all.push_back({one, answer, count});
      }
    }
  };
  each(payment, "RA", "Some Error !!", "select count(*) from receipts");
  each(header, "SVN", "Some Error !!", "select count(*) from invoice where id = 'SIWS1001'");
  each(line, "QPDTVO", "Bye Bye ", "select count(*) from items where id = 85000005");
  for (const char* bad : {"1e400", "-1E309", "inf", "nan"}) {
    all.push_back({std::string("/inventory?deviceid=T1&barcode=A300&qty=") + bad + "&note=ok", "Some Error !!",
                   "select count(*) from minventory"});
  }
  return all;
}

TEST(OutOfRangeNumbers, FailLikeAnyBadNumberAndWriteNothing) {
  TestServer server;
  server.body("/invoiceinsert?id=1002&ref=78&accno=41001&wh=01&invdate=2024-11-05");  // a header for the lines
  for (const auto& c : cases()) {
    SCOPED_TRACE(c.target);
    EXPECT_EQ(server.body(c.target), c.answer);
    EXPECT_EQ(server.database().scalar(c.count), "0");
  }
  // the largest numbers a double holds still go
  EXPECT_EQ(server.body("/paym?id=3&rate=1&adate=05/11/2024&amount=1e300&note=cash&custid=15"), "Qty Entry  Done");
  EXPECT_EQ(server.database().scalar("select count(*) from receipts where amount > 1e299"), "1");
}

}  // namespace
}  // namespace vantor::test
