// Transaction: start with the parameters of its kind, commit, roll back.
#include "db/transaction.hpp"

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "db/attachment.hpp"
#include "db/db_error.hpp"

namespace vantor::db {
namespace {

std::vector<char> parameters_for(TransactionKind kind, std::chrono::seconds lock_timeout) {
  std::vector<char> tpb{isc_tpb_version3, isc_tpb_read_committed, isc_tpb_rec_version};
  switch (kind) {
    case TransactionKind::ReadOnly:
      tpb.push_back(isc_tpb_read);
      tpb.push_back(isc_tpb_wait);
      break;
    case TransactionKind::ReadWrite: {
      tpb.push_back(isc_tpb_write);
      tpb.push_back(isc_tpb_wait);
      // a row lock held by someone else (an ERP user in an open edit) ends the wait
      const auto seconds = static_cast<std::uint32_t>(std::max<std::int64_t>(1, lock_timeout.count()));
      tpb.push_back(isc_tpb_lock_timeout);
      tpb.push_back(4);
      for (int shift = 0; shift < 32; shift += 8) tpb.push_back(static_cast<char>((seconds >> shift) & 0xFF));
      break;
    }
    case TransactionKind::ReadWriteNoWait:
      tpb.push_back(isc_tpb_write);
      tpb.push_back(isc_tpb_nowait);
      break;
  }
  return tpb;
}

}  // namespace

Transaction::Transaction(Attachment& attachment, TransactionKind kind, std::chrono::seconds lock_timeout)
    : attachment_(&attachment) {
  const auto tpb = parameters_for(kind, lock_timeout);
  RoundTrip trip(attachment_);
  ISC_STATUS_ARRAY status{};
  isc_start_transaction(status, &handle_, 1, attachment.handle(), static_cast<unsigned short>(tpb.size()), tpb.data());
  check_status(status);
}

Transaction::Transaction(Transaction&& other) noexcept
    : handle_(std::exchange(other.handle_, 0)), attachment_(std::exchange(other.attachment_, nullptr)) {}

Transaction& Transaction::operator=(Transaction&& other) noexcept {
  if (this != &other) {
    rollback_quietly();
    handle_ = std::exchange(other.handle_, 0);
    attachment_ = std::exchange(other.attachment_, nullptr);
  }
  return *this;
}

Transaction::~Transaction() { rollback_quietly(); }

void Transaction::commit() {
  ISC_STATUS_ARRAY status{};
  {
    RoundTrip trip(attachment_);
    isc_commit_transaction(status, &handle_);
  }
  if (failed(status)) {
    rollback_quietly();
    try {
      check_status(status);
    } catch (const DbError& failure) {
      if (!failure.connection_lost()) throw;
      // the server may have committed before the link went: nobody can tell from here
      throw OutcomeUnknown(std::string("the outcome of the write is unknown: the link to the database was lost "
                                       "while its commit was under way; check whether it was stored (") +
                               failure.what() + ")",
                           failure.code());
    }
  }
  handle_ = 0;
}

void Transaction::rollback() {
  ISC_STATUS_ARRAY status{};
  RoundTrip trip(attachment_);
  isc_rollback_transaction(status, &handle_);
  handle_ = 0;
  check_status(status);
}

void Transaction::rollback_quietly() noexcept {
  if (handle_ == 0) return;
  ISC_STATUS_ARRAY status{};
  RoundTrip trip(attachment_);
  isc_rollback_transaction(status, &handle_);
  handle_ = 0;  // on a lost attachment the handle is gone with it
}

}  // namespace vantor::db
