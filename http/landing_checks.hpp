// Writes whose commit had no known outcome (the link went while it was under way) are
// settled, not guessed: once the database answers again, a read where the tables let us
// look (the invoice header's key, the invoice line's key) tells whether the write landed,
// and the activity log says "landed" or "not landed". The client's answer stays what its
// route gave; a client learns the outcome by asking again and looking.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "db/attachment_pool.hpp"
#include "db/param_value.hpp"
#include "db/query_def.hpp"
#include "http/request_log.hpp"

namespace vantor::http {

// Where to look for one write, and how the log names it.
struct Landing {
  db::Query query;  // a count of the rows the write stores
  db::Params params;
  std::string what;  // "/invoiceinsert ref 77 (SIWS1001) from 127.0.0.1"
};

class LandingChecks {
 public:
  // Each write is looked for until give_up after it was handed in, every retry.
  LandingChecks(db::AttachmentPool& pool, ActivityLog& log,
                std::chrono::milliseconds retry = std::chrono::milliseconds(1000),
                std::chrono::milliseconds give_up = std::chrono::minutes(10));
  ~LandingChecks();
  LandingChecks(const LandingChecks&) = delete;
  LandingChecks& operator=(const LandingChecks&) = delete;

  // Hands a write in; past kMaxPending waiting ones it is only logged as not settled.
  void settle(Landing landing);

  static constexpr std::size_t kMaxPending = 256;

 private:
  struct Pending {
    Landing landing;
    std::chrono::steady_clock::time_point until;
  };
  void run();
  // Whether it could look; sets landed.
  bool look(const Landing& landing, bool& landed);
  void tell(const std::string& line);

  db::AttachmentPool& pool_;
  ActivityLog& log_;
  std::chrono::milliseconds retry_;
  std::chrono::milliseconds give_up_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<Pending> pending_;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace vantor::http
