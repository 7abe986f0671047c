// Statements, document lines, purchases, cases and the customer page over HTTP.
#include <gtest/gtest.h>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

TestServer& server() {
  static TestServer instance;
  return instance;
}

const std::string kHeading = " <!DOCTYPE html> <html> <head>  <body>  Halcyra Web Data \n\r\n\r";
const std::string kTail = " </body> </head> </html>";

std::string row(std::initializer_list<const char*> cells) {
  std::string text = "<tr>\r\n";
  for (const char* cell : cells) text += std::string("<td>") + cell + "</td>\r\n";
  return text + "</tr>\r\n";
}

TEST(AccountEndpoints, StatementWithItsRunningBalance) {
  EXPECT_EQ(server().body("/stat?id=4101001"),
            R"([{"id":1.00,"adate":"2024-01-05","typeid":1.00,"jtype":"Sale","sdebit":100.00,"scredit":0.00,)"
            R"("note":"First sale","aidate":"2024-01-05","ref":"R1","balance":100.00,"transno":"T1"},)"
            R"({"id":2.00,"adate":"2024-01-07","typeid":2.00,"jtype":"Receipt","sdebit":0.00,"scredit":30.00,)"
            R"("note":"Paid","aidate":"2024-01-07","ref":"R2","balance":70.00,"transno":"T2"},)"
            R"({"id":3.00,"adate":"2024-01-09","typeid":1.00,"jtype":"Sale","sdebit":50.00,"scredit":20.00,)"
            R"("note":" ","aidate":"2024-01-09","ref":"R3","balance":100.00,"transno":"T3"}])");
  // another account starts from zero again
  EXPECT_NE(server().body("/stat?id=41001").find(R"("balance":10.00)"), std::string::npos);
  EXPECT_EQ(server().body("/stat"), "[]");  // account "00"
  EXPECT_EQ(server().body("/stat?id=" + std::string(21, '4')), "Some Error !!");
}

TEST(AccountEndpoints, DocumentLinesPurchasesAndCases) {
  EXPECT_EQ(server().body("/itemsdet?no=INV1"),
            R"([{"product_code":"A100","product_name":"Green Tea","qty":4.00,"price":5.00,"discount":0.00,)"
            R"("total":20.00,"vat":11.00},{"product_code":"A200","product_name":"Coffee","qty":8.00,"price":10.00,)"
            R"("discount":0.00,"total":80.00,"vat":11.00}])");
  EXPECT_EQ(server().body("/itemsdet?no="), "[]");
  EXPECT_EQ(server().body("/purchase"),
            R"([{"acc_no":"53001","supplier":"Tea Supplier Co","adate":"2024-01-15","ref":"P\/0","total":120.50,)"
            R"("scurrid":2.00},{"acc_no":"53001","supplier":"Tea Supplier Co","adate":"2024-02-03","ref":"P\/1",)"
            R"("total":250.00,"scurrid":2.00}])");
  EXPECT_EQ(server().body("/cases"),
            R"([{"id":2.00,"sid":"4101001","name":"O Brien Stores","subject":"Delivery","note":"Late",)"
            R"("fdate":"2024-03-01","todate":"2024-03-02","totime":"01\/03\/2024 09:00:00","contactid":45.00},)"
            R"({"id":1.00,"sid":"41001","name":"Ali Hassan","subject":"Follow up","note":"Call back  soon ",)"
            R"("fdate":"2024-03-05","todate":"2024-03-06","totime":"05\/03\/2024 14:30:00","contactid":0.00}])");
}

TEST(AccountEndpoints, CustomerPageByteForByte) {
  const auto response = server().get("/subh");
  EXPECT_EQ(response.header("Content-Type"), "text/html; charset=utf-8");
  const std::string expected =
      kHeading + "<table border=\"1\">\r\n<tr>\r\n<th>sid</th>\r\n<th>sname</th>\r\n<th>tel</th>\r\n" +
      "<th>address1</th>\r\n<th>priceid</th>\r\n<th>balance</th>\r\n<th>contact</th>\r\n</tr>\r\n" +
      row({"41001", "Ali Hassan", "0790000001", "Amman", "2.00", "-1,234.50", "44.00"}) +
      row({"4101001", "O'Brien Stores", "0790000002", "C:\\dir/x", "3.00", "100.00", "45.00"}) +
      row({"53001", "Tea Supplier Co", "555-0101", "Zarqa", "1.00", "0.00", "7.00"}) + "</table>\r\n" + kTail;
  EXPECT_EQ(response.body, expected);
}

}  // namespace
}  // namespace vantor::test
