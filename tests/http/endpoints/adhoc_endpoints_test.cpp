// Statements that clients send, and the item page, over HTTP.
#include <gtest/gtest.h>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

TEST(AdhocEndpoints, StatementsAreCompletedWithSelectUnlessTheyStartWithAPassingLetter) {
  TestServer server;
  EXPECT_EQ(server.body("/myjson?query=*+from+company"),
            R"([{"name1":"Halcyra Trading","address1":"Amman","tel1":"065000000"}])");
  EXPECT_EQ(server.body("/myjson?query=SELECT+rno+from+room+where+rno<7"), R"([{"rno":5.00}])");
  EXPECT_EQ(server.body("/myjson?query=rno+from+room+where+rno%3D5"), R"([{"rno":5.00}])");
  EXPECT_EQ(server.body("/myjson?query=update+stock+set+qty=0"), "Bye Bye ");
  EXPECT_EQ(server.body("/myjson"), "Bye Bye ");
  EXPECT_EQ(server.body("/myjson?query"), "Bye Bye ");
  EXPECT_EQ(server.database().scalar("select count(*) from stock where qty = 0"), "2");
  EXPECT_EQ(server.log().last().back().rfind("Failure: ", 0), 0u);
}

TEST(AdhocEndpoints, AnInsertThroughMyjsonIsWrittenButMyhtmlRejectsIt) {
  TestServer server;
  EXPECT_EQ(server.body("/myhtml?query=insert+into+oy+(sn,name1)+values+('1','x')"), "Bye Bye ");
  EXPECT_EQ(server.database().scalar("select count(*) from oy"), "0");
  EXPECT_EQ(server.body("/myjson?query=insert+into+oy+(sn,name1)+values+('1','x')"), "Bye Bye ");
  EXPECT_EQ(server.database().scalar("select count(*) from oy"), "1");
}

TEST(AdhocEndpoints, MyhtmlAnswersAPage) {
  TestServer server;
  const auto response = server.get("/myhtml?query=select+sid,sname+from+sub+where+sid='41001'");
  EXPECT_EQ(response.header("Content-Type"), "text/html; charset=utf-8");
  EXPECT_EQ(response.body,
            " <!DOCTYPE html> <html> <head>  <body>  Halcyra Web Data \n\r\n\r<table border=\"1\">\r\n<tr>\r\n"
            "<th>sid</th>\r\n<th>sname</th>\r\n</tr>\r\n<tr>\r\n<td>41001</td>\r\n<td>Ali Hassan</td>\r\n</tr>\r\n"
            "</table>\r\n </body> </head> </html>");
  // a literal that is no number fails the page: the fallback, as JSON
  const auto failed = server.get("/myhtml?query=select+'NULL'+as+logo+from+company");
  EXPECT_EQ(failed.body, "Bye Bye ");
  EXPECT_EQ(failed.header("Content-Type"), "text/json; charset=utf-8");
}

TEST(AdhocEndpoints, ItemPageOfWarehouse00) {
  TestServer server;
  const auto response = server.get("/producth?wh=001");
  EXPECT_EQ(response.header("Content-Type"), "text/html; charset=utf-8");
  EXPECT_NE(response.body.find("<th>updateted_at</th>\r\n"), std::string::npos);
  EXPECT_NE(response.body.find("<td>A300</td>\r\n<td>Sugar</td>\r\n<td></td>\r\n<td>A300</td>\r\n<td>0.50</td>\r\n"
                               "<td>1.00</td>\r\n<td>100.00</td>\r\n<td>2024-02-01</td>\r\n"),
            std::string::npos)
      << response.body;
  EXPECT_EQ(response.body.find("<td>B100</td>"), std::string::npos);  // its stock is in warehouse 02
}

}  // namespace
}  // namespace vantor::test
