// Invoice headers and lines over HTTP, read back from INVOICE and ITEMS.
#include <gtest/gtest.h>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

const char* kHeaderColumns = "select id, ref, sid, site, subtotal, vat, net, fdate, note, currid, contact from invoice";

TEST(InvoiceEndpoints, TheFullHeaderExample) {
  TestServer server;
  EXPECT_EQ(server.body("/invoiceinsert?id=1001&ref=77&accno=12001&wh=01&subtotal=100&vatamount=15&net=115"
                        "&invdate=2024-11-05&note=ok&currid=1&invtype=12&contactid=0"),
            "Invoice Entry for 77 Done");
  EXPECT_EQ(server.database().rows(std::string(kHeaderColumns) + " where id = 'SIWS1001'"),
            (Rows{{"SIWS1001", "77", "12001", "01", "100", "15", "115", "2024-11-05", "ok", "1", "<null>"}}));
}

TEST(InvoiceEndpoints, EveryValueHasItsDefault) {
  TestServer server;
  EXPECT_EQ(server.body("/invoiceinsert"), "Invoice Entry for 0 Done");
  EXPECT_EQ(server.database().rows(std::string(kHeaderColumns) + " where id = 'SIWS0'"),
            (Rows{{"SIWS0", "0", "00000", "00", "0", "0", "0", "2050-01-01", " ", "2", "<null>"}}));
}

TEST(InvoiceEndpoints, ConversionRules) {
  TestServer server;
  struct Case {
    const char* id;
    const char* parameters;
    const char* column;
    const char* stored;  // "<error>" when the request gives the error answer
  } cases[] = {
      {"vat 1.99", "vatamount=1.99", "vat", "0"},
      {"vat 2", "vatamount=2", "vat", "2"},
      {"vat abc", "vatamount=abc", "vat", "0"},
      {"vat -5", "vatamount=-5", "vat", "0"},
      {"currency 3", "currid=3", "currid", "2"},
      {"currency 0", "currid=0", "currid", "2"},
      {"currency 1", "currid=1", "currid", "1"},
      {"currency hex", "currid=$1", "currid", "1"},
      {"currency x", "currid=x", "currid", "<error>"},
      {"contact x", "accno=41001&contactid=x", "contact", "44"},
      {"contact 7", "accno=41001&contactid=7", "contact", "7"},
      {"date with time", "invdate=2024-11-05T08:30", "fdate", "2024-11-05"},
      {"short date", "invdate=2024-11", "fdate", "2050-01-01"},
      {"date that is none", "invdate=2024-13-45", "fdate", "<error>"},
      {"comma decimal", "subtotal=12,5", "subtotal", "<error>"},
      {"blanks around a number", "subtotal=+12.5+", "subtotal", "12.5"},
      {"exponent", "net=1e2", "net", "100"},
      {"type with trailing blank", "invtype=12+", "ftype", "<error>"},
      {"upper-case name", "ID=5&ref=R", "ref", "R"},
      {"first of two", "ref=first&ref=second", "ref", "first"},
      {"id too long", "ref=x&id=12345678901234567", "ref", "<error>"},
  };
  int next_id = 100;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    const std::string id = std::to_string(next_id++);
    std::string parameters = c.parameters;
    if (parameters.find("id=") != 0 && parameters.find("&id=") == std::string::npos &&
        parameters.find("ID=") == std::string::npos) {
      parameters += "&id=" + id;
    }
    const std::string body = server.body("/invoiceinsert?" + parameters);
    const std::string key = parameters.find("ID=5") != std::string::npos ? "SIWS5" : "SIWS" + id;
    if (std::string(c.stored) == "<error>") {
      EXPECT_EQ(body, "Some Error !!");
      EXPECT_EQ(server.database().scalar("select count(*) from invoice where id = '" + key + "'"), "0");
    } else {
      EXPECT_EQ(body.rfind("Invoice Entry for ", 0), 0u) << body;
      EXPECT_EQ(server.database().scalar(std::string("select ") + c.column + " from invoice where id = '" + key + "'"),
                c.stored);
    }
  }
}

TEST(InvoiceEndpoints, TheNoteIsStoredAsWindows1256) {
  TestServer server;
  EXPECT_EQ(server.body("/invoiceinsert?id=9&note=%D8%B3%D9%84%D8%A7%D9%85"), "Invoice Entry for 0 Done");
  EXPECT_EQ(server.database().scalar("select ascii_val(substring(note from 1 for 1)) || ',' || "
                                     "ascii_val(substring(note from 2 for 1)) || ',' || "
                                     "ascii_val(substring(note from 3 for 1)) || ',' || "
                                     "ascii_val(substring(note from 4 for 1)) from invoice where id = 'SIWS9'"),
            "211,225,199,227");  // D3 E1 C7 E3
}

TEST(InvoiceEndpoints, TheLineExampleAndItsFailures) {
  TestServer server;
  server.body("/invoiceinsert?id=1001&ref=77&accno=41001&wh=01&invdate=2024-11-05");
  EXPECT_EQ(server.body("/itemsinsert?id=5&inv_id=1001&item=A100&qty=2&price=10&discount=0&vat=15&vatamount=3"
                        "&total=23&wh=01&bone=77"),
            "Items Entry for A100 Done");
  EXPECT_EQ(server.database().rows("select id, mid, item, qty, price, vat, vatamount, total, site, boneno, fdate "
                                   "from items where id = 85000005"),
            (Rows{{"85000005", "SIWS1001", "A100", "2", "10", "11", "3", "23", "01", "77", "2024-11-05"}}));
  const auto failed = server.get("/itemsinsert?id=x&item=A100");
  EXPECT_EQ(failed.body, "Bye Bye ");
  EXPECT_EQ(failed.header("Content-Type"), "text/json; charset=utf-8");
  EXPECT_EQ(server.body("/itemsinsert?id=6&item=A100&bone=" + std::string(21, 'b')), "Bye Bye ");
  EXPECT_EQ(server.body("/itemsinsert?id=7&item=A100&qty=two"), "Bye Bye ");
  EXPECT_EQ(server.database().scalar("select count(*) from items where id > 85000005"), "0");
  EXPECT_EQ(server.body("/itemsinsert"), "Items Entry for 0 Done");
}

}  // namespace
}  // namespace vantor::test
