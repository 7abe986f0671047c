// Clients that ask for a big answer and do not read it: while the answers held fill the
// budget, the next big ones wait to start instead of piling up in memory; small answers
// still go; and each is delivered whole once read.
#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <iostream>
#include <memory>
#include <thread>

#include "db/database_settings.hpp"
#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

long resident_kb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:") {
      status >> value;
      return value;
    }
    status.ignore(256, '\n');
  }
  return 0;
}

// An ad-hoc answer of some megabytes: every pair of the types the database describes.
const std::string kBig = "/myjson?query=" + url_escape(
                                                "a.rdb$type as t1, b.rdb$type as t2, a.rdb$type * b.rdb$type as t3 "
                                                "from rdb$types a, rdb$types b");

TEST(SlowReaders, BigAnswersWaitForRoomInsteadOfFillingMemory) {
  auto settings = TestServer::fast_settings();
  settings.answer_budget = 2u * 1024 * 1024;  // about one answer: the others wait to start
  // A caller's statement may write, so its wait in the queue counts against the lock
  // timeout from its arrival; under the thread checker the twenty going out one after
  // another took longer than the default 10 s, and the last ones failed before they started.
  db::DatabaseSettings db_settings;
  db_settings.lock_timeout = std::chrono::seconds(120);
  TestServer server(Template::Upgraded, settings, db_settings);
  const std::size_t size = server.body(kBig).size();
  ASSERT_GT(size, 1000000u);

  const long before = resident_kb();
  std::vector<std::unique_ptr<RawClient>> readers;
  for (int i = 0; i < 20; ++i) {
    readers.push_back(std::make_unique<RawClient>(server.port()));
    readers.back()->set_receive_buffer(65536);
    readers.back()->send("GET " + kBig + " HTTP/1.1\r\nHost: x\r\n\r\n");
  }
  std::size_t held = 0;
  for (int i = 0; i < 40; ++i) {
    std::this_thread::sleep_for(100ms);
    held = std::max(held, server.server().answer_bytes_held());
  }
  const long during = resident_kb();
  std::cout << "20 slow readers of " << size << " bytes: answer bytes held at most " << held << ", resident memory "
            << before / 1024 << " MB -> " << during / 1024 << " MB\n";
  // the budget, and the answers of the two caller's statements that may run beside it,
  // each holding up to twice its size in the room its text grew into
  EXPECT_LE(held, settings.answer_budget + 2 * 2 * size);
  EXPECT_EQ(server.body("/whqty?code=A100").substr(0, 8), R"([{"item")");  // small answers still go

  // now they all read at once, as real clients would
  std::vector<std::future<std::size_t>> received;
  for (auto& reader : readers) {
    received.push_back(std::async(std::launch::async, [&reader] {
      const auto answer = reader->read(true, 60000ms);
      return answer ? answer->body.size() : 0;
    }));
  }
  for (auto& one : received) EXPECT_EQ(one.get(), size);
  EXPECT_EQ(server.server().answer_bytes_held(), 0u);
}

}  // namespace
}  // namespace vantor::test
