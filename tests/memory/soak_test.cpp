// A minute of mixed reads and writes on 64 keep-alive connections: every write that was
// confirmed is stored once, none fails, and the process's resident size and descriptors
// are the same at the end as after the first seconds.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/http_client.hpp"
#include "tests/support/process_figures.hpp"
#include "tests/support/server_process.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

struct Tally {
  std::atomic<long> reads{0};
  std::atomic<long> writes{0};
  std::atomic<long> failures{0};
};

// One client's loop: three reads, then a count of its own, until the end.
void client_loop(int id, Clock::time_point end, Tally& tally) {
  RawClient client(8087);
  const std::string device = "S" + std::to_string(id);
  const char* reads[] = {"/price?code=A100&wh=all", "/whqty?code=A100", "/product2"};
  for (long turn = 0; Clock::now() < end; ++turn) {
    const bool write = turn % 4 == 3;
    const std::string target =
        write ? "/inventory?deviceid=" + device + "&barcode=A100&qty=1&note=" + std::to_string(turn) : reads[turn % 4];
    client.send("GET " + target + " HTTP/1.1\r\nHost: x\r\n\r\n");
    const auto answer = client.read(true, 30s);
    if (!answer) {
      ++tally.failures;
      return;
    }
    if (write) {
      answer->body == "Qty Entry for A100 Done" ? ++tally.writes : ++tally.failures;
    } else {
      answer->body.rfind("[{", 0) == 0 ? ++tally.reads : ++tally.failures;
    }
  }
}

TEST(Soak, AMinuteOfMixedLoadKeepsEveryWriteAndHoldsNoMore) {
  TestDatabase database;
  ServerProcess process("8087", database.connection_string(), "vantor-server", {.vantor_conf = "echo = off\n"});
  ASSERT_TRUE(process.wait_for_output("ON PORT 8087"));
  Tally tally;
  const auto start = Clock::now();
  std::vector<std::thread> clients;
  for (int i = 0; i < 64; ++i) clients.emplace_back(client_loop, i, start + 60s, std::ref(tally));
  // the activity log is read as a terminal would; the figures after 10 s are the base:
  // every attachment made, the 64 connections open
  auto run_until = [&](Clock::time_point until) {
    while (Clock::now() < until) {
      process.discard_output();
      std::this_thread::sleep_for(100ms);
    }
  };
  run_until(start + 10s);
  const long early = resident_megabytes(process.pid());
  const long descriptors_before = open_descriptors(process.pid()) - 64;
  run_until(start + 60s);
  for (auto& client : clients) client.join();
  const long late = resident_megabytes(process.pid());
  run_until(Clock::now() + 500ms);  // the connections close
  const long descriptors_after = open_descriptors(process.pid());
  const std::string stored = database.scalar("select count(*) from minventory where deviceid starting with 'S'");
  std::printf(
      "soak: %ld reads and %ld writes in 60 s on 64 connections, %ld failed; resident %ld MB at 10 s, "
      "%ld MB at 60 s; descriptors %ld at 10 s (without the clients'), %ld after\n",
      tally.reads.load(), tally.writes.load(), tally.failures.load(), early, late, descriptors_before,
      descriptors_after);
  EXPECT_EQ(tally.failures, 0);
  EXPECT_GT(tally.writes, 100);
  EXPECT_EQ(stored, std::to_string(tally.writes.load()));
  EXPECT_LE(late, early + early / 5 + 8);
  EXPECT_EQ(descriptors_after, descriptors_before);
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

}  // namespace
}  // namespace vantor::test
