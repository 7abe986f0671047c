// Calculated and lookup columns on the catalogue's own statements.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "db/attachment_pool.hpp"
#include "db/catalogue.hpp"
#include "db/session.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::db {
namespace {

class CalculatedColumns : public ::testing::Test {
 protected:
  std::unique_ptr<QueryCursor> open(Query id, const Params& params = {}) {
    if (!session_) {
      pool_ = std::make_unique<AttachmentPool>(database_.connection_string(), 1);
      lease_.emplace(pool_->borrow());
      session_ = std::make_unique<DbSession>(**lease_);
    }
    return session_->open(query(id), params);
  }

  static double number(QueryCursor& cursor, std::string_view column) {
    const Cell& cell = cursor.cell(*cursor.find_column(column));
    EXPECT_FALSE(cell.null) << column;
    return cell.cls == ColumnClass::Int32 ? static_cast<double>(cell.whole) : cell.real;
  }

  static std::string text(QueryCursor& cursor, std::string_view column) {
    const Cell& cell = cursor.cell(*cursor.find_column(column));
    return cell.null ? "<null>" : std::string(cell.text);
  }

  test::TestDatabase database_;
  std::unique_ptr<AttachmentPool> pool_;
  std::optional<AttachmentPool::Lease> lease_;
  std::unique_ptr<DbSession> session_;
};

TEST_F(CalculatedColumns, PriceWithTaxOnEveryStatementThatHasIt) {
  auto product = open(Query::Product, Params{{"wh", std::string("00")}});
  std::map<std::string, double> by_item;
  while (product->next()) by_item[text(*product, "id")] = number(*product, "pricevat");
  EXPECT_DOUBLE_EQ(by_item["A300"], 1);       // price 1, VAT 0.005
  EXPECT_DOUBLE_EQ(by_item["A400"], 1.0002);  // price 1, VAT 0.015
  EXPECT_DOUBLE_EQ(by_item["A100"], 5.55);    // price 5, VAT 11

  auto productdate = open(Query::ProductDate, Params{{"wh", text::DateTime{0, 0}}});
  EXPECT_EQ(productdate->columns().front().name, "pricevat");
  ASSERT_TRUE(productdate->next());
  EXPECT_EQ(text(*productdate, "id"), "A100");
  EXPECT_DOUBLE_EQ(number(*productdate, "pricevat"), 5.55);

  auto prices = open(Query::PricesGr);
  ASSERT_TRUE(prices->next());
  EXPECT_EQ(text(*prices, "item"), "A100");
  EXPECT_DOUBLE_EQ(number(*prices, "pricevat"), 2.775);  // 2.5 + 11 %
}

TEST_F(CalculatedColumns, PriceLooksUpTheSupplierAndTheRateOfCurrencyTwo) {
  auto price = open(Query::Price, Params{{"code", std::string("A100")}, {"wh", std::string("%%")}});
  ASSERT_TRUE(price->next());
  EXPECT_DOUBLE_EQ(number(*price, "priceus"), 0.8333);  // 2.5 / 3
  EXPECT_EQ(text(*price, "supplier_name"), "Tea Supplier Co");
  EXPECT_EQ(text(*price, "tel"), "555-0101");
  EXPECT_FALSE(price->next());

  auto unmatched = open(Query::Price, Params{{"code", std::string("A200")}, {"wh", std::string("%%")}});
  ASSERT_TRUE(unmatched->next());
  EXPECT_EQ(text(*unmatched, "supplier_name"), "<null>");
  EXPECT_EQ(text(*unmatched, "tel"), "<null>");
}

TEST_F(CalculatedColumns, PriceInCurrencyIsZeroWithoutAUsableRate) {
  for (const char* change : {"update curr set currval = 0 where currid = 2", "delete from curr where currid = 2"}) {
    SCOPED_TRACE(change);
    database_.execute(change);
    session_.reset();
    lease_.reset();
    auto price = open(Query::Price, Params{{"code", std::string("A100")}, {"wh", std::string("%%")}});
    ASSERT_TRUE(price->next());
    EXPECT_DOUBLE_EQ(number(*price, "priceus"), 0);
  }
}

// Every value of the one row of a price lookup, as text.
std::vector<std::string> price_row(DbSession& session, Query id, const std::string& code) {
  auto cursor = session.open(query(id), Params{{"code", code}, {"wh", std::string("%%")}});
  std::vector<std::string> values;
  while (cursor->next()) {
    for (std::size_t i = 0; i < cursor->columns().size(); ++i) {
      const Cell& cell = cursor->cell(i);
      if (cell.null) {
        values.push_back("<null>");
      } else {
        values.push_back(cell.cls == ColumnClass::Text ? std::string(cell.text) : std::to_string(cell.real));
      }
    }
  }
  return values;
}

// The price row brings the supplier and the rate along; looking them up after it must
// give the same values in every case of supplier.
TEST_F(CalculatedColumns, PriceInOneRoundTripGivesWhatTheLookupsGive) {
  for (const char* change : {"update stock set supplier = '41' where item = 'A200'",     // a main account: no supplier
                             "update stock set supplier = '60001' where item = 'A300'",  // a supplier without telephone
                             "update sub set tel1 = null where sid = '60001'",
                             "update stock set supplier = '53001 ' where item = 'A400'",  // trailing blank
                             "update stock set supplier = null where item = 'B100'"}) {
    database_.execute(change);
  }
  open(Query::Company);  // attaches
  for (const char* code : {"A100", "A200", "A300", "A400", "B100", "C100", "no such code"}) {
    SCOPED_TRACE(code);
    EXPECT_EQ(price_row(*session_, Query::Price, code), price_row(*session_, Query::PricePlain, code));
  }
  EXPECT_EQ(price_row(*session_, Query::Price, "A300").at(10), "Other Account");
}

// A database without the currency table cannot prepare the one-round-trip form: the
// plain form answers, with no rate and the supplier looked up.
TEST_F(CalculatedColumns, PriceWithoutTheCurrencyTableFallsBackToLookups) {
  database_.execute("drop procedure MYINV");
  database_.execute("drop table CURR");
  for (int request = 0; request < 2; ++request) {
    auto price = open(Query::Price, Params{{"code", std::string("A100")}, {"wh", std::string("%%")}});
    ASSERT_TRUE(price->next());
    EXPECT_DOUBLE_EQ(number(*price, "priceus"), 0);
    EXPECT_EQ(text(*price, "supplier_name"), "Tea Supplier Co");
    EXPECT_TRUE((**lease_).statements.refused(query(Query::Price).text));
  }
}

TEST_F(CalculatedColumns, ProfitIsTotalLessCost) {
  auto sales =
      open(Query::ProCubes, Params{{"fromdate", text::DateTime{45292, 0}}, {"todate", text::DateTime{45657, 0}}});
  ASSERT_TRUE(sales->next());
  EXPECT_EQ(text(*sales, "item"), "A100");
  EXPECT_DOUBLE_EQ(number(*sales, "Profit"), number(*sales, "total") - number(*sales, "totalcost"));
}

TEST_F(CalculatedColumns, RunningBalanceStartsFromZeroOnEveryWalk) {
  auto statement = open(Query::SAccount, Params{{"mysid", std::string("4101001")}});
  std::vector<double> balances;
  while (statement->next()) balances.push_back(number(*statement, "balance"));
  EXPECT_EQ(balances, (std::vector<double>{100, 70, 100}));

  auto other = open(Query::SAccount, Params{{"mysid", std::string("41001")}});
  ASSERT_TRUE(other->next());
  EXPECT_DOUBLE_EQ(number(*other, "balance"), 10);
}

TEST_F(CalculatedColumns, ConcurrentWalksKeepTheirOwnBalance) {
  AttachmentPool second_pool(database_.connection_string(), 1);
  auto second_lease = second_pool.borrow();
  DbSession second(*second_lease);
  auto first = open(Query::SAccount, Params{{"mysid", std::string("4101001")}});
  auto interleaved = second.open(query(Query::SAccount), Params{{"mysid", std::string("4101001")}});
  ASSERT_TRUE(first->next());
  ASSERT_TRUE(interleaved->next());
  ASSERT_TRUE(interleaved->next());
  ASSERT_TRUE(first->next());
  EXPECT_DOUBLE_EQ(number(*first, "balance"), 70);
  EXPECT_DOUBLE_EQ(number(*interleaved, "balance"), 70);
}

}  // namespace
}  // namespace vantor::db
