// Price with tax, price in currency 2, supplier lookups, profit and running balance.
// All state lives in the completer of one walk, so concurrent requests never meet.
#include "db/calculated_columns.hpp"

#include <optional>
#include <string>

#include "db/catalogue.hpp"
#include "db/db_error.hpp"
#include "db/fixed_point.hpp"

namespace vantor::db {
namespace {

std::size_t column(QueryCursor& cursor, std::string_view name) {
  const auto index = cursor.find_column(name);
  if (!index) throw DbError("Field '" + std::string(name) + "' not found", false);
  return *index;
}

// A null value counts as 0.
double number(QueryCursor& cursor, std::size_t index) {
  const Cell& cell = cursor.cell(index);
  if (cell.null) return 0;
  switch (cell.cls) {
    case ColumnClass::Int16:
    case ColumnClass::Int32:
    case ColumnClass::Int64: return static_cast<double>(cell.whole);
    default: return cell.real;
  }
}

class PriceWithTax final : public RowCompleter {
 public:
  explicit PriceWithTax(QueryCursor& cursor)
      : price_(column(cursor, "price")), vat_(column(cursor, "vat")), result_(column(cursor, "pricevat")) {}

  void complete(QueryCursor& cursor) override {
    cursor.set_computed_number(result_, price_with_tax(number(cursor, price_), number(cursor, vat_)));
  }

 private:
  std::size_t price_, vat_, result_;
};

class Profit final : public RowCompleter {
 public:
  explicit Profit(QueryCursor& cursor)
      : total_(column(cursor, "total")), cost_(column(cursor, "totalcost")), result_(column(cursor, "Profit")) {}

  void complete(QueryCursor& cursor) override {
    cursor.set_computed_number(result_, profit(number(cursor, total_), number(cursor, cost_)));
  }

 private:
  std::size_t total_, cost_, result_;
};

// The balance after each row, summed over this walk from zero.
class RunningBalance final : public RowCompleter {
 public:
  explicit RunningBalance(QueryCursor& cursor)
      : debit_(column(cursor, "sdebit")), credit_(column(cursor, "scredit")), result_(column(cursor, "balance")) {}

  void complete(QueryCursor& cursor) override {
    const long double sum = static_cast<long double>(number(cursor, debit_)) + balance_;
    balance_ = static_cast<double>(sum - number(cursor, credit_));
    cursor.set_computed_number(result_, balance_);
  }

 private:
  std::size_t debit_, credit_, result_;
  double balance_ = 0;
};

// The rate of currency 2, read once per opening; every failure gives no rate.
double currency_rate(RowLookups& lookups) {
  try {
    auto curr = lookups.lookup(query(Query::Curr), {});
    if (!curr->next()) return 0;
    const auto rate = curr->find_column("CURRVAL");
    return rate ? number(*curr, *rate) : 0;
  } catch (const std::exception&) {
    return 0;
  }
}

// The column the price statement carries along for a declared one, when the opened form
// has it.
std::optional<std::size_t> carried(QueryCursor& cursor, std::string_view feeds) {
  const std::string_view name = carried_for(query(Query::Price), feeds);
  return name.empty() ? std::nullopt : cursor.find_undeclared(name);
}

// The supplier's name and telephone and the rate of currency 2 either come with the
// price row itself (one round trip) or are looked up after it (two more).
class PriceLookup final : public RowCompleter {
 public:
  PriceLookup(QueryCursor& cursor, RowLookups& lookups)
      : lookups_(lookups),
        price_(column(cursor, "price1")),
        supplier_(column(cursor, "SUPPLIER")),
        foreign_(column(cursor, "priceus")),
        name_(column(cursor, "supplier_name")),
        tel_(column(cursor, "tel")),
        brought_name_(carried(cursor, "supplier_name")),
        brought_tel_(carried(cursor, "tel")),
        brought_rate_(carried(cursor, "priceus")),
        rate_(brought_rate_ ? 0 : currency_rate(lookups)) {}

  void complete(QueryCursor& cursor) override {
    if (brought_name_ && brought_tel_) {
      copy_text(cursor, *brought_name_, name_);
      copy_text(cursor, *brought_tel_, tel_);
    } else {
      look_up_supplier(cursor);
    }
    const double rate = brought_rate_ ? number(cursor, *brought_rate_) : rate_;
    try {
      cursor.set_computed_number(foreign_, price_in_currency(number(cursor, price_), rate));
    } catch (const std::exception&) {
      cursor.set_computed_number(foreign_, 0);
    }
  }

 private:
  static void copy_text(QueryCursor& cursor, std::size_t from, std::size_t to) {
    const Cell& value = cursor.cell(from);
    if (!value.null) cursor.set_computed_text(to, std::string(value.text));
  }

  void look_up_supplier(QueryCursor& cursor) {
    const Cell& supplier = cursor.cell(supplier_);
    if (supplier.null) return;
    auto found = lookups_.lookup(query(Query::Supp), Params{{"sid", std::string(supplier.text)}});
    if (!found->next()) return;
    const Cell& name = found->cell(1);
    const Cell& tel = found->cell(2);
    if (!name.null) cursor.set_computed_text(name_, std::string(name.text));
    if (!tel.null) cursor.set_computed_text(tel_, std::string(tel.text));
  }

  RowLookups& lookups_;
  std::size_t price_, supplier_, foreign_, name_, tel_;
  std::optional<std::size_t> brought_name_, brought_tel_, brought_rate_;
  double rate_;
};

}  // namespace

std::unique_ptr<RowCompleter> make_row_completer(RowHook hook, QueryCursor& cursor, RowLookups& lookups) {
  switch (hook) {
    case RowHook::PriceWithTax: return std::make_unique<PriceWithTax>(cursor);
    case RowHook::PriceLookup: return std::make_unique<PriceLookup>(cursor, lookups);
    case RowHook::Profit: return std::make_unique<Profit>(cursor);
    case RowHook::RunningBalance: return std::make_unique<RunningBalance>(cursor);
    case RowHook::None: break;
  }
  return nullptr;
}

}  // namespace vantor::db
