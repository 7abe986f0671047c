// RAII owner of one prepared DSQL statement with its input and output descriptions.
// Parameters are positional ("?") here; the named-query layer maps names to positions.
#pragma once

#include <ibase.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "db/sqlda.hpp"

namespace vantor::db {

class Attachment;
class Transaction;

enum class StatementKind { Select, ExecProcedure, Other };

class Statement {
 public:
  // Prepares sql (ISO-8859-1 bytes, "?" parameters) in dialect 1; throws DbError.
  Statement(Attachment& attachment, Transaction& transaction, std::string_view sql_latin1);
  Statement(const Statement&) = delete;
  Statement& operator=(const Statement&) = delete;
  ~Statement();

  StatementKind kind() const noexcept { return kind_; }
  // A select that locks nothing (not "for update" / "with lock"): the one kind a
  // read-only transaction can run without refusing it half way.
  bool plain_select() const noexcept { return plain_select_; }
  int input_count() const noexcept { return inputs_.count(); }
  int output_count() const noexcept { return outputs_.count(); }

  // Binding: the value replaces whatever the parameter held; the server converts it
  // to the parameter's type and fails the execution when it cannot.
  void bind_null(int index);
  void bind_text(int index, std::string_view latin1);
  void bind_double(int index, double value);
  void bind_int(int index, std::int32_t value);
  void bind_timestamp(int index, ISC_TIMESTAMP value);

  // Runs the statement; a select opens its cursor. An open cursor is closed first.
  void execute(Transaction& transaction);
  // Runs a select that gives at most one row and reads that row into the outputs in the
  // same round trip; false when there is none. More than one row fails.
  bool execute_single(Transaction& transaction);
  // Moves to the next row of an open cursor; false at the end.
  bool fetch();
  // Closes the cursor, keeping the statement prepared; never throws.
  void close() noexcept;
  bool cursor_open() const noexcept { return cursor_open_; }

  const XSQLVAR& output(int index) const noexcept { return outputs_.var(index); }
  std::string_view output_name(int index) const noexcept;
  // All bytes of the blob in output column index of the current row.
  std::string read_blob(Transaction& transaction, int index);

 private:
  void describe_outputs();
  void describe_inputs();
  void read_kind();
  void set_input(int index, short sqltype, short sqllen, const void* data, std::size_t size);

  Attachment* attachment_;
  isc_stmt_handle handle_ = 0;
  Sqlda inputs_;
  Sqlda outputs_;
  StatementKind kind_ = StatementKind::Other;
  bool plain_select_ = false;
  bool cursor_open_ = false;
};

}  // namespace vantor::db
