// A write whose commit had no known outcome is settled once the database answers again:
// the log says whether it landed, looked up by the key its tables store it under.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "http/endpoints.hpp"
#include "http/landing_checks.hpp"
#include "tests/support/tcp_relay.hpp"
#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

// The first log line that starts with start, waiting up to limit.
std::string line_starting(RecordingLog& log, std::string_view start, std::chrono::milliseconds limit) {
  const auto until = std::chrono::steady_clock::now() + limit;
  do {
    for (const auto& block : log.blocks()) {
      for (const auto& entry : block.entries) {
        if (entry.substr(0, start.size()) == start) return entry;
      }
    }
    std::this_thread::sleep_for(20ms);
  } while (std::chrono::steady_clock::now() < until);
  return {};
}

http::ParamList params(std::vector<std::string> entries) { return http::ParamList(std::move(entries)); }

TEST(UnknownOutcome, AWriteIsLookedForOnceTheDatabaseAnswersAndTheLogSaysWhetherItLanded) {
  TestDatabase database;
  TcpRelay relay;
  TestServer server(relay.connection_string(database.path()), TestServer::fast_settings());
  ASSERT_EQ(server.body("/invoiceinsert?id=1001&ref=77&accno=12001&wh=01&net=115"), "Invoice Entry for 77 Done");
  ASSERT_EQ(server.body("/itemsinsert?id=5&inv_id=1001&item=A100&qty=2&price=10&total=20"),
            "Items Entry for A100 Done");

  RecordingLog log;
  http::LandingChecks checks(server.pool(), log, 100ms, 20s);
  relay.refuse();
  relay.cut();  // the link is gone while the writes are handed in
  checks.settle(http::endpoints::invoice_landing(params({"id=1001", "ref=77"}), "127.0.0.1"));
  checks.settle(http::endpoints::invoice_landing(params({"id=1002", "ref=78"}), "127.0.0.1"));
  checks.settle(http::endpoints::item_landing(params({"id=5", "inv_id=1001"}), "127.0.0.1"));
  std::this_thread::sleep_for(500ms);
  EXPECT_EQ(line_starting(log, "unknown outcome", 0ms), "");  // nothing is guessed meanwhile
  relay.accept();
  EXPECT_EQ(line_starting(log, "unknown outcome settled: landed: /invoiceinsert", 10s),
            "unknown outcome settled: landed: /invoiceinsert ref 77 (SIWS1001) from 127.0.0.1");
  EXPECT_EQ(line_starting(log, "unknown outcome settled: not landed:", 10s),
            "unknown outcome settled: not landed: /invoiceinsert ref 78 (SIWS1002) from 127.0.0.1");
  EXPECT_EQ(line_starting(log, "unknown outcome settled: landed: /itemsinsert", 10s),
            "unknown outcome settled: landed: /itemsinsert line 85000005 of SIWS1001 from 127.0.0.1");
}

}  // namespace
}  // namespace vantor::test
