// Named queries against a real server: column names and classes, declared columns,
// named parameters, blobs and commits.
#include <gtest/gtest.h>

#include "db/attachment_pool.hpp"
#include "db/catalogue.hpp"
#include "db/client_statement.hpp"
#include "db/db_error.hpp"
#include "db/session.hpp"
#include "encode/html_page.hpp"
#include "encode/json_encoders.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::db {
namespace {

using test::TestDatabase;

class NamedQueryTest : public ::testing::Test {
 protected:
  NamedQueryTest() : pool_(database_.connection_string(), 1), lease_(pool_.borrow()), session_(*lease_) {}

  std::unique_ptr<QueryCursor> scratch(std::string_view text, const Params& params = {}) {
    return session_.open_client_statement(text, &session_.read_transaction(), ClientStatements::Any, params);
  }

  TestDatabase database_{test::Template::Erp};
  AttachmentPool pool_;
  AttachmentPool::Lease lease_;
  DbSession session_;
};

TEST_F(NamedQueryTest, ReportedColumnsTakeNameAndClassFromTheServerType) {
  database_.execute(
      "create table typed (v varchar(10), c char(4), s smallint, i integer, n2 numeric(4,2), "
      "n9 numeric(9,3), d double precision, f float, dt date, b blob sub_type 0, t blob sub_type 1, "
      "flag boolean)");
  database_.execute(
      "insert into typed values ('ab', 'x', 1, 2, 1.25, 2.5, 3.5, 4.5, '2024-03-05 14:30:00', "
      "x'0102', 'memo', true)");
  auto cursor = scratch("select v, c, s, i, n2, n9, d, f, dt, b, t, flag, 'k' as konst, 1/3, d as Twice from typed");
  struct Expected {
    const char* name;
    ColumnClass cls;
  } expected[] = {
      {"V", ColumnClass::Text},          {"C", ColumnClass::FixedText},   {"S", ColumnClass::Int16},
      {"I", ColumnClass::Int32},         {"N2", ColumnClass::Currency},   {"N9", ColumnClass::Currency},
      {"D", ColumnClass::Double},        {"F", ColumnClass::Float},       {"DT", ColumnClass::DateTime},
      {"B", ColumnClass::Binary},        {"T", ColumnClass::LongText},    {"FLAG", ColumnClass::Boolean},
      {"KONST", ColumnClass::FixedText}, {"DIVIDE", ColumnClass::Double}, {"TWICE", ColumnClass::Double},
  };
  ASSERT_EQ(cursor->columns().size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(expected[i].name);
    EXPECT_EQ(cursor->columns()[i].name, expected[i].name);
    EXPECT_EQ(cursor->columns()[i].cls, expected[i].cls);
  }
  ASSERT_TRUE(cursor->next());
  EXPECT_EQ(cursor->cell(1).text, "x");  // CHAR loses its trailing blanks
  EXPECT_EQ(cursor->cell(4).whole, 125);
  EXPECT_EQ(cursor->cell(4).scale, 2);
  EXPECT_EQ(cursor->cell(8).date_time.day, 45356);
  EXPECT_EQ(cursor->cell(8).date_time.ticks, 14u * 3600 * 10000 + 30 * 60 * 10000);
  EXPECT_EQ(cursor->blob(9), std::string("\x01\x02", 2));
  EXPECT_EQ(cursor->blob(10), "memo");
  EXPECT_EQ(cursor->cell(11).whole, 1);
  EXPECT_EQ(cursor->cell(12).text, "k");
  EXPECT_FALSE(cursor->next());
}

TEST_F(NamedQueryTest, TextsCrossAsIso88591) {
  database_.execute("insert into oy (sn, name1) values ('1', 'caf' || ascii_char(233))");
  auto cursor = scratch("select name1 from oy where sn = :sn", Params{{"sn", std::string("1")}});
  ASSERT_TRUE(cursor->next());
  EXPECT_EQ(cursor->cell(0).text, "caf\xC3\xA9");
  session_.run(query(Query::Oy), Params{{"sn", std::string("2")}, {"name", std::string("\xE2\x82\xAC\xC3\xA9")}});
  EXPECT_EQ(database_.scalar("select ascii_val(substring(name1 from 1 for 1)) || '/' || "
                             "ascii_val(substring(name1 from 2 for 1)) from oy where sn = '2'"),
            "63/233");  // the euro sign has no ISO-8859-1 byte: "?"
}

TEST_F(NamedQueryTest, DeclaredColumnsMatchWithoutRegardToCase) {
  const QueryDef def{.name = "declared",
                     .text = "select sid as Sid, sname, pricetype from sub where sid = '41001'",
                     .columns = {{"PriceType", ColumnClass::Int32}, {"SID", ColumnClass::Text, 20}}};
  auto cursor = session_.open(def, {});
  ASSERT_EQ(cursor->columns().size(), 2u);
  EXPECT_EQ(cursor->columns()[0].name, "PriceType");
  ASSERT_TRUE(cursor->next());
  EXPECT_EQ(cursor->cell(0).whole, 2);
  EXPECT_EQ(cursor->cell(1).text, "41001");
}

TEST_F(NamedQueryTest, DeclaredColumnMissingOrOfAnotherKindFailsTheOpen) {
  const QueryDef missing{
      .name = "missing", .text = "select sid from sub", .columns = {{"nosuch", ColumnClass::Text, 20}}};
  EXPECT_THROW(session_.open(missing, {}), DbError);
  const QueryDef mismatch{.name = "mismatch", .text = "select sid from sub", .columns = {{"sid", ColumnClass::Double}}};
  EXPECT_THROW(session_.open(mismatch, {}), DbError);
  // the failed opens leave the attachment usable
  EXPECT_TRUE(scratch("select sid from sub")->next());
}

TEST_F(NamedQueryTest, ParametersAreSetByNameWithoutRegardToCase) {
  const QueryDef def{.name = "params",
                     .text = "select count(*) from sub where sid = :Acc or sid = :acc2 or sid = :ACC",
                     .params = {{"acc", ParamType::Text, 20}, {"acc2", ParamType::Text, 20}}};
  auto cursor = session_.open(def, Params{{"ACC", std::string("41001")}, {"Acc2", std::string("53001")}});
  ASSERT_TRUE(cursor->next());
  EXPECT_EQ(cursor->cell(0).whole, 2);
}

TEST_F(NamedQueryTest, ParametersAreBoundWithTheirTypes) {
  const QueryDef def{
      .name = "typed",
      .text = "select count(*) from saccount where adate >= :since and sdebit > :amount and id <> :skip"};
  auto cursor = session_.open(
      def, Params{{"since", text::DateTime{45296, 0}}, {"amount", 20.5}, {"skip", std::int32_t{3}}});  // 2024-01-05
  ASSERT_TRUE(cursor->next());
  EXPECT_EQ(cursor->cell(0).whole, 1);  // 100 on 5 January; 50 on 9 January is skipped by id
}

TEST_F(NamedQueryTest, TextLongerThanItsDeclaredLengthFails) {
  try {
    session_.open(query(Query::WhQty), Params{{"code", std::string(21, 'x')}});
    FAIL() << "no failure";
  } catch (const DbError& failure) {
    EXPECT_NE(std::string(failure.what()).find("string right truncation"), std::string::npos);
  }
}

TEST_F(NamedQueryTest, ServerRejectsTextTooLongForTheColumn) {
  try {
    session_.run(query(Query::Oy), Params{{"sn", std::string(30, '1')}, {"name", std::string("x")}});
    FAIL() << "no failure";
  } catch (const DbError& failure) {
    EXPECT_NE(std::string(failure.what()).find("truncation"), std::string::npos) << failure.what();
  }
  EXPECT_EQ(database_.scalar("select count(*) from oy"), "0");
}

TEST_F(NamedQueryTest, AWriteIsVisibleToAnotherAttachmentAtOnce) {
  session_.run(query(Query::Oy), Params{{"sn", std::string("7")}, {"name", std::string("Ali")}});
  EXPECT_EQ(database_.scalar("select name1 from oy where sn = '7'"), "Ali");
}

TEST_F(NamedQueryTest, AClientStatementWithoutResultSetIsCommittedThenFails) {
  bool read = false;
  EXPECT_THROW(
      run_client_statement(session_, "insert into oy (sn,name1) values ('1','x')", [&](RowSource&) { read = true; }),
      DbError);
  EXPECT_FALSE(read);
  EXPECT_EQ(database_.scalar("select count(*) from oy"), "1");
}

TEST_F(NamedQueryTest, TheJsonEncodersReadOnlyTheFirstPacketOfRows) {
  const QueryDef small_packets{.name = "small", .text = "select item from stock order by item", .row_set_size = 3};
  auto cursor = session_.open(small_packets, {});
  encode::NullSink sink;
  EXPECT_EQ(encode::MYJASONalls(*cursor, sink), R"([{"item":"0000"},{"item":"A100"},{"item":"A200"}])");
  // the page walks every row, fetching past the first packet
  auto walked = session_.open(small_packets, {});
  const std::string page = encode::HTMLall(*walked);
  std::size_t rows = 0;
  for (auto at = page.find("<tr>"); at != std::string::npos; at = page.find("<tr>", at + 1)) ++rows;
  EXPECT_EQ(rows, 1u + 8u);  // the header row and the eight items
}

TEST_F(NamedQueryTest, ProcedureCallsBindPositionalInputs) {
  session_.run(query(Query::Paym), Params{{"MYID", std::int32_t{8000003}},
                                          {"RATE", 1.0},
                                          {"MYDATE", text::DateTime{45601, 0}},
                                          {"AMOUNT", 250.5},
                                          {"NOTE", std::string("cash")},
                                          {"CID", std::int32_t{8000015}}});
  EXPECT_EQ(database_.rows("select myid, rate, mydate, amount, note, cid from receipts"),
            (std::vector<std::vector<std::string>>{{"8000003", "1", "2024-11-05", "250.5", "cash", "8000015"}}));
}

}  // namespace
}  // namespace vantor::db
