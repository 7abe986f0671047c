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
  // The statement was run with execute_single: its one row (if any) is already here.
  void use_single_row(bool has_row) {
    single_row_ = true;
    pending_ = has_row ? Pending::Row : Pending::End;
  }
  // Fetches the first row now (the first round trip of a select happens here), to be
  // handed out by the first next().
  void prefetch() { pending_ = statement_fetch() ? Pending::Row : Pending::End; }
  // Index of the column named name (without regard to case).
  std::optional<std::size_t> find_column(std::string_view name) const;
  // A result column the query does not declare (a value brought along for a completer):
  // its index for cell(), or nothing when the statement has no such column. Ask before
  // the first row.
  std::optional<std::size_t> find_undeclared(std::string_view name);
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
  bool statement_fetch();

  std::unique_ptr<RowCompleter> completer_;
  enum class Pending { Nothing, Row, End };
  Pending pending_ = Pending::Nothing;
  bool single_row_ = false;
};

}  // namespace vantor::db
