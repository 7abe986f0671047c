// What the encoders read: columns, then rows one after the other. Database cursors and
// in-memory test rows both implement it.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "db/cell.hpp"

namespace vantor::db {

class RowSource {
 public:
  virtual ~RowSource() = default;
  virtual const std::vector<ColumnInfo>& columns() const = 0;
  // Moves to the next row (the first on the first call); false past the last one.
  // Throws when the row cannot be read or completed.
  virtual bool next() = 0;
  virtual const Cell& cell(std::size_t column) = 0;
  // All bytes of a blob column of the current row (empty for NULL).
  virtual std::string blob(std::size_t column) = 0;
  // How many rows the JSON encoders visit at most: the first packet that opening fetches.
  virtual std::size_t packet_size() const = 0;
};

}  // namespace vantor::db
