// Column mapping and row reading of an open select.
#include "db/query_cursor.hpp"

#include "db/answer_columns.hpp"
#include "db/db_error.hpp"
#include "db/server_types.hpp"
#include "db/statement.hpp"
#include "db/transaction.hpp"
#include "text/ascii.hpp"
#include "text/latin1.hpp"

namespace vantor::db {

QueryCursor::QueryCursor(Statement& statement, Transaction& transaction, const QueryDef& def, std::size_t packet_size)
    : statement_(statement), transaction_(transaction), packet_size_(packet_size) {
  if (def.columns.empty()) {
    map_reported();
  } else {
    map_declared(def);
  }
  cells_.resize(columns_.size());
  texts_.resize(columns_.size());
}

QueryCursor::~QueryCursor() { statement_.close(); }

void QueryCursor::map_reported() {
  for (int i = 0; i < statement_.output_count(); ++i) {
    ColumnInfo info = reported_column(statement_, i);
    slots_.push_back(Slot{i, info.cls});
    columns_.push_back(std::move(info));
  }
}

void QueryCursor::map_declared(const QueryDef& def) {
  std::vector<std::string> reported;  // the result's column names, read once per open
  for (int i = 0; i < statement_.output_count(); ++i)
    reported.push_back(text::latin1_to_utf8(statement_.output_name(i)));
  for (const ColumnDef& column : def.columns) {
    Slot slot{-1, column.cls};
    if (column.kind == ColumnKind::Data) {
      for (int i = 0; i < statement_.output_count(); ++i) {
        if (text::iequals(reported[static_cast<std::size_t>(i)], column.name)) {
          slot.output = i;
          break;
        }
      }
      if (slot.output < 0) {
        throw DbError("Field '" + std::string(column.name) + "' not found in the result of " + std::string(def.name),
                      false);
      }
      if (basic_kind_of(statement_.output(slot.output)) != basic_kind_of(column.cls)) {
        throw DbError("Type mismatch for field '" + std::string(column.name) + "' of " + std::string(def.name), false);
      }
    }
    ColumnInfo info;
    info.name = std::string(column.name);
    info.label = column.label.empty() ? info.name : std::string(column.label);
    info.cls = column.cls;
    info.length = column.length;
    columns_.push_back(std::move(info));
    slots_.push_back(slot);
  }
}

bool QueryCursor::statement_fetch() { return statement_.fetch(); }

bool QueryCursor::next() {
  if (pending_ == Pending::End) return false;
  if (pending_ == Pending::Row) {
    pending_ = single_row_ ? Pending::End : Pending::Nothing;
  } else if (!statement_.fetch()) {
    pending_ = Pending::End;
    return false;
  }
  if (completer_) {
    for (std::size_t i = 0; i < slots_.size(); ++i) {
      if (slots_[i].output < 0) cells_[i] = Cell{slots_[i].cls};
    }
    completer_->complete(*this);
  }
  return true;
}

const Cell& QueryCursor::cell(std::size_t column) {
  const Slot& slot = slots_[column];
  if (slot.output >= 0) cells_[column] = read_cell(statement_.output(slot.output), slot.cls, texts_[column]);
  return cells_[column];
}

std::string QueryCursor::blob(std::size_t column) {
  const Slot& slot = slots_[column];
  if (slot.output < 0 || cell(column).null) return {};
  return statement_.read_blob(transaction_, slot.output);
}

std::optional<std::size_t> QueryCursor::find_column(std::string_view name) const {
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    if (text::iequals(columns_[i].name, name)) return i;
  }
  return std::nullopt;
}

// The names asked for are ASCII, so the server's Latin-1 names compare as they come.
std::optional<std::size_t> QueryCursor::find_undeclared(std::string_view name) {
  for (int i = 0; i < statement_.output_count(); ++i) {
    if (!text::iequals(statement_.output_name(i), name)) continue;
    slots_.push_back(Slot{i, class_of(statement_.output(i))});
    cells_.emplace_back();
    texts_.emplace_back();
    return slots_.size() - 1;
  }
  return std::nullopt;
}

void QueryCursor::set_computed_number(std::size_t column, double value) {
  Cell& cell = cells_[column];
  cell.cls = slots_[column].cls;
  cell.null = false;
  cell.real = value;
}

void QueryCursor::set_computed_text(std::size_t column, std::string text) {
  texts_[column] = std::move(text);
  Cell& cell = cells_[column];
  cell.cls = slots_[column].cls;
  cell.null = false;
  cell.text = texts_[column];
}

}  // namespace vantor::db
