// Watches the link to the database host with an attachment of its own: a cheap round
// trip every probe interval. A round trip (or an attach) that gets no answer within the
// probe timeout means the host hangs or the cable is gone, which no error would ever
// say: the link then counts as down, the pool's attachments are cut so that the
// requests blocked on them get their answer, and new requests get theirs at once. The
// probe keeps trying to attach until the host answers again. A query that is merely
// slow does not count: the probe's own round trip still answers.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
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

  // When the probe last got an answer (the epoch when it never did).
  std::chrono::steady_clock::time_point last_answer() const;
  // How many times the link was found down.
  std::uint64_t down_periods() const;

  struct State;

 private:
  std::shared_ptr<State> state_;
};

}  // namespace vantor::db
