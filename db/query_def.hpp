// The shape of one named query of the catalogue: its statement and what it declares.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "db/cell.hpp"

namespace vantor::db {

enum class ParamType { Text, Double, Integer, Date, DateTime };

struct ParamDef {
  std::string_view name;
  ParamType type = ParamType::Text;
  int length = 0;  // at most this many characters, for Text; 0 = no limit of ours
};

enum class ColumnKind { Data, Calculated, Lookup };

struct ColumnDef {
  std::string_view name;
  ColumnClass cls = ColumnClass::Text;  // Text, Double, Int32 or DateTime
  int length = 0;
  ColumnKind kind = ColumnKind::Data;
  std::string_view label = {};  // empty: the name
};

// A column the statement reads along for the row's completer, under a name the answer
// does not show: its value goes into the declared column it feeds.
struct CarriedColumn {
  std::string_view name;
  std::string_view select;  // what the statement selects under that name
  std::string_view feeds;
};

enum class QueryKind {
  Select,  // opened and walked
  Write,   // run once, commits on its own
  Call,    // a stored procedure executed with its inputs
};

// The names of the catalogue's entries.
enum class Query {
  ClientStatement,  // the text comes with the request
  Company,
  Category,
  Subcategory,
  Stores,
  Stock,
  ProductImage,
  Product,
  Product2,
  ProductA,
  ProductDate,
  PricesGr,
  Price,
  PricePlain,
  Supp,
  Curr,
  WhQty,
  Sub,
  SAccount,
  ItemsDet,
  Purchase,
  Cases,
  ProCubes,
  ProCubeAll,
  UpRoom,
  Room,
  Inv,
  Oy,
  MyInv,
  MyIte,
  Reserve,
  Paym,
  InvoiceLanded,
  ItemLanded,
};

// Per-row completion of calculated and lookup columns, and the hooks around opening.
enum class RowHook {
  None,
  PriceWithTax,    // pricevat from price and vat
  PriceLookup,     // priceus from currency 2, supplier_name and tel from the supplier
  Profit,          // Profit = total - totalcost
  RunningBalance,  // balance over the walk
};

inline constexpr std::size_t kDefaultRowSetSize = 100000;
inline constexpr std::size_t kScratchRowSetSize = 1000000;

struct QueryDef {
  Query id = Query::ClientStatement;
  std::string_view name;  // for messages
  QueryKind kind = QueryKind::Select;
  std::string_view text;
  std::vector<ParamDef> params = {};
  std::vector<ColumnDef> columns = {};
  RowHook hook = RowHook::None;
  std::size_t row_set_size = kDefaultRowSetSize;
  // The statement gives at most one row ("rows 1", a key): its row comes back with the
  // execution itself, one round trip instead of two.
  bool single_row = false;
  // Read along for the completer; already part of text.
  std::vector<CarriedColumn> carried = {};
  // The form to open instead when this one fails before handing out a row for any reason
  // but a lost link: a database whose schema lacks what it reads along.
  std::optional<Query> plainer = std::nullopt;
};

// The name under which def reads along the value for the column feeds; empty when it
// does not.
inline std::string_view carried_for(const QueryDef& def, std::string_view feeds) {
  for (const CarriedColumn& column : def.carried) {
    if (column.feeds == feeds) return column.name;
  }
  return {};
}

}  // namespace vantor::db
