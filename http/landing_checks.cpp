// One thread that looks for the writes of unknown outcome once the database answers.
#include "http/landing_checks.hpp"

#include "db/catalogue.hpp"
#include "db/session.hpp"

namespace vantor::http {

using Clock = std::chrono::steady_clock;

LandingChecks::LandingChecks(db::AttachmentPool& pool, ActivityLog& log, std::chrono::milliseconds retry,
                             std::chrono::milliseconds give_up)
    : pool_(pool), log_(log), retry_(retry), give_up_(give_up), thread_([this] { run(); }) {}

LandingChecks::~LandingChecks() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void LandingChecks::settle(Landing landing) {
  {
    std::lock_guard lock(mutex_);
    if (pending_.size() < kMaxPending) {
      pending_.push_back({std::move(landing), Clock::now() + give_up_});
      wake_.notify_all();
      return;
    }
  }
  tell("unknown outcome not settled (too many waiting): " + landing.what);
}

void LandingChecks::tell(const std::string& line) { log_.publish(LogBlock{{line}, std::nullopt, std::nullopt}); }

// Never waits for an attachment: one that is free, or the next round.
bool LandingChecks::look(const Landing& landing, bool& landed) {
  try {
    auto lease = pool_.try_borrow();
    if (!lease) return false;
    db::DbSession session(**lease);
    auto cursor = session.open(db::query(landing.query), landing.params);
    if (cursor->next()) {
      const db::Cell& count = cursor->cell(0);
      landed = !count.null && (count.whole > 0 || count.real > 0);
    }
    session.finish();
    return true;
  } catch (const std::exception&) {
    return false;  // the database does not answer yet
  }
}

void LandingChecks::run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    if (pending_.empty()) {
      wake_.wait(lock);
      continue;
    }
    Pending next = std::move(pending_.front());
    pending_.pop_front();
    lock.unlock();
    bool landed = false;
    const bool looked = look(next.landing, landed);
    if (looked)
      tell(std::string("unknown outcome settled: ") + (landed ? "landed: " : "not landed: ") + next.landing.what);
    if (!looked && Clock::now() >= next.until) tell("unknown outcome not settled (no answer): " + next.landing.what);
    lock.lock();
    if (!looked && Clock::now() < next.until) {
      pending_.push_back(std::move(next));
      wake_.wait_for(lock, retry_);
    }
  }
}

}  // namespace vantor::http
