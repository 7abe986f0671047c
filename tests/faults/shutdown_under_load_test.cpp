// SIGTERM while requests run: the program ends in order, without a crash, and every
// count it confirmed is in the database, whole.
#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <mutex>
#include <set>
#include <thread>

#include "tests/support/http_client.hpp"
#include "tests/support/server_process.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

TEST(ShutdownUnderLoad, RunningRequestsFinishOrLoseTheirConnection) {
  TestDatabase database;
  ServerProcess process("8085", database.connection_string());
  ASSERT_TRUE(process.wait_for_output("ON PORT 8085"));
  std::atomic<bool> stop{false};
  std::mutex mutex;
  std::set<std::string> confirmed;
  std::vector<std::thread> clients;
  for (int client = 0; client < 6; ++client) {
    clients.emplace_back([&, client] {
      for (int i = 0; !stop; ++i) {
        const std::string code = "S" + std::to_string(client) + "-" + std::to_string(i);
        const auto response =
            http_get(8085, i % 3 == 0 ? "/product2" : "/inventory?deviceid=S&barcode=" + code + "&qty=2&note=n");
        if (response && response->body == "Qty Entry for " + code + " Done") {
          std::lock_guard lock(mutex);
          confirmed.insert(code);
        }
        if (!response) std::this_thread::sleep_for(5ms);
      }
    });
  }
  std::this_thread::sleep_for(1500ms);
  process.signal(SIGTERM);
  EXPECT_EQ(process.wait_for_exit(), 0) << process.error();
  stop = true;
  for (auto& client : clients) client.join();
  EXPECT_FALSE(port_open(8085));
  EXPECT_GT(confirmed.size(), 0u);
  std::set<std::string> stored;
  for (const auto& row : database.rows("select barcode, qty, note from minventory where deviceid = 'S'")) {
    EXPECT_EQ(row[1], "2");
    EXPECT_EQ(row[2], "n");
    stored.insert(row[0]);
  }
  for (const auto& code : confirmed) EXPECT_EQ(stored.count(code), 1u) << code;
}

}  // namespace
}  // namespace vantor::test
