// The HTML table page on rows held in memory.
#include <gtest/gtest.h>

#include "encode/html_page.hpp"
#include "encode/value_forms.hpp"
#include "tests/support/memory_rows.hpp"

namespace vantor::encode {
namespace {

using db::ColumnClass;
using test::MemoryRows;

const std::string kHeading = " <!DOCTYPE html> <html> <head>  <body>  Halcyra Web Data \n\r\n\r";
const std::string kTail = " </body> </head> </html>";

TEST(HtmlPage, HeadingIsSixtyOneCharacters) { EXPECT_EQ(kHeading.size(), 61u); }

TEST(HtmlPage, EmptyResultHasHeaderCellsOnly) {
  MemoryRows rows({test::column("SID", ColumnClass::Text), test::column("PRICEID", ColumnClass::Int32)});
  EXPECT_EQ(HTMLall(rows), kHeading +
                               "<table border=\"1\">\r\n<tr>\r\n<th>sid</th>\r\n<th>priceid</th>\r\n</tr>\r\n"
                               "</table>\r\n" +
                               kTail);
}

TEST(HtmlPage, CellRules) {
  MemoryRows rows({test::column("SNAME", ColumnClass::Text), test::column("BALANCE", ColumnClass::Double),
                   test::column("PRICEID", ColumnClass::Int32), test::column("UpDateTed_at", ColumnClass::DateTime),
                   test::column("FDATE", ColumnClass::DateTime), test::column("K", ColumnClass::FixedText)});
  rows.add({test::text_cell("<b>A&B</b>"), test::real_cell(-1234.5), test::whole_cell(3),
            test::date_time_cell(2024, 3, 5, 14, 30), test::date_time_cell(2024, 3, 5, 14, 30),
            test::text_cell("12", ColumnClass::FixedText)});
  rows.add({test::null_cell(ColumnClass::Text), test::null_cell(ColumnClass::Double),
            test::null_cell(ColumnClass::Int32), test::null_cell(ColumnClass::DateTime),
            test::null_cell(ColumnClass::DateTime), test::text_cell("0", ColumnClass::FixedText)});
  const std::string page = HTMLall(rows);
  EXPECT_NE(page.find("<tr>\r\n<td>&lt;b&gt;A&amp;B&lt;/b&gt;</td>\r\n<td>-1,234.50</td>\r\n<td>3.00</td>\r\n"
                      "<td>2024-03-05</td>\r\n<td>45,356.60</td>\r\n<td>12.00</td>\r\n</tr>\r\n"),
            std::string::npos)
      << page;
  EXPECT_NE(page.find("<tr>\r\n<td></td>\r\n<td>0.00</td>\r\n<td>0.00</td>\r\n<td>1899-12-30</td>\r\n"
                      "<td>0.00</td>\r\n<td>0.00</td>\r\n</tr>\r\n"),
            std::string::npos)
      << page;
  EXPECT_EQ(page.substr(page.size() - kTail.size()), kTail);
}

TEST(HtmlPage, TextsFromTheDatabaseOrTheRequestCannotBecomeMarkup) {
  MemoryRows rows({test::column("<script>x</script>", ColumnClass::Text)});
  rows.add({test::text_cell("<script>alert('&')</script>")});
  const std::string page = HTMLall(rows);
  EXPECT_NE(page.find("<th>&lt;script&gt;x&lt;/script&gt;</th>\r\n"), std::string::npos) << page;
  EXPECT_NE(page.find("<td>&lt;script&gt;alert('&amp;')&lt;/script&gt;</td>\r\n"), std::string::npos) << page;
  EXPECT_EQ(page.find("<script"), std::string::npos);
}

TEST(HtmlPage, TheLogFormKeepsThePageLinesAndEscapesLineBreaksInTexts) {
  MemoryRows rows({test::column("SNAME", ColumnClass::Text)});
  rows.add({test::text_cell("Ali\r\nFailure: forged\x1b[2J")});
  const std::string logged = page_log_form(HTMLall(rows));
  EXPECT_EQ(logged.substr(0, kHeading.size()), kHeading);
  EXPECT_NE(logged.find("<td>Ali\\r\\nFailure: forged\\x1b[2J</td>\r\n</tr>\r\n"), std::string::npos) << logged;
}

TEST(HtmlPage, WalksEveryRowBeyondThePacket) {
  MemoryRows rows({test::column("N", ColumnClass::Int32)}, 2);
  for (int i = 1; i <= 5; ++i) rows.add({test::whole_cell(i)});
  const std::string page = HTMLall(rows);
  EXPECT_NE(page.find("<td>5.00</td>"), std::string::npos);
}

TEST(HtmlPage, AValueWithoutFloatValueFailsThePage) {
  struct Case {
    const char* id;
    test::MemoryCell cell;
  } cases[] = {
      {"blob", test::blob_cell("x")},
      {"null blob", test::null_cell(ColumnClass::Binary)},
      {"boolean", test::boolean_cell(true)},
      {"literal that is no number", test::text_cell("NULL", ColumnClass::FixedText)},
  };
  for (auto& c : cases) {
    SCOPED_TRACE(c.id);
    MemoryRows rows({test::column("LOGO", c.cell.cell.cls)});
    rows.add({c.cell});
    EXPECT_THROW(HTMLall(rows), ValueError);
  }
}

}  // namespace
}  // namespace vantor::encode
