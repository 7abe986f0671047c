// Requests that run on their event loop: they pass the workers by, a long one does not
// hold the loop's other connections, and a stop waits for them as for the workers' own.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "http/http_server.hpp"
#include "tests/support/function_runner.hpp"
#include "tests/support/http_client.hpp"

namespace vantor::http {
namespace {

using namespace std::chrono_literals;
using test::RawClient;

std::string get(std::string_view target) { return "GET " + std::string(target) + " HTTP/1.1\r\nHost: x\r\n\r\n"; }

HttpAnswer answer(std::string body) { return HttpAnswer{"text/plain", std::move(body)}; }

std::string ask(RawClient& client, std::string_view target) {
  client.send(get(target));
  const auto response = client.read(true, 10000ms);
  return response ? response->body : "<no answer>";
}

// A loop runs requests itself once its standby thread is up: until then they go to the
// workers.
void wait_until_inline(std::uint16_t port) {
  RawClient client(port);
  for (int i = 0; i < 500 && ask(client, "/loop/warm") != "loop /loop/warm"; ++i) std::this_thread::sleep_for(10ms);
}

// A server on one loop and one worker. The worker answers "worker <target>", after
// "/hold" until released; the loop answers "loop <target>" for targets starting with
// "/loop", and "/loop/slow" only when released.
class InlineRequests : public ::testing::Test {
 protected:
  void SetUp() override {
    ServerSettings settings;
    settings.port = 0;
    settings.workers = 1;
    settings.event_loops = 1;
    settings.stop_grace = 5s;
    server_ = std::make_unique<HttpServer>(settings, runner_);
    server_->start();
    wait_until_inline(server_->port());
    offered_ = 0;
  }

  void TearDown() override {
    release(worker_release_);
    release(slow_release_);
    server_->stop();
  }

  static void release(std::promise<void>& promise) {
    try {
      promise.set_value();
    } catch (const std::future_error&) {
    }  // released already
  }

  std::promise<void> worker_release_;
  std::shared_future<void> worker_released_ = worker_release_.get_future().share();
  std::promise<void> slow_release_;
  std::shared_future<void> slow_released_ = slow_release_.get_future().share();
  std::atomic<int> offered_{0};
  test::FunctionRunner runner_{[this](const HttpRequest& request) {
                                 if (request.target == "/hold") worker_released_.wait();
                                 return answer("worker " + request.target);
                               },
                               [](std::string_view target) { return target == "/loop/write"; },
                               [this](const HttpRequest& request) -> std::optional<HttpAnswer> {
                                 ++offered_;
                                 if (request.target.rfind("/loop", 0) != 0) return std::nullopt;
                                 if (request.target == "/loop/slow") slow_released_.wait();
                                 return answer("loop " + request.target);
                               }};
  std::unique_ptr<HttpServer> server_;
};

TEST_F(InlineRequests, RunOnTheLoopWhileTheWorkerIsBusy) {
  RawClient holder(server_->port());
  holder.send(get("/hold"));
  std::this_thread::sleep_for(100ms);  // the one worker now waits
  RawClient client(server_->port());
  EXPECT_EQ(ask(client, "/loop/price"), "loop /loop/price");

  // declined by the loop, or able to wait on a lock: to the worker, in turn
  RawClient declined(server_->port());
  declined.send(get("/other"));
  RawClient writer(server_->port());
  writer.send(get("/loop/write"));
  EXPECT_FALSE(declined.read(true, 200ms));
  const int offered_before_release = offered_;
  release(worker_release_);
  for (auto [client, expected] : {std::pair{&holder, "worker /hold"}, std::pair{&declined, "worker /other"},
                                  std::pair{&writer, "worker /loop/write"}}) {
    const auto response = client->read();
    ASSERT_TRUE(response) << expected;
    EXPECT_EQ(response->body, expected);
  }
  EXPECT_EQ(offered_before_release, 3);  // "/hold", "/loop/price", "/other": never the write
}

TEST_F(InlineRequests, ALongOneDoesNotHoldTheLoopsOtherConnections) {
  RawClient slow(server_->port());
  slow.send(get("/loop/slow"));
  std::this_thread::sleep_for(100ms);  // past the takeover: the standby thread runs the loop
  RawClient other(server_->port());
  const auto started = std::chrono::steady_clock::now();
  // while the first thread is held, nothing more runs on the loop: the worker answers
  EXPECT_EQ(ask(other, "/loop/quick"), "worker /loop/quick");
  EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);
  EXPECT_FALSE(slow.read(true, 50ms));

  release(slow_release_);
  const auto slow_answer = slow.read();
  ASSERT_TRUE(slow_answer);
  EXPECT_EQ(slow_answer->body, "loop /loop/slow");
  // the first thread stands by again: requests run on the loop once more
  bool inline_again = false;
  for (int i = 0; i < 100 && !inline_again; ++i) {
    inline_again = ask(other, "/loop/quick") == "loop /loop/quick";
    if (!inline_again) std::this_thread::sleep_for(10ms);
  }
  EXPECT_TRUE(inline_again);
  EXPECT_EQ(ask(slow, "/loop/again"), "loop /loop/again");  // its connection lives on
}

TEST_F(InlineRequests, AStopWaitsForTheRunningOneAndClosesAfterItsAnswer) {
  RawClient slow(server_->port());
  slow.send(get("/loop/slow"));
  std::this_thread::sleep_for(100ms);
  auto stopped = std::async(std::launch::async, [&] { server_->stop(); });
  EXPECT_EQ(stopped.wait_for(300ms), std::future_status::timeout);
  release(slow_release_);
  const auto response = slow.read();
  ASSERT_TRUE(response);
  EXPECT_EQ(response->body, "loop /loop/slow");
  EXPECT_EQ(response->header("Connection"), "close");
  EXPECT_EQ(stopped.wait_for(5s), std::future_status::ready);
}

TEST_F(InlineRequests, AStopCutsTheRunningOneWhenTheGraceEnds) {
  ServerSettings settings;
  settings.port = 0;
  settings.event_loops = 1;
  settings.stop_grace = 300ms;
  std::promise<void> cut;
  std::shared_future<void> was_cut = cut.get_future().share();
  test::FunctionRunner runner([](const HttpRequest&) { return answer("worker"); }, {},
                              [&](const HttpRequest& request) -> std::optional<HttpAnswer> {
                                if (request.target == "/loop") was_cut.wait();  // like a silent database
                                return answer("loop " + request.target);
                              });
  HttpServer server(settings, runner);
  server.start();
  wait_until_inline(server.port());
  RawClient client(server.port());
  client.send(get("/loop"));
  std::this_thread::sleep_for(100ms);
  bool grace_expired = false;
  server.stop([&] {
    grace_expired = true;
    cut.set_value();
  });
  EXPECT_TRUE(grace_expired);
}

}  // namespace
}  // namespace vantor::http
