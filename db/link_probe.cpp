// The probe's round trips on a thread of their own, each watched by the deadline watch.
#include "db/link_probe.hpp"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "db/db_error.hpp"
#include "db/lingering_threads.hpp"
#include "db/server_types.hpp"
#include "db/statement.hpp"
#include "db/transaction.hpp"

namespace vantor::db {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kNoAnswer = "the database does not answer";

bool mentions(const std::string& text, const char* part) { return text.find(part) != std::string::npos; }

// The attachments the server is running a statement for, by id. The monitoring tables
// are a snapshot taken once per transaction: a fresh transaction sees the present.
std::set<std::int64_t> running_attachments(Attachment& attachment) {
  Transaction snapshot(attachment, TransactionKind::ReadOnly);
  Statement statement(attachment, snapshot,
                      "select cast(a.mon$attachment_id as varchar(20)) from mon$attachments a"
                      " where a.mon$state = 1 or exists (select 1 from mon$statements s"
                      " where s.mon$attachment_id = a.mon$attachment_id and s.mon$state = 1)");
  statement.execute(snapshot);
  std::set<std::int64_t> ids;
  std::string buffer;
  while (statement.fetch()) {
    const Cell id = read_cell(statement.output(0), ColumnClass::Text, buffer);
    if (!id.null) ids.insert(std::stoll(std::string(id.text)));
  }
  return ids;
}

}  // namespace

std::string failure_reason(const std::exception& failure) {
  const std::string message = failure.what();
  const auto* database_failure = dynamic_cast<const DbError*>(&failure);
  const ISC_STATUS code = database_failure != nullptr ? database_failure->code() : 0;
  if (code == isc_login || mentions(message, "user name and password")) return "the database refuses the login";
  if (code == isc_shutdown || mentions(message, "shutdown")) return "the database is shut down";
  // the client library says "Failed to establish a connection" when nothing listens
  if (mentions(message, "refused") || mentions(message, "establish a connection")) {
    return "the database host refuses the connection";
  }
  if (code == isc_io_error || mentions(message, "I/O error")) return "the database file cannot be opened";
  if (mentions(message, "did not answer")) return kNoAnswer;  // the login cut at the connect timeout
  if (database_failure != nullptr && database_failure->connection_lost()) return "the link to the database was reset";
  return "the database fails: " + message;
}

struct LinkProbe::State {
  State(std::vector<AttachmentPool*> pools_in, DatabaseSettings settings_in, std::shared_ptr<DeadlineWatch> watch_in)
      : pools(std::move(pools_in)), settings(settings_in), watch(std::move(watch_in)) {}

  std::vector<AttachmentPool*> pools;
  DatabaseSettings settings;
  std::shared_ptr<DeadlineWatch> watch;
  std::mutex mutex;
  std::condition_variable wake;
  bool stopping = false;             // under mutex
  bool probe_done = false;           // under mutex
  std::string failure = "starting";  // under mutex
  // The probe thread's attachment: only it changes the handle (under handle_mutex);
  // the watch and the stop only abort it.
  std::mutex handle_mutex;
  Attachment attachment;
  std::atomic<Clock::rep> answered{0};
  std::atomic<std::uint64_t> downs{0};
  std::atomic<bool> down{false};

  // Waits for duration or the stop; true when stopping.
  bool pause(Clock::duration duration) {
    std::unique_lock lock(mutex);
    return wake.wait_for(lock, duration, [&] { return stopping; });
  }

  bool stopped() {
    std::lock_guard lock(mutex);
    return stopping;
  }

  void set_failure(std::string why) {
    std::lock_guard lock(mutex);
    failure = std::move(why);
  }

  void set_link_down(bool link_down) {
    for (AttachmentPool* pool : pools) pool->set_link_down(link_down);
  }

  void abort_attachment() {
    std::lock_guard lock(handle_mutex);
    attachment.abort();
  }

  void replace_attachment(Attachment replacement) {
    Attachment old;
    {
      std::lock_guard lock(handle_mutex);
      old = std::move(attachment);
      attachment = std::move(replacement);
    }
    old.abort();  // released without asking a host that may not answer
  }

  // Runs work on the pools unless the stop has begun: the stop frees them once it has
  // waited for the probe, which may outlive it on a host that does not answer.
  template <typename Work>
  void with_pools(Work work) {
    std::lock_guard lock(mutex);
    if (!stopping) work();
  }

  // The round trip under way has had no answer within the probe's time-out.
  void link_lost() {
    with_pools([&] {
      if (down.exchange(true)) return;
      ++downs;
      set_link_down(true);
    });
    abort_attachment();  // wakes the probe's round trip
  }

  // One round trip, attaching first when there is no attachment; the failure it met,
  // empty when it went well.
  std::string try_round_trip(const std::string& database) {
    try {
      if (!attachment.attached()) replace_attachment(Attachment::attach(database, settings));
      if (attachment.alive()) return {};
      replace_attachment(Attachment{});
      return "the link to the database was reset";
    } catch (const std::exception& failure) {
      replace_attachment(Attachment{});
      return failure_reason(failure);
    }
  }

  void round_trip(const std::string& database) {
    const auto started = Clock::now();
    auto watched = watch->arm(settings.probe_timeout, [this] { link_lost(); });
    const std::string failed = try_round_trip(database);
    watched.disarm();
    if (stopped()) return;
    if (Clock::now() - started >= settings.probe_timeout) return set_failure(kNoAnswer);
    if (!failed.empty()) return set_failure(failed);
    answered = Clock::now().time_since_epoch().count();
    set_failure({});
    with_pools([&] {
      if (down.exchange(false)) set_link_down(false);
    });
    look_at_outstanding_trips();
  }

  // Requests' round trips with no answer for a while: the server says whether it runs
  // them. A Firebird 3 attachment sends nothing while its statement runs, so only the
  // server's side tells a slow statement from a dead link.
  void look_at_outstanding_trips() {
    std::vector<std::pair<AttachmentPool*, OutstandingTrip>> trips;
    with_pools([&] {
      for (AttachmentPool* pool : pools) {
        for (const auto& trip : pool->outstanding_trips()) trips.emplace_back(pool, trip);
      }
    });
    if (trips.empty()) return;
    std::set<std::int64_t> running;
    try {
      auto watched = watch->arm(settings.probe_timeout, [this] { link_lost(); });
      running = running_attachments(attachment);
    } catch (const std::exception&) {
      return;  // the next round trip tells what happened to the link
    }
    with_pools([&] {
      for (const auto& [pool, trip] : trips) {
        if (running.count(trip.server_id) > 0) {
          pool->confirm_busy(trip);
        } else {
          pool->cut_silent(trip);
        }
      }
    });
  }

  void probe() {
    const std::string database = pools.front()->database();
    do {
      round_trip(database);
    } while (!pause(answered_lately() ? settings.probe_interval : std::chrono::milliseconds(250)));
    replace_attachment(Attachment{});
    {
      std::lock_guard lock(mutex);
      probe_done = true;
    }
    wake.notify_all();
  }

  bool answered_lately() {
    std::lock_guard lock(mutex);
    return failure.empty();
  }
};

LinkProbe::LinkProbe(std::vector<AttachmentPool*> pools, DatabaseSettings settings,
                     std::shared_ptr<DeadlineWatch> watch)
    : state_(std::make_shared<State>(std::move(pools), settings, std::move(watch))) {
  LingeringThreads::instance();
  thread_ = std::thread([state = state_] { state->probe(); });
}

// An attach to a host that does not answer cannot be woken: the stop does not wait for
// it, and the probe thread is kept (it holds its own share of the state) until it ends
// or the process exits.
LinkProbe::~LinkProbe() {
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
  }
  state_->wake.notify_all();
  state_->abort_attachment();
  const auto ended_by = [state = state_](Clock::time_point deadline) {
    std::unique_lock lock(state->mutex);
    return state->wake.wait_until(lock, deadline, [&] { return state->probe_done; });
  };
  if (ended_by(Clock::now() + std::chrono::milliseconds(500))) {
    thread_.join();
    return;
  }
  // the turn to attach, then the connect: each ends within the connect time-out
  LingeringThreads::instance().keep(std::move(thread_), ended_by, 2 * state_->settings.connect_timeout);
}

Clock::time_point LinkProbe::last_answer() const { return Clock::time_point(Clock::duration(state_->answered)); }

std::string LinkProbe::failure() const {
  std::lock_guard lock(state_->mutex);
  return state_->failure;
}

std::uint64_t LinkProbe::down_periods() const { return state_->downs; }

}  // namespace vantor::db
