// The probe's round trips on a thread of their own, each watched by the deadline watch.
#include "db/link_probe.hpp"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantor::db {

using Clock = std::chrono::steady_clock;

struct LinkProbe::State {
  State(std::vector<AttachmentPool*> pools_in, DatabaseSettings settings_in, std::shared_ptr<DeadlineWatch> watch_in)
      : pools(std::move(pools_in)), settings(settings_in), watch(std::move(watch_in)) {}

  std::vector<AttachmentPool*> pools;
  DatabaseSettings settings;
  std::shared_ptr<DeadlineWatch> watch;
  std::mutex mutex;
  std::condition_variable wake;
  bool stopping = false;
  // The probe thread's attachment: only it changes the handle (under handle_mutex);
  // the watch and the stop only abort it.
  std::mutex handle_mutex;
  Attachment attachment;
  std::atomic<Clock::rep> answered{0};
  std::atomic<std::uint64_t> downs{0};
  std::atomic<bool> down{false};
  bool probe_done = false;  // under mutex

  // Waits for duration or the stop; true when stopping.
  bool pause(Clock::duration duration) {
    std::unique_lock lock(mutex);
    return wake.wait_for(lock, duration, [&] { return stopping; });
  }

  bool stopped() {
    std::lock_guard lock(mutex);
    return stopping;
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

  // One round trip, attaching first when there is no attachment. A refusal or an error
  // that comes back at once is an answer too: the host is there.
  void round_trip(const std::string& database) {
    const auto started = Clock::now();
    auto watched = watch->arm(settings.probe_timeout, [this] { link_lost(); });
    bool answered_now = false;
    try {
      if (!attachment.attached()) replace_attachment(Attachment::attach(database, settings));
      answered_now = attachment.alive();
      if (!answered_now) replace_attachment(Attachment{});
      answered_now = true;
    } catch (const std::exception&) {
      answered_now = true;
    }
    watched.disarm();
    const bool in_time = Clock::now() - started < settings.probe_timeout;
    if (!answered_now || !in_time || stopped()) return;
    answered = Clock::now().time_since_epoch().count();
    if (down.exchange(false)) set_link_down(false);
  }

  void probe() {
    const std::string database = pools.front()->database();
    do {
      round_trip(database);
    } while (!pause(down ? std::chrono::milliseconds(250) : settings.probe_interval));
    replace_attachment(Attachment{});
    {
      std::lock_guard lock(mutex);
      probe_done = true;
    }
    wake.notify_all();
  }

  // The round trip under way has had no answer within the probe's time-out.
  void link_lost() {
    if (down.exchange(true)) return;
    ++downs;
    set_link_down(true);
    abort_attachment();  // wakes the probe's round trip
  }
};

LinkProbe::LinkProbe(std::vector<AttachmentPool*> pools, DatabaseSettings settings,
                     std::shared_ptr<DeadlineWatch> watch)
    : state_(std::make_shared<State>(std::move(pools), settings, std::move(watch))) {
  std::thread([state = state_] { state->probe(); }).detach();
}

// An attach to a host that does not answer cannot be woken: the probe thread is left to
// end on its own (it holds its own share of the state), and the stop does not wait.
LinkProbe::~LinkProbe() {
  {
    std::lock_guard lock(state_->mutex);
    state_->stopping = true;
  }
  state_->wake.notify_all();
  state_->abort_attachment();
  std::unique_lock lock(state_->mutex);
  state_->wake.wait_for(lock, std::chrono::milliseconds(500), [&] { return state_->probe_done; });
}

Clock::time_point LinkProbe::last_answer() const { return Clock::time_point(Clock::duration(state_->answered)); }

std::uint64_t LinkProbe::down_periods() const { return state_->downs; }

}  // namespace vantor::db
