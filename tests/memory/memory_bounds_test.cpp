// The memory bounds, measured on the program as a process: clients that never read big
// answers, and thousands sending bodies at once. The resident size stays under its bound
// meanwhile, lookups are answered, and the memory goes back once the load ends.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "tests/memory/big_database.hpp"
#include "tests/support/http_client.hpp"
#include "tests/support/process_figures.hpp"
#include "tests/support/server_process.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// The highest resident size of a process while it lives.
class PeakWatch {
 public:
  explicit PeakWatch(pid_t pid)
      : thread_([this, pid] {
          while (!done_) {
            peak_ = std::max(peak_.load(), resident_megabytes(pid));
            std::this_thread::sleep_for(20ms);
          }
        }) {}
  ~PeakWatch() { stop(); }
  long stop() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
    return peak_;
  }

 private:
  std::atomic<bool> done_{false};
  std::atomic<long> peak_{0};
  std::thread thread_;
};

// Milliseconds of the slowest of the lookups made while condition holds, one every 100 ms.
template <typename Condition>
long slowest_lookup_while(std::uint16_t port, const char* target, Condition condition, int* failed) {
  long slowest = 0;
  while (condition()) {
    const auto start = Clock::now();
    const auto answer = http_get(port, target);
    slowest =
        std::max<long>(slowest, std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
    if (!answer || answer->body.rfind("[{", 0) != 0) ++*failed;
    std::this_thread::sleep_for(100ms);
  }
  return slowest;
}

// Seconds until the resident size is under megabytes (at most limit).
double seconds_until_under(pid_t pid, long megabytes, std::chrono::seconds limit) {
  const auto start = Clock::now();
  while (resident_megabytes(pid) >= megabytes && Clock::now() - start < limit) std::this_thread::sleep_for(100ms);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST(MemoryBounds, SixtyUnreadBigAnswersStayUnderTheAnswerBudget) {
  raise_descriptor_limit();
  ServerProcess process("8086", big_database(53000), "vantor-server", {.vantor_conf = "echo = off\n"});
  ASSERT_TRUE(process.wait_for_output("ON PORT 8086"));
  const auto whole = http_get(8086, "/product2");
  ASSERT_TRUE(whole);
  const std::size_t size = whole->body.size();
  ASSERT_GT(size, 10'000'000u);
  const long start = resident_megabytes(process.pid());

  PeakWatch peak(process.pid());
  std::vector<std::unique_ptr<RawClient>> unread;
  for (int i = 0; i < 60; ++i) {
    unread.push_back(std::make_unique<RawClient>(8086));
    unread.back()->set_receive_buffer(4096);
    unread.back()->send("GET /product2 HTTP/1.1\r\nHost: x\r\n\r\n");
  }
  int failed = 0;
  const auto until = Clock::now() + 20s;
  const long slowest = slowest_lookup_while(
      8086, "/price?code=I0000003", [&] { return Clock::now() < until; }, &failed);
  const long held_peak = peak.stop();
  unread.clear();
  const double back = seconds_until_under(process.pid(), 100, 20s);
  std::printf(
      "60 unread answers of %zu bytes: resident %ld MB at start, %ld MB at most; /price at most %ld ms "
      "meanwhile; under 100 MB %.1f s after the clients left\n",
      size, start, held_peak, slowest, back);
  EXPECT_LT(held_peak, 400);
  EXPECT_EQ(failed, 0);
  EXPECT_LT(slowest, 1000);
  EXPECT_LT(back, 10.0);
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

TEST(MemoryBounds, ThreeThousandBodiesStayUnderTheBodyBudget) {
  ASSERT_GE(raise_descriptor_limit(), 4000u);
  TestDatabase database;
  ServerProcess process("8086", database.connection_string(), "vantor-server", {.vantor_conf = "echo = off\n"});
  ASSERT_TRUE(process.wait_for_output("ON PORT 8086"));
  const long start = resident_megabytes(process.pid());

  constexpr std::size_t kBody = 1024 * 1024 - 1;
  std::string request =
      "POST /whqty HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
      std::to_string(kBody) + "\r\n\r\ncode=A100&pad=";
  request += std::string(kBody - 14, 'x');
  PeakWatch peak(process.pid());
  std::vector<std::unique_ptr<RawClient>> senders;
  std::vector<std::size_t> sent;
  for (int i = 0; i < 3000; ++i) {
    senders.push_back(std::make_unique<RawClient>(8086));
    ASSERT_TRUE(senders.back()->connected());
    sent.push_back(0);
  }
  std::atomic<bool> sending{true};
  int failed = 0;
  long slowest = 0;
  std::thread lookups([&] {
    slowest = slowest_lookup_while(
        8086, "/whqty?code=A100", [&] { return sending.load(); }, &failed);
  });
  const auto began = Clock::now();
  for (bool more = true; more && Clock::now() - began < 120s;) {
    more = false;
    for (std::size_t i = 0; i < senders.size(); ++i) {
      if (sent[i] == request.size()) continue;
      sent[i] += senders[i]->send_some(std::string_view(request).substr(sent[i]));
      more = more || sent[i] < request.size();
    }
    if (more) std::this_thread::sleep_for(1ms);
  }
  int answered = 0;
  for (auto& sender : senders) {
    const auto answer = sender->read(true, 60s);
    if (answer && answer->body.rfind(R"([{"item")", 0) == 0) ++answered;
  }
  const double took = std::chrono::duration<double>(Clock::now() - began).count();
  sending = false;
  lookups.join();
  const long held_peak = peak.stop();
  senders.clear();
  const double back = seconds_until_under(process.pid(), 100, 20s);
  std::printf(
      "3000 bodies of %zu bytes in %.1f s: resident %ld MB at start, %ld MB at most; a lookup at most %ld ms "
      "meanwhile; under 100 MB %.1f s after\n",
      kBody, took, start, held_peak, slowest, back);
  EXPECT_EQ(answered, 3000);
  EXPECT_LT(held_peak, 400);
  EXPECT_EQ(failed, 0);
  EXPECT_LT(slowest, 1000);
  EXPECT_LT(back, 10.0);
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

}  // namespace
}  // namespace vantor::test
