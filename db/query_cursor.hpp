// An open select of a named query: its columns (declared, or as the server reports them)
// and its rows, read one at a time from the server as the reader moves on.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/query_def.hpp"
#include "db/row_source.hpp"

namespace vantor::db {

class Statement;
class Transaction;
class QueryCursor;

// Fills a row's calculated and lookup columns each time a row becomes current.
class RowCompleter {
 public:
  virtual ~RowCompleter() = default;
  virtual void complete(QueryCursor& cursor) = 0;
};

class QueryCursor final : public RowSource {
 public:
  // statement must have been executed in transaction. Throws DbError when a declared
  // data column is missing from the result or is of another basic kind.
  QueryCursor(Statement& statement, Transaction& transaction, const QueryDef& def, std::size_t packet_size);
  QueryCursor(const QueryCursor&) = delete;
  QueryCursor& operator=(const QueryCursor&) = delete;
  ~QueryCursor() override;

  const std::vector<ColumnInfo>& columns() const override { return columns_; }
  bool next() override;
  const Cell& cell(std::size_t column) override;
  std::string blob(std::size_t column) override;
  std::size_t packet_size() const override { return packet_size_; }

  void set_completer(std::unique_ptr<RowCompleter> completer) { completer_ = std::move(completer); }
  // Index of the column named name (without regard to case).
  std::optional<std::size_t> find_column(std::string_view name) const;
  // For completers: the value of a calculated or lookup column of the current row.
  void set_computed_number(std::size_t column, double value);
  void set_computed_text(std::size_t column, std::string text);

 private:
  struct Slot {
    int output = -1;  // result column feeding it, -1 for calculated and lookup columns
    ColumnClass cls = ColumnClass::Text;
  };

  void map_declared(const QueryDef& def);
  void map_reported();

  Statement& statement_;
  Transaction& transaction_;
  std::size_t packet_size_;
  std::vector<ColumnInfo> columns_;
  std::vector<Slot> slots_;
  std::vector<Cell> cells_;
  std::vector<std::string> texts_;
  std::unique_ptr<RowCompleter> completer_;
};

}  // namespace vantor::db
