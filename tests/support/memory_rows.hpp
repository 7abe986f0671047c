// Rows held in memory, read by the encoders exactly as database rows are.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/row_source.hpp"

namespace vantor::test {

struct MemoryCell {
  db::Cell cell;
  std::string text;  // Text, FixedText
  std::string blob;  // LongText, Binary
};

MemoryCell null_cell(db::ColumnClass cls);
MemoryCell text_cell(std::string text, db::ColumnClass cls = db::ColumnClass::Text);
MemoryCell whole_cell(std::int64_t value, db::ColumnClass cls = db::ColumnClass::Int32);
MemoryCell real_cell(double value, db::ColumnClass cls = db::ColumnClass::Double);
MemoryCell scaled_cell(std::int64_t unscaled, int scale, db::ColumnClass cls = db::ColumnClass::Currency);
MemoryCell date_time_cell(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
MemoryCell blob_cell(std::string bytes, db::ColumnClass cls = db::ColumnClass::Binary);
MemoryCell boolean_cell(bool value);

db::ColumnInfo column(std::string name, db::ColumnClass cls, std::string label = {});

class MemoryRows final : public db::RowSource {
 public:
  explicit MemoryRows(std::vector<db::ColumnInfo> columns, std::size_t packet_size = 100000);
  MemoryRows& add(std::vector<MemoryCell> row);

  const std::vector<db::ColumnInfo>& columns() const override { return columns_; }
  bool next() override;
  const db::Cell& cell(std::size_t column) override;
  std::string blob(std::size_t column) override;
  std::size_t packet_size() const override { return packet_size_; }
  std::size_t rows_read() const { return position_; }

 private:
  std::vector<db::ColumnInfo> columns_;
  std::size_t packet_size_;
  std::vector<std::vector<MemoryCell>> rows_;
  std::size_t position_ = 0;
  db::Cell current_;
};

}  // namespace vantor::test
