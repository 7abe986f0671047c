// Columns and the values of the current row as the encoders see them, whether the row
// comes from the database or from memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/calendar.hpp"

namespace vantor::db {

enum class ColumnClass {
  Text,       // VARCHAR, and declared string columns
  FixedText,  // CHAR and string constants of a select list
  LongText,   // BLOB of the text sub-type
  Binary,     // any other BLOB
  Int16,
  Int32,
  Int64,
  Currency,  // SMALLINT/INTEGER with one to four decimals of scale
  Decimal,   // other scaled exact numerics
  Double,
  Float,
  DateTime,
  Boolean,
};

bool is_blob_class(ColumnClass cls);

struct ColumnInfo {
  std::string name;   // the stored name: as declared, or as the server reports it
  std::string label;  // names the column for display; the stored name unless declared
  ColumnClass cls = ColumnClass::Text;
  int length = 0;  // characters, for text columns
};

// A value of the current row. Text views stay valid until the row moves.
struct Cell {
  ColumnClass cls = ColumnClass::Text;
  bool null = true;
  std::string_view text;     // Text, FixedText (UTF-8, CHAR without trailing blanks)
  std::int64_t whole = 0;    // integers; Currency/Decimal unscaled; Boolean 1 or 0
  int scale = 0;             // Currency/Decimal: value = whole / 10^scale
  double real = 0;           // Double, Float
  text::DateTime date_time;  // DateTime
};

}  // namespace vantor::db
