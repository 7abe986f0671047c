// Statement: prepare, describe, bind, execute, fetch and read blobs through the ISC API.
#include "db/statement.hpp"

#include <array>
#include <cstring>

#include "db/attachment.hpp"
#include "db/db_error.hpp"
#include "db/transaction.hpp"

namespace vantor::db {
namespace {

constexpr short kInitialColumns = 32;
constexpr std::size_t kMaxTextParameter = 32767;

}  // namespace

Statement::Statement(Attachment& attachment, Transaction& transaction, std::string_view sql_latin1)
    : attachment_(&attachment), inputs_(8), outputs_(kInitialColumns) {
  RoundTrip trip(attachment_);
  ISC_STATUS_ARRAY status{};
  isc_dsql_allocate_statement(status, attachment.handle(), &handle_);
  check_status(status);
  const std::string sql(sql_latin1);
  isc_dsql_prepare(status, transaction.handle(), &handle_, 0, sql.c_str(), kSqlDialect, outputs_.get());
  if (failed(status)) {
    ISC_STATUS_ARRAY ignored{};
    isc_dsql_free_statement(ignored, &handle_, DSQL_drop);
    check_status(status);
  }
  describe_outputs();
  describe_inputs();
  read_kind();
}

Statement::~Statement() {
  if (handle_ == 0) return;
  ISC_STATUS_ARRAY status{};
  isc_dsql_free_statement(status, &handle_, DSQL_drop);
}

void Statement::describe_outputs() {
  if (outputs_.count() > outputs_.capacity()) {
    const short needed = outputs_.count();
    outputs_.reserve(needed);
    ISC_STATUS_ARRAY status{};
    isc_dsql_describe(status, &handle_, kSqlDialect, outputs_.get());
    check_status(status);
  }
  outputs_.allocate_outputs();
}

void Statement::describe_inputs() {
  ISC_STATUS_ARRAY status{};
  isc_dsql_describe_bind(status, &handle_, kSqlDialect, inputs_.get());
  check_status(status);
  if (inputs_.count() > inputs_.capacity()) {
    inputs_.reserve(inputs_.count());
    isc_dsql_describe_bind(status, &handle_, kSqlDialect, inputs_.get());
    check_status(status);
  }
  for (int i = 0; i < inputs_.count(); ++i) bind_null(i);
}

void Statement::read_kind() {
  static const char items[] = {isc_info_sql_stmt_type};
  std::array<char, 16> buffer{};
  ISC_STATUS_ARRAY status{};
  isc_dsql_sql_info(status, &handle_, sizeof(items), items, static_cast<short>(buffer.size()), buffer.data());
  check_status(status);
  if (buffer[0] != isc_info_sql_stmt_type) return;
  const auto length = static_cast<short>(isc_vax_integer(buffer.data() + 1, 2));
  const auto type = isc_vax_integer(buffer.data() + 3, length);
  plain_select_ = type == isc_info_sql_stmt_select;
  if (type == isc_info_sql_stmt_select || type == isc_info_sql_stmt_select_for_upd) {
    kind_ = StatementKind::Select;
  } else if (type == isc_info_sql_stmt_exec_procedure) {
    kind_ = StatementKind::ExecProcedure;
  }
}

void Statement::set_input(int index, short sqltype, short sqllen, const void* data, std::size_t size) {
  XSQLVAR& var = inputs_.var(index);
  char* buffer = inputs_.input_buffer(index, size == 0 ? 1 : size);
  if (size > 0) std::memcpy(buffer, data, size);
  var.sqltype = static_cast<short>(sqltype | 1);
  var.sqllen = sqllen;
  var.sqlscale = 0;
  var.sqlsubtype = 0;
  var.sqldata = buffer;
  *inputs_.indicator(index) = 0;
  var.sqlind = inputs_.indicator(index);
}

void Statement::bind_null(int index) {
  set_input(index, SQL_TEXT, 0, nullptr, 0);
  *inputs_.indicator(index) = -1;
}

void Statement::bind_text(int index, std::string_view latin1) {
  if (latin1.size() > kMaxTextParameter) {
    throw DbError("string right truncation: a text parameter is longer than 32767 bytes", false);
  }
  set_input(index, SQL_TEXT, static_cast<short>(latin1.size()), latin1.data(), latin1.size());
}

void Statement::bind_double(int index, double value) {
  set_input(index, SQL_DOUBLE, sizeof(double), &value, sizeof(double));
}

void Statement::bind_int(int index, std::int32_t value) {
  set_input(index, SQL_LONG, sizeof(std::int32_t), &value, sizeof(std::int32_t));
}

void Statement::bind_timestamp(int index, ISC_TIMESTAMP value) {
  set_input(index, SQL_TIMESTAMP, sizeof(ISC_TIMESTAMP), &value, sizeof(ISC_TIMESTAMP));
}

void Statement::execute(Transaction& transaction) {
  close();
  RoundTrip trip(attachment_);
  ISC_STATUS_ARRAY status{};
  XSQLDA* in = inputs_.count() > 0 ? inputs_.get() : nullptr;
  if (kind_ == StatementKind::ExecProcedure && outputs_.count() > 0) {
    isc_dsql_execute2(status, transaction.handle(), &handle_, kSqlDialect, in, outputs_.get());
  } else {
    isc_dsql_execute(status, transaction.handle(), &handle_, kSqlDialect, in);
  }
  check_status(status);
  cursor_open_ = kind_ == StatementKind::Select;
}

bool Statement::execute_single(Transaction& transaction) {
  close();
  RoundTrip trip(attachment_);
  ISC_STATUS_ARRAY status{};
  XSQLDA* in = inputs_.count() > 0 ? inputs_.get() : nullptr;
  isc_dsql_execute2(status, transaction.handle(), &handle_, kSqlDialect, in, outputs_.get());
  // a singleton execution leaves no cursor open: closing it again fails inside the client
  // library (an exception thrown and caught there on every request)
  if (status[0] == 1 && status[1] == isc_stream_eof) return false;
  check_status(status);
  return true;
}

bool Statement::fetch() {
  if (!cursor_open_) return false;
  RoundTrip trip(attachment_);
  ISC_STATUS_ARRAY status{};
  const ISC_STATUS result = isc_dsql_fetch(status, &handle_, kSqlDialect, outputs_.get());
  if (result == 100) return false;
  check_status(status);
  return true;
}

void Statement::close() noexcept {
  if (!cursor_open_) return;
  cursor_open_ = false;
  ISC_STATUS_ARRAY status{};
  isc_dsql_free_statement(status, &handle_, DSQL_close);
}

std::string_view Statement::output_name(int index) const noexcept {
  const XSQLVAR& var = outputs_.var(index);
  return {var.aliasname, static_cast<std::size_t>(var.aliasname_length)};
}

std::string Statement::read_blob(Transaction& transaction, int index) {
  const XSQLVAR& var = outputs_.var(index);
  ISC_QUAD id{};
  std::memcpy(&id, var.sqldata, sizeof(id));
  RoundTrip trip(attachment_);
  ISC_STATUS_ARRAY status{};
  isc_blob_handle blob = 0;
  isc_open_blob2(status, attachment_->handle(), transaction.handle(), &blob, &id, 0, nullptr);
  check_status(status);
  std::string bytes;
  std::array<char, 32768> segment{};
  for (;;) {
    unsigned short length = 0;
    const ISC_STATUS result =
        isc_get_segment(status, &blob, &length, static_cast<unsigned short>(segment.size()), segment.data());
    if (result == isc_segstr_eof) break;
    if (result != 0 && result != isc_segment) {
      ISC_STATUS_ARRAY ignored{};
      isc_close_blob(ignored, &blob);
      check_status(status);
    }
    bytes.append(segment.data(), length);
  }
  isc_close_blob(status, &blob);
  return bytes;
}

}  // namespace vantor::db
