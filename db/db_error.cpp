// Turns a failed ISC status vector into a DbError carrying the server's text.
#include "db/db_error.hpp"

#include <array>

namespace vantor::db {
namespace {

// Error codes after which the attachment cannot be used any more.
bool is_connection_loss(ISC_STATUS code) {
  switch (code) {
    case isc_network_error:
    case isc_net_read_err:
    case isc_net_write_err:
    case isc_lost_db_connection:
    case isc_conn_lost:
    case isc_shutdown:
    case isc_att_shutdown:
    case isc_bad_db_handle:
    case isc_io_error: return true;
    default: return false;
  }
}

bool is_lock_conflict(ISC_STATUS code) {
  return code == isc_lock_conflict || code == isc_lock_timeout || code == isc_deadlock || code == isc_update_conflict;
}

// Whether one of the error codes of the status vector is of a kind.
bool status_mentions(const ISC_STATUS* status, bool (*of_kind)(ISC_STATUS)) {
  for (const ISC_STATUS* p = status; *p != isc_arg_end;) {
    ISC_STATUS kind = *p++;
    ISC_STATUS value = *p++;
    if (kind == isc_arg_gds && of_kind(value)) return true;
    if (kind == isc_arg_cstring) ++p;  // length, then pointer
  }
  return false;
}

}  // namespace

DbError::DbError(const std::string& message, bool connection_lost, ISC_STATUS code, bool lock_conflict)
    : std::runtime_error(message), connection_lost_(connection_lost), code_(code), lock_conflict_(lock_conflict) {}

bool lock_conflict(const std::exception& failure) noexcept {
  const auto* database_failure = dynamic_cast<const DbError*>(&failure);
  return database_failure != nullptr && database_failure->lock_conflict();
}

std::string status_message(const ISC_STATUS* status) {
  std::string message;
  std::array<char, 1024> line{};
  const ISC_STATUS* cursor = status;
  while (fb_interpret(line.data(), line.size(), &cursor) > 0) {
    if (!message.empty()) message += "; ";
    message += line.data();
  }
  return message.empty() ? std::string("unknown database error") : message;
}

void check_status(const ISC_STATUS* status) {
  if (failed(status)) {
    throw DbError(status_message(status), status_mentions(status, is_connection_loss), status[1],
                  status_mentions(status, is_lock_conflict));
  }
}

}  // namespace vantor::db
