// In-memory rows for encoder tests.
#include "tests/support/memory_rows.hpp"

#include "text/calendar.hpp"

namespace vantor::test {

MemoryCell null_cell(db::ColumnClass cls) { return MemoryCell{db::Cell{cls}, {}, {}}; }

MemoryCell text_cell(std::string text, db::ColumnClass cls) {
  MemoryCell result{db::Cell{cls}, std::move(text), {}};
  result.cell.null = false;
  return result;
}

MemoryCell whole_cell(std::int64_t value, db::ColumnClass cls) {
  MemoryCell result{db::Cell{cls}, {}, {}};
  result.cell.null = false;
  result.cell.whole = value;
  return result;
}

MemoryCell real_cell(double value, db::ColumnClass cls) {
  MemoryCell result{db::Cell{cls}, {}, {}};
  result.cell.null = false;
  result.cell.real = value;
  return result;
}

MemoryCell scaled_cell(std::int64_t unscaled, int scale, db::ColumnClass cls) {
  MemoryCell result = whole_cell(unscaled, cls);
  result.cell.scale = scale;
  return result;
}

MemoryCell date_time_cell(int year, int month, int day, int hour, int minute, int second) {
  MemoryCell result{db::Cell{db::ColumnClass::DateTime}, {}, {}};
  result.cell.null = false;
  result.cell.date_time.day = text::days_from_civil(year, month, day);
  result.cell.date_time.ticks =
      static_cast<std::uint32_t>((hour * 3600 + minute * 60 + second)) * text::kTicksPerSecond;
  return result;
}

MemoryCell blob_cell(std::string bytes, db::ColumnClass cls) {
  MemoryCell result{db::Cell{cls}, {}, std::move(bytes)};
  result.cell.null = false;
  return result;
}

MemoryCell boolean_cell(bool value) { return whole_cell(value ? 1 : 0, db::ColumnClass::Boolean); }

db::ColumnInfo column(std::string name, db::ColumnClass cls, std::string label) {
  db::ColumnInfo info;
  info.label = label.empty() ? name : std::move(label);
  info.name = std::move(name);
  info.cls = cls;
  return info;
}

MemoryRows::MemoryRows(std::vector<db::ColumnInfo> columns, std::size_t packet_size)
    : columns_(std::move(columns)), packet_size_(packet_size) {}

MemoryRows& MemoryRows::add(std::vector<MemoryCell> row) {
  rows_.push_back(std::move(row));
  return *this;
}

bool MemoryRows::next() {
  if (position_ >= rows_.size()) return false;
  ++position_;
  return true;
}

const db::Cell& MemoryRows::cell(std::size_t column) {
  const MemoryCell& source = rows_[position_ - 1][column];
  current_ = source.cell;
  current_.text = source.text;
  return current_;
}

std::string MemoryRows::blob(std::size_t column) { return rows_[position_ - 1][column].blob; }

}  // namespace vantor::test
