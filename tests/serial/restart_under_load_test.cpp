// The database server stops and starts again under a steady load of reads and writes:
// every request is answered, correctly or with the empty answer while the database is
// down; the server recovers by itself; every confirmed write is in the database.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <set>
#include <thread>

#include "tests/support/firebird_server.hpp"
#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct Tally {
  std::mutex mutex;
  std::set<std::string> confirmed_writes;
  int correct = 0;
  int empty = 0;
  std::vector<std::string> wrong;
  Clock::time_point last_empty{};
  Clock::time_point first_correct_after_start{};
};

TEST(RestartUnderLoad, EveryRequestIsAnsweredAndNoConfirmedWriteIsLost) {
  TestServer server;
  Tally tally;
  std::atomic<bool> stop{false};
  std::atomic<bool> started_again{false};
  std::vector<std::thread> clients;
  for (int client = 0; client < 4; ++client) {
    clients.emplace_back([&, client] {
      for (int i = 0; !stop; ++i) {
        const bool write = i % 2 == 0;
        const std::string code = "R" + std::to_string(client) + "-" + std::to_string(i);
        const auto response = http_get(
            server.port(), write ? "/inventory?deviceid=L&barcode=" + code + "&qty=1&note=n" : "/price?code=A100");
        std::lock_guard lock(tally.mutex);
        if (!response) {
          tally.wrong.push_back("no answer");
        } else if (response->header("Content-Length") == "0") {
          ++tally.empty;
          tally.last_empty = Clock::now();
        } else if (write ? response->body == "Qty Entry for " + code + " Done"
                         : response->body.rfind(R"([{"item":"A100")", 0) == 0) {
          ++tally.correct;
          if (write) tally.confirmed_writes.insert(code);
          if (started_again && tally.first_correct_after_start == Clock::time_point{}) {
            tally.first_correct_after_start = Clock::now();
          }
        } else {
          tally.wrong.push_back(response->body);
        }
      }
    });
  }
  std::this_thread::sleep_for(1s);
  Clock::time_point restarted;
  {
    FirebirdRestartGuard guard;
    stop_firebird();
    std::this_thread::sleep_for(2s);
    start_firebird();
    restarted = Clock::now();
    started_again = true;
  }
  std::this_thread::sleep_for(2s);
  stop = true;
  for (auto& client : clients) client.join();

  EXPECT_TRUE(tally.wrong.empty()) << tally.wrong.size() << " wrong answers, first: " << tally.wrong.front();
  EXPECT_GT(tally.empty, 0);  // the outage was seen
  ASSERT_NE(tally.first_correct_after_start, Clock::time_point{});
  const auto recovery =
      std::chrono::duration_cast<std::chrono::milliseconds>(tally.first_correct_after_start - restarted);
  std::printf(
      "restart under load: %d correct answers, %d empty answers during the outage, recovery %lld ms after "
      "the database was back, %zu confirmed writes\n",
      tally.correct, tally.empty, static_cast<long long>(recovery.count()), tally.confirmed_writes.size());
  EXPECT_LT(recovery, 5s);
  std::set<std::string> stored;
  for (const auto& row : server.database().rows("select barcode from minventory where deviceid = 'L'")) {
    stored.insert(row[0]);
  }
  for (const auto& code : tally.confirmed_writes) EXPECT_EQ(stored.count(code), 1u) << "confirmed but lost: " << code;
}

}  // namespace
}  // namespace vantor::test
