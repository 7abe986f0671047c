// Watches the link to the database with an attachment of its own: a cheap round trip
// every probe interval. It says whether a request would be served now, and why not:
// - a round trip (or an attach) that gets no answer within the probe timeout means the
//   host hangs or the cable is gone, which no error would ever say: the link then counts
//   as down, the pool's attachments are cut so that the requests blocked on them get
//   their answer, and new requests get theirs at once;
// - a round trip that fails (refused, reset, login refused, no such database, shut
//   down) means the database cannot serve: the probe is down with that reason, and the
//   requests find out for themselves;
// - a request's round trip outstanding past the silence bound is looked up from the
//   probe's attachment in the server's monitoring tables: one the server is not running
//   is cut (its request gets the empty answer), a slow statement never is.
// The probe keeps trying until the database answers again.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "db/attachment_pool.hpp"
#include "db/database_settings.hpp"
#include "db/deadline_watch.hpp"

namespace vantor::db {

class LinkProbe {
 public:
  // pools: every pool on the database (the first one's database is probed); watch: where
  // the probe's round trips are timed.
  LinkProbe(std::vector<AttachmentPool*> pools, DatabaseSettings settings, std::shared_ptr<DeadlineWatch> watch);
  ~LinkProbe();
  LinkProbe(const LinkProbe&) = delete;
  LinkProbe& operator=(const LinkProbe&) = delete;

  // When the probe last got a good answer (the epoch when it never did).
  std::chrono::steady_clock::time_point last_answer() const;
  // Why the last round trip failed; empty after a good one.
  std::string failure() const;
  // How many times the link was found down (silent).
  std::uint64_t down_periods() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
  std::thread thread_;
};

// What a failed attach or round trip says of the database, in a few words.
std::string failure_reason(const std::exception& failure);

}  // namespace vantor::db
