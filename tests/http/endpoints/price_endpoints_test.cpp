// The price lookup, stock per warehouse, the stock list and the customers over HTTP.
#include <gtest/gtest.h>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

class PriceEndpoints : public ::testing::Test {
 protected:
  static TestServer& server() {
    static TestServer instance;
    return instance;
  }
  void TearDown() override { server().options().no_check_digit = false; }

  static std::string item_of(const std::string& body) {
    const auto at = body.find("\"item\":\"");
    return at == std::string::npos ? "<none>" : body.substr(at + 8, body.find('"', at + 8) - at - 8);
  }
  static std::string qty_of(const std::string& body) {
    const auto at = body.find("\"Qty\":");
    return at == std::string::npos ? "<none>" : body.substr(at + 6, body.find(',', at) - at - 6);
  }
};

TEST_F(PriceEndpoints, TheWholeAnswerOfALookup) {
  EXPECT_EQ(server().body("/price?code=5012345678900&wh=all"),
            R"([{"item":"A100","BARCODE":"5012345678900","price1":24.00,"priceus":8.00,"Qty":18.50,"PACK":12.00,)"
            R"("discount":0.00,"DESCR1":"Green Tea Box 20","COSTUS":1.50,"SUPPLIER":"53001",)"
            R"("supplier_name":"Tea Supplier Co","tel":"555-0101"}])");
  EXPECT_EQ(server().log().last()[3], "Count: 1");
}

TEST_F(PriceEndpoints, CodeAndWarehouseRules) {
  struct Case {
    const char* target;
    const char* item;
    const char* qty;
  } cases[] = {
      {"/price", "0000", "<none>"},           // no parameter: code 0000 in every warehouse
      {"/price?code=A100", "A100", "18.50"},  // one parameter: every warehouse
      {"/price?code=A100&wh=ALL", "A100", "18.50"},
      {"/price?code=A100&wh=all", "A100", "18.50"},
      {"/price?code=A100&wh=001", "A100", "3.00"},
      {"/price?code=A100&wh=", "A100", "0.00"},  // the empty pattern matches no warehouse
      {"/price?code=DUP1", "B100", "30.00"},     // two items: the smallest item code
      {"/PRICE?code=6221031", "A100", "18.50"},
      {"/price?code=", "<none>", "<none>"},
      {"/price?code=NOSUCH", "<none>", "<none>"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    const std::string body = server().body(c.target);
    EXPECT_EQ(item_of(body), c.item) << body;
    if (std::string(c.qty) != "<none>") EXPECT_EQ(qty_of(body), c.qty) << body;
  }
  EXPECT_EQ(server().body("/price?code=NOSUCH"), "[]");
  EXPECT_NE(server().body("/price").find(R"("Qty":0.00)"), std::string::npos);
  EXPECT_EQ(server().body("/price?code=123456789012345678901"), "Some Error !!");
  EXPECT_EQ(server().body("/price?code=A100&wh=0001"), "Some Error !!");
}

TEST_F(PriceEndpoints, NoCheckDigitDropsTheLastCharacterAtEachRequest) {
  EXPECT_EQ(item_of(server().body("/price?code=5012345678900")), "A100");
  server().options().no_check_digit = true;
  EXPECT_EQ(item_of(server().body("/price?code=5012345678900")), "A300");  // looks up 501234567890
  EXPECT_EQ(item_of(server().body("/price?code=+12345")), "A400");         // " 12345" becomes "1234"
  EXPECT_EQ(server().body("/price?code="), "Some Error !!");               // nothing to drop
  server().options().no_check_digit = false;
  EXPECT_EQ(item_of(server().body("/price?code=5012345678900")), "A100");
  EXPECT_EQ(server().body("/price?code=+12345"), "[]");
}

TEST_F(PriceEndpoints, StockPerWarehouseKeepsTheDeclaredCase) {
  EXPECT_EQ(server().body("/whqty?code=A100"), R"([{"item":"A100","wh_id":"00","Wh_name":"Main store","qty":15.00},)"
                                               R"({"item":"A100","wh_id":"001","Wh_name":"Branch one","qty":3.00}])");
  EXPECT_EQ(server().body("/whqty?code="), "[]");  // item 0000 has no stock anywhere
  EXPECT_EQ(server().body("/whqty?code=A200"), "[]");
}

TEST_F(PriceEndpoints, StockListHasTheServersCapitalisedNames) {
  const std::string body = server().body("/stock");
  EXPECT_TRUE(
      body.starts_with(R"([{"ITEM":"0000","DESCR1":"Unknown code","DESCR2":" ","LCOST":0.00,"COSTUS":0.00,"QTY":0.00,)"
                       R"("PRICEA":0.00,"CATEGORY":"Misc","SUBCAT1":"Misc","SUBCAT2":" "},{"ITEM":"A100",)"))
      << body;
  EXPECT_EQ(server().log().last().back().rfind("Count: ", 0), 0u);  // not echoed
}

TEST_F(PriceEndpoints, CustomersAnswerTheSameOnBothPaths) {
  const std::string expected =
      R"([{"sid":"41001","sname":"Ali Hassan","tel":"0790000001","ADDRESS1":"Amman","priceid":2.00,)"
      R"("balance":-1234.50,"contact":44.00},{"sid":"4101001","sname":"O Brien Stores","tel":"0790000002",)"
      R"("ADDRESS1":"C:\\dir\/x","priceid":3.00,"balance":100.00,"contact":45.00},{"sid":"53001",)"
      R"("sname":"Tea Supplier Co","tel":"555-0101","ADDRESS1":"Zarqa","priceid":1.00,"balance":0.00,"contact":7.00}])";
  EXPECT_EQ(server().body("/customer"), expected);
  EXPECT_EQ(server().body("/sub"), expected);
}

}  // namespace
}  // namespace vantor::test
