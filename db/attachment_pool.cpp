// Borrowing, liveness checks and re-attaching.
#include "db/attachment_pool.hpp"

#include <algorithm>

#include "db/db_error.hpp"

namespace vantor::db {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kLinkDown = "the database host does not answer: the link is down";

}  // namespace

void PooledAttachment::reattach() {
  abort_from_outside();  // it was found gone: its rollback and detach need not ask the server
  reset();
  if (link_down != nullptr && *link_down) throw DatabaseUnreachable(kLinkDown);
  Attachment fresh;
  try {
    fresh = Attachment::attach(database, settings);
  } catch (const DbError& failure) {
    throw DatabaseUnreachable(failure.what());
  }
  fresh.note_round_trips_in(&round_trip_since);
  try {
    server_id = fresh.server_id();
  } catch (const DbError& failure) {
    throw DatabaseUnreachable(failure.what());
  }
  {
    std::lock_guard lock(handle_mutex);
    attachment = std::move(fresh);
  }
  ++attaches;
}

AttachmentPool::Lease::~Lease() {
  if (slot_ != nullptr) pool_->give_back(slot_);
}

AttachmentPool::AttachmentPool(std::string database, std::size_t size, DatabaseSettings settings,
                               std::shared_ptr<DeadlineWatch> watch)
    : database_(std::move(database)),
      settings_(settings),
      watch_(watch ? std::move(watch) : std::make_shared<DeadlineWatch>()) {
  if (size == 0) size = 1;
  for (std::size_t i = 0; i < size; ++i) {
    slots_.push_back(std::make_unique<PooledAttachment>());
    slots_.back()->settings = settings_;
    slots_.back()->link_down = &link_down_;
    slots_.back()->watch = watch_.get();
    idle_.push_back(slots_.back().get());
  }
}

AttachmentPool::~AttachmentPool() { detach_all(); }

AttachmentPool::Lease AttachmentPool::borrow() {
  if (link_down_) throw DatabaseUnreachable(kLinkDown);
  std::unique_lock lock(mutex_);
  available_.wait(lock, [&] { return !idle_.empty(); });
  return take_idle(lock);
}

std::optional<AttachmentPool::Lease> AttachmentPool::try_borrow() {
  if (link_down_) throw DatabaseUnreachable(kLinkDown);
  std::unique_lock lock(mutex_);
  if (idle_.empty()) return std::nullopt;
  return take_idle(lock);
}

AttachmentPool::Lease AttachmentPool::take_idle(std::unique_lock<std::mutex>& lock) {
  PooledAttachment* slot = idle_.back();
  idle_.pop_back();
  std::string database = database_;
  const std::uint64_t generation = generation_;
  lock.unlock();
  Lease lease(*this, *slot);
  if (slot->attachment.attached() && slot->generation == generation && !slot->broken) {
    const bool rested = Clock::now() - slot->idle_since > settings_.idle_check;
    if (!rested || answers_within_bound(*slot)) return lease;
    ++idle_replacements_;
  }
  slot->database = std::move(database);
  slot->generation = generation;
  slot->reattach();
  return lease;
}

// A firewall that forgot the link tells nobody, and TCP's keep-alive would notice only
// after hours: a round trip does, and a deadline cuts it when nothing answers.
bool AttachmentPool::answers_within_bound(PooledAttachment& slot) {
  auto bound = watch_->arm(settings_.probe_timeout, [&slot] { slot.abort_from_outside(); });
  return slot.attachment.alive();
}

void AttachmentPool::give_back(PooledAttachment* slot) noexcept {
  slot->idle_since = Clock::now();
  slot->round_trip_since = 0;
  bool stale = false;
  {
    std::lock_guard lock(mutex_);
    stale = slot->generation != generation_;
  }
  if (stale) slot->reset();
  {
    std::lock_guard lock(mutex_);
    idle_.push_back(slot);
  }
  available_.notify_one();
}

void AttachmentPool::detach_all() noexcept {
  std::vector<PooledAttachment*> idle;
  {
    std::lock_guard lock(mutex_);
    ++generation_;
    idle = idle_;
    idle_.clear();  // held back while detaching, so nobody borrows them meanwhile
  }
  {
    // a detach asks the server: on a dead link it would wait until TCP gives up
    std::vector<DeadlineWatch::Ticket> bounds;
    for (auto* slot : idle)
      bounds.push_back(watch_->arm(settings_.probe_timeout, [slot] { slot->abort_from_outside(); }));
    for (auto* slot : idle) slot->reset();
  }
  {
    std::lock_guard lock(mutex_);
    idle_.insert(idle_.end(), idle.begin(), idle.end());
  }
  available_.notify_all();
}

std::vector<OutstandingTrip> AttachmentPool::outstanding_trips() const {
  const auto now = Clock::now().time_since_epoch().count();
  const auto silence = std::chrono::duration_cast<Clock::duration>(settings_.round_trip_silence).count();
  std::vector<OutstandingTrip> trips;
  for (const auto& slot : slots_) {
    const std::int64_t since = slot->round_trip_since;
    if (since != 0 && now - since > silence) trips.push_back({slot.get(), slot->server_id, since});
  }
  return trips;
}

std::size_t AttachmentPool::silent_trips() const {
  std::size_t silent = 0;
  for (const auto& trip : outstanding_trips()) silent += trip.slot->confirmed_busy != trip.since ? 1 : 0;
  return silent;
}

void AttachmentPool::confirm_busy(const OutstandingTrip& trip) noexcept { trip.slot->confirmed_busy = trip.since; }

void AttachmentPool::cut_silent(const OutstandingTrip& trip) noexcept {
  if (trip.slot->round_trip_since != trip.since) return;  // it has come back meanwhile
  ++silent_cuts_;
  trip.slot->abort_from_outside();
}

void AttachmentPool::set_link_down(bool down) noexcept {
  link_down_ = down;
  if (!down) return;
  std::lock_guard lock(mutex_);
  ++generation_;  // each one is replaced when it is next borrowed or given back
  for (const auto& slot : slots_) slot->abort_from_outside();
}

void AttachmentPool::abort_in_use() noexcept {
  std::lock_guard lock(mutex_);
  ++generation_;  // whatever comes back is stale
  for (const auto& slot : slots_) {
    if (std::find(idle_.begin(), idle_.end(), slot.get()) == idle_.end()) slot->abort_from_outside();
  }
}

std::size_t AttachmentPool::idle_count() const {
  std::lock_guard lock(mutex_);
  return idle_.size();
}

std::string AttachmentPool::database() const {
  std::lock_guard lock(mutex_);
  return database_;
}

void AttachmentPool::set_database(std::string database) {
  {
    std::lock_guard lock(mutex_);
    database_ = std::move(database);
  }
  detach_all();
}

std::uint64_t AttachmentPool::attach_count() const {
  std::lock_guard lock(mutex_);
  std::uint64_t count = 0;
  for (const auto& slot : slots_) count += slot->attaches;  // idle or not, each counter is read once
  return count;
}

}  // namespace vantor::db
