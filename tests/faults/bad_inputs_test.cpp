// Missing, empty, too long, wrongly typed and hostile values for every endpoint: the
// answer the endpoint gives for them, and nothing written where nothing may be.
#include <gtest/gtest.h>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

const std::string kError = "Some Error !!";
const std::string kFallback = "Bye Bye ";
const std::string kJsonArray = "<json array>";

std::string counts(TestServer& server) {
  return server.database().scalar(
      "select (select count(*) from minventory) || '/' || (select count(*) from oy) || '/' || "
      "(select count(*) from invoice) || '/' || (select count(*) from items) || '/' || "
      "(select count(*) from customer) || '/' || (select count(*) from receipts) || '/' || "
      "(select count(*) from stock) from rdb$database");
}

TEST(BadInputs, EveryEndpointAnswersAndWritesNothingItShouldNot) {
  TestServer server;
  const std::string long_text(101, 'x');
  const std::string hostile = "x';drop+table+s;--";  // 18 characters: fits every text parameter
  struct Case {
    std::string target;
    std::string answer;  // exact body, or kJsonArray for any array
  } cases[] = {
      {"/price?code=" + hostile, "[]"},
      {"/price?code=" + long_text, kError},
      {"/whqty?code=" + hostile, "[]"},
      {"/product?wh=" + hostile, kError},
      {"/product?wh=';", "[]"},
      {"/productdate?fromdt=" + hostile, kError},
      {"/productdate?fromdt=2024-02-30", kError},
      {"/product_images?code=" + hostile, "[]"},
      {"/stat?id=" + hostile, "[]"},
      {"/stat?id=" + long_text, kError},
      {"/itemsdet?no=" + hostile, "[]"},
      {"/sales?fromdate=" + hostile + "&todate=x", kError},
      {"/sales?fromdate=31/02/2024&todate=01/03/2024", kError},
      {"/invoice?fromdate=&todate=", kError},
      {"/room?fromdate=" + hostile + "&todate=" + hostile, kError},
      {"/myjson?query=" + hostile, kFallback},
      {"/myhtml?query=" + hostile, kFallback},
      {"/myjson?query=;", kFallback},
      {"/inventory", kError},  // an empty quantity is no number
      {"/inventory?deviceid=T1&barcode=B&qty=abc&note=n", kError},
      {"/inventory?deviceid=" + long_text + "&barcode=B&qty=1&note=n", kError},
      {"/openyear?sn=" + long_text + "&name=x", kError},
      {"/invoiceinsert?subtotal=abc", kError},
      {"/invoiceinsert?net=1,5", kError},
      {"/invoiceinsert?invtype=x", kError},
      {"/invoiceinsert?ref=" + long_text, kError},
      {"/invoiceinsert?note=" + std::string(101, 'n'), kError},
      {"/itemsinsert?id=" + hostile, kFallback},
      {"/itemsinsert?item=" + long_text, kFallback},
      {"/itemsinsert?qty=", "Items Entry for 0 Done"},  // an empty value takes its default
      {"/reserve", kError},
      {"/reserve?id=1&name=" + long_text + "&tel=1&fromdate=05/11/2024&todate=08/11/2024&room=1&guests=1", kError},
      {"/reserve?id=99999999999&name=x&tel=1&fromdate=05/11/2024&todate=08/11/2024&room=1&guests=1", kError},
      {"/paym", kError},
      {"/paym?id=1&rate=x&adate=05/11/2024&amount=1&note=n&custid=1", kError},
      {"/paym?id=1&rate=1&adate=05/11/2024&amount=1&note=" + long_text + "&custid=1", kError},
  };
  // the one write above that is meant to succeed
  const std::string before = counts(server);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    const std::string body = server.body(c.target);
    if (c.answer == kJsonArray) {
      EXPECT_EQ(body.front(), '[');
    } else {
      EXPECT_EQ(body, c.answer);
    }
  }
  server.database().execute("delete from items where id = 85000000");  // the one line written
  EXPECT_EQ(counts(server), before);
}

TEST(BadInputs, QuotesAndSemicolonsAreStoredAsTheyCame) {
  TestServer server;
  const std::string text = "x';drop table s;--";
  EXPECT_EQ(server.body("/inventory?deviceid=" + url_escape(text) + "&barcode=B1&qty=1&note=x;y'z"),
            "Qty Entry for B1 Done");
  EXPECT_EQ(server.body("/openyear?sn=1&name=" + url_escape(text)), "Open Year Entry for x ;drop table s;-- Done");
  EXPECT_EQ(server.database().rows("select deviceid, note from minventory"),
            (std::vector<std::vector<std::string>>{{text, "x;y'z"}}));
  EXPECT_EQ(server.database().scalar("select name1 from oy"), text);
  EXPECT_EQ(server.database().scalar("select count(*) from stock"), "8");
}

}  // namespace
}  // namespace vantor::test
