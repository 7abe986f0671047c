// Counting the bytes of the values read, each value once.
#include "http/capped_rows.hpp"

#include <algorithm>

namespace vantor::http {

bool CappedRows::next() {
  check();
  counted_.assign(rows_.columns().size(), false);
  return rows_.next();
}

const db::Cell& CappedRows::cell(std::size_t column) {
  const db::Cell& value = rows_.cell(column);
  count(column, std::max<std::size_t>(value.text.size(), 1));
  return value;
}

std::string CappedRows::blob(std::size_t column) {
  std::string value = rows_.blob(column);
  count(column, value.size());
  return value;
}

void CappedRows::count(std::size_t column, std::size_t bytes) {
  if (column < counted_.size() && counted_[column]) return;
  if (column < counted_.size()) counted_[column] = true;
  bytes_ += bytes;
}

void CappedRows::check(std::size_t answer_bytes) const {
  const std::size_t bytes = std::max(bytes_, answer_bytes);
  if (bytes > max_bytes_) {
    throw RequestError("the answer is over adhoc_max_bytes (" + std::to_string(max_bytes_) + " bytes)");
  }
}

}  // namespace vantor::http
