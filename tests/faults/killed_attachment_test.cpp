// Attachments killed from the database side while requests run: the requests on them
// get an answer, and the ones after succeed.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

TEST(KilledAttachment, RequestsAreAnsweredAndLaterOnesSucceed) {
  TestServer server;
  std::atomic<bool> stop{false};
  std::atomic<int> answered{0};
  std::atomic<int> unanswered{0};
  std::vector<std::thread> clients;
  for (int client = 0; client < 3; ++client) {
    clients.emplace_back([&] {
      while (!stop) {
        const auto response = http_get(server.port(), "/stat?id=4101001");
        (response ? answered : unanswered)++;
      }
    });
  }
  for (int round = 0; round < 5; ++round) {
    std::this_thread::sleep_for(200ms);
    server.database().execute(
        "delete from mon$attachments where mon$attachment_id <> current_connection and mon$remote_protocol is not "
        "null");
  }
  stop = true;
  for (auto& client : clients) client.join();
  EXPECT_EQ(unanswered, 0);
  EXPECT_GT(answered, 10);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(server.body("/stat?id=4101001").substr(0, 14), R"([{"id":1.00,"a)");
}

}  // namespace
}  // namespace vantor::test
