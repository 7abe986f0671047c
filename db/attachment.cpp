// Attachment: attach, liveness check, detach, immediate statements.
#include "db/attachment.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "db/db_error.hpp"
#include "db/transaction.hpp"

namespace vantor::db {
namespace {

void add_dpb_text(std::vector<char>& dpb, char tag, const char* text) {
  const auto length = std::strlen(text);
  dpb.push_back(tag);
  dpb.push_back(static_cast<char>(length));
  dpb.insert(dpb.end(), text, text + length);
}

}  // namespace

Attachment Attachment::attach(const std::string& database, const DatabaseSettings& settings) {
  std::vector<char> dpb{isc_dpb_version1};
  add_dpb_text(dpb, isc_dpb_user_name, settings.user.c_str());
  add_dpb_text(dpb, isc_dpb_password, settings.password.c_str());
  const auto seconds = static_cast<std::uint32_t>(std::max<std::int64_t>(1, settings.connect_timeout.count()));
  dpb.push_back(isc_dpb_connect_timeout);
  dpb.push_back(4);
  for (int shift = 0; shift < 32; shift += 8) dpb.push_back(static_cast<char>((seconds >> shift) & 0xFF));
  ISC_STATUS_ARRAY status{};
  Attachment attachment;
  AttachTurn turn(database, settings.connect_timeout);
  isc_attach_database(status, static_cast<short>(database.size()), database.c_str(), &attachment.handle_,
                      static_cast<short>(dpb.size()), dpb.data());
  if (turn.end_watch()) {
    throw DbError(
        "the database host did not answer the login within " + std::to_string(settings.connect_timeout.count()) + " s",
        true);
  }
  check_status(status);
  attachment.sockets_ = turn.opened();
  return attachment;
}

Attachment::Attachment(Attachment&& other) noexcept
    : handle_(std::exchange(other.handle_, 0)),
      round_trip_clock_(std::exchange(other.round_trip_clock_, nullptr)),
      sockets_(std::exchange(other.sockets_, {})) {}

Attachment& Attachment::operator=(Attachment&& other) noexcept {
  if (this != &other) {
    release();
    handle_ = std::exchange(other.handle_, 0);
    round_trip_clock_ = std::exchange(other.round_trip_clock_, nullptr);
    sockets_ = std::exchange(other.sockets_, {});
  }
  return *this;
}

Attachment::~Attachment() { release(); }

void Attachment::release() noexcept {
  sockets_.clear();  // the detach closes them, and their numbers go to whoever asks next
  if (handle_ == 0) return;
  ISC_STATUS_ARRAY status{};
  isc_detach_database(status, &handle_);
  handle_ = 0;  // a dead attachment cannot be detached cleanly; drop the handle anyway
}

void Attachment::detach() {
  sockets_.clear();
  if (handle_ == 0) return;
  RoundTrip trip(this);
  ISC_STATUS_ARRAY status{};
  isc_detach_database(status, &handle_);
  handle_ = 0;
  check_status(status);
}

// The library's own abort closes the socket under a wait that may be about to begin on
// it; shutting it down ends every wait on it and keeps the number until the detach.
void Attachment::abort() noexcept {
  if (handle_ == 0) return;
  if (!sockets_.empty()) {
    for (const auto& socket : sockets_) shut_down(socket);
    return;
  }
  ISC_STATUS_ARRAY status{};
  fb_cancel_operation(status, &handle_, fb_cancel_abort);
}

void Attachment::cancel() noexcept {
  if (handle_ == 0) return;
  ISC_STATUS_ARRAY status{};
  fb_cancel_operation(status, &handle_, fb_cancel_raise);
}

bool Attachment::alive() noexcept {
  if (handle_ == 0) return false;
  RoundTrip trip(this);
  static const char items[] = {isc_info_attachment_id, isc_info_end};
  std::array<char, 32> result{};
  ISC_STATUS_ARRAY status{};
  isc_database_info(status, &handle_, sizeof(items), items, static_cast<short>(result.size()), result.data());
  return !failed(status);
}

std::int64_t Attachment::server_id() {
  RoundTrip trip(this);
  static const char items[] = {isc_info_attachment_id, isc_info_end};
  std::array<char, 32> result{};
  ISC_STATUS_ARRAY status{};
  isc_database_info(status, &handle_, sizeof(items), items, static_cast<short>(result.size()), result.data());
  check_status(status);
  if (result[0] != isc_info_attachment_id) return 0;
  const auto length = static_cast<short>(isc_vax_integer(result.data() + 1, 2));
  return isc_portable_integer(reinterpret_cast<const ISC_UCHAR*>(result.data() + 3), length);
}

void Attachment::execute_immediate(Transaction& transaction, std::string_view sql_latin1) {
  RoundTrip trip(this);
  ISC_STATUS_ARRAY status{};
  isc_dsql_execute_immediate(status, &handle_, transaction.handle(), static_cast<unsigned short>(0),
                             std::string(sql_latin1).c_str(), kSqlDialect, nullptr);
  check_status(status);
}

}  // namespace vantor::db
