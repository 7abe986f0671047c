// Company, categories, warehouses, pictures, item lists and price levels over HTTP.
#include <gtest/gtest.h>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

TestServer& server() {
  static TestServer instance;
  return instance;
}

TEST(CatalogueEndpoints, SmallListsByTheirExactAnswers) {
  struct Case {
    const char* target;
    const char* body;
  } cases[] = {
      // 'NULL' as logo is no number: every row is left out
      {"/company", "[]"},
      {"/category",
       R"([{"id":7.00,"name":"Tea  Gold ","parent_id":1.00,"image":0.00},{"id":8.00,"name":"Coffee","parent_id":1.00,"image":0.00}])"},
      {"/brands",
       R"([{"id":20.00,"name":"Arabica","parent_id":2.00,"image":0.00},{"id":21.00,"name":"C:\\beans\/1","parent_id":2.00,"image":0.00}])"},
      {"/SUBCAT1",
       R"([{"id":20.00,"name":"Arabica","parent_id":2.00,"image":0.00},{"id":21.00,"name":"C:\\beans\/1","parent_id":2.00,"image":0.00}])"},
      {"/stores",
       R"([{"id":"00","name":"Main store"},{"id":"001","name":"Branch one"},{"id":"002","name":"Branch two"},{"id":"02","name":"Old depot"}])"},
      {"/product_images", "[]"},
      {"/product_images?code=A'B", "[]"},                     // a quote is part of the code, nothing more
      {"/product_images?code=A200", "[{\"sid\":\"A200\"}]"},  // a PNG picture gives no pair
      {"/product_images?code=A300", R"([{"sid":"A300","image":" "}])"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    EXPECT_EQ(server().body(c.target), c.body);
  }
}

TEST(CatalogueEndpoints, PictureIsBase64WithLineBreaksAndEscapedSlashes) {
  const auto response = server().get("/product_images?code=A100");
  EXPECT_EQ(response.body.substr(0, 30), R"([{"sid":"A100","image":"\/9j\/)");
  EXPECT_NE(response.body.find("\r\n"), std::string::npos);
  EXPECT_EQ(response.body.substr(response.body.size() - 3), "\"}]");
  const auto entries = server().log().last();
  EXPECT_EQ(entries.back().substr(0, 28), R"([{"sid":"A100","image":"/9j/)");  // the echo is unescaped
  ASSERT_TRUE(server().log().blocks().back().picture);
}

TEST(CatalogueEndpoints, ProductTakesItsWarehouseFromTheFirstParameter) {
  const std::string b100 =
      R"({"id":"B100","product_name":"Rice","description":"Long grain","product_code":"B100","cost":2.00,)"
      R"("price":3.00,"qty":30.00,"updateted_at":"2024-03-01","brand_id":"Grain","category_id":"Food",)"
      R"("discount":0.00,"currid":1.00,"vat":0.00,"pricevat":3.00,"subcat2":" ","reserve":0.00,)"
      R"("barcode4":"DUP1","yesno":"YES"})";
  EXPECT_EQ(server().body("/product?w=002"), "[" + b100 + "]");  // "w=0" dropped: warehouse "02"
  const std::string for_00 = server().body("/product");
  EXPECT_EQ(server().body("/product?wh="), for_00);
  EXPECT_NE(for_00.find(R"("id":"A300")"), std::string::npos);
  EXPECT_EQ(for_00.find(R"("id":"A200")"), std::string::npos);  // its stock there is 0
  EXPECT_NE(server().body("/product?wh=002").find(R"("id":"A100","product_name":"Green Tea")"), std::string::npos);
  EXPECT_EQ(server().body("/product?wh=0001"), "Some Error !!");  // longer than the procedure's parameter
}

TEST(CatalogueEndpoints, ProductdateReadsAYearFirstDate) {
  const std::string body = server().body("/productdate?fromdt=2024-03-01");
  EXPECT_EQ(
      body,
      R"([{"pricevat":3.00,"id":"B100","product_name":"Rice","description":"Long grain","product_code":"B100",)"
      R"("cost":2.00,"currid":1.00,"price":3.00,"discount":0.00,"qty":30.00,"updateted_at":"2024-03-01",)"
      R"("brand_id":"Grain","category_id":"Food","vat":0.00},{"pricevat":2.00,"id":"B200","product_name":"Flour",)"
      R"("description":" ","product_code":"B200","cost":1.00,"currid":1.00,"price":2.00,"discount":0.00,)"
      R"("qty":20.00,"updateted_at":"2024-03-02","brand_id":"Grain","category_id":"Food","vat":0.00}])");
  // C100 is newer but has no stock movement; it is in the full list
  EXPECT_NE(server().body("/product2").find(R"("id":"C100")"), std::string::npos);
  EXPECT_EQ(server().body("/productdate?fromdt=15/01/2024"), "Some Error !!");
  EXPECT_EQ(server().body("/productdate"), "Some Error !!");
}

TEST(CatalogueEndpoints, ListsWithDeclaredColumns) {
  const std::string prices = server().body("/pricesgr");
  EXPECT_TRUE(prices.starts_with(
      R"([{"item":"A100","priceid":0.00,"price":2.50,"discount":0.00,"currid":1.00,"vat":11.00,"pricevat":2.77},)"))
      << prices;
  const std::string producta = server().body("/producta");
  EXPECT_EQ(producta.find(R"("id":"A400")"), std::string::npos);  // marked NO
  EXPECT_TRUE(producta.starts_with(
      R"([{"id":"0000","product_name":"Unknown code","description":" ","product_code":"0000","cost":0.00,)"))
      << producta;
  const std::string product2 = server().body("/product2");
  EXPECT_EQ(product2.find("proformaqty"), std::string::npos);
  EXPECT_NE(product2.find(R"("id":"A400")"), std::string::npos);
  // the big lists are not echoed into the log
  EXPECT_EQ(server().log().last().back().rfind("Count: ", 0), 0u);
}

}  // namespace
}  // namespace vantor::test
