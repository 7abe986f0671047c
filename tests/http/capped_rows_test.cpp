// The cap on ad-hoc answers: exact at the border, and a huge result stops being read
// soon after the cap is passed.
#include "http/capped_rows.hpp"

#include <gtest/gtest.h>

#include "encode/html_page.hpp"
#include "tests/support/memory_rows.hpp"

namespace vantor::http {
namespace {

using test::MemoryRows;

MemoryRows rows_of(std::size_t count) {
  MemoryRows rows({test::column("NAME", db::ColumnClass::Text), test::column("QTY", db::ColumnClass::Int32),
                   test::column("NOTE", db::ColumnClass::Text)});
  for (std::size_t i = 0; i < count; ++i) {
    rows.add({test::text_cell(std::string(100, 'x')), test::whole_cell(7), test::null_cell(db::ColumnClass::Text)});
  }
  return rows;
}

std::string capped_page(MemoryRows& rows, std::size_t cap) {
  CappedRows capped(rows, cap);
  std::string page = encode::HTMLall(capped);
  capped.check(page.size());
  return page;
}

TEST(CappedRows, AnAnswerOfExactlyTheCapPassesOneByteMoreDoesNot) {
  MemoryRows plain = rows_of(20);
  const std::string whole = encode::HTMLall(plain);
  MemoryRows at_cap = rows_of(20);
  EXPECT_EQ(capped_page(at_cap, whole.size()), whole);
  MemoryRows below = rows_of(20);
  EXPECT_THROW(capped_page(below, whole.size() - 1), RequestError);
}

TEST(CappedRows, AHugeResultIsLeftUnreadPastTheCap) {
  MemoryRows rows = rows_of(100000);
  EXPECT_THROW(capped_page(rows, 1000), RequestError);
  EXPECT_LE(rows.rows_read(), 11u);  // each row holds at least 102 bytes of values
}

}  // namespace
}  // namespace vantor::http
