// The rows of a statement read under a cap on the answer's size. Every byte of a text or
// blob value, and at least one byte for each other value, shows in the answer, so the
// count of those bytes is never more than the answer will hold: past the cap the read
// stops at once, before a huge answer is built in memory. The exact check is done on the
// finished answer.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "db/row_source.hpp"
#include "http/request_helpers.hpp"

namespace vantor::http {

class CappedRows final : public db::RowSource {
 public:
  CappedRows(db::RowSource& rows, std::size_t max_bytes) : rows_(rows), max_bytes_(max_bytes) {}

  const std::vector<db::ColumnInfo>& columns() const override { return rows_.columns(); }
  bool next() override;
  const db::Cell& cell(std::size_t column) override;
  std::string blob(std::size_t column) override;
  std::size_t packet_size() const override { return rows_.packet_size(); }

  // Throws RequestError when answer is over the cap.
  void check(std::size_t answer_bytes = 0) const;

 private:
  db::RowSource& rows_;
  std::size_t max_bytes_;
  std::size_t bytes_ = 0;
  std::vector<bool> counted_;  // the values of the current row counted so far

  void count(std::size_t column, std::size_t bytes);
};

}  // namespace vantor::http
