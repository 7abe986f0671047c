// The database link as a shop meets it, through a relay that refuses, resets, stalls,
// drops the bytes of idle connections or slows down: readiness says why no request
// would be served, no request waits on a dead link without a bound, the stop ends within
// its grace, and the waits behind an upgrade, on a lock and on a caller's statement all
// end where their bounds say. The figures printed go to the README's reliability table.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <iostream>
#include <thread>
#include <vector>

#include "tests/support/tcp_relay.hpp"
#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr const char* kWhqty = "/whqty?code=A100";
constexpr const char* kWhqtyAnswer = R"([{"item")";
// Counts some 45 million rows: several seconds of the engine's work, sending nothing.
constexpr const char* kSlowStatement = "/myjson?query=count(*)+from+rdb$fields+a,+rdb$fields+b,+rdb$fields+c";

shell::ServerConfig quick_config(std::string database) {
  shell::ServerConfig config{std::move(database), TestServer::fast_settings(), {}};
  config.db.probe_interval = 300ms;
  config.db.probe_timeout = 2s;  // shorter counts a busy test machine as a dead link
  config.db.connect_timeout = 3s;
  config.db.idle_check = 500ms;
  config.db.round_trip_silence = 1s;
  config.db.lock_timeout = 2s;
  config.http.stop_grace = 2s;
  config.admin = shell::AdminAddress{"127.0.0.1", 0};
  return config;
}

// Through the relay, with a probe whose link never sits idle long enough for the relay
// to forget it.
shell::ServerConfig busy_probe_config(const TcpRelay& relay, const TestDatabase& database) {
  auto config = quick_config(relay.connection_string(database.path()));
  config.db.probe_interval = 100ms;
  return config;
}

double seconds_since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

// Seconds until ready() starts with expected, or -1 after limit.
double seconds_until(const TestServer& server, std::string_view expected, std::chrono::seconds limit = 10s) {
  const auto start = Clock::now();
  while (Clock::now() - start < limit) {
    if (server.ready().substr(0, expected.size()) == expected) return seconds_since(start);
    std::this_thread::sleep_for(50ms);
  }
  std::cout << "ready says: " << server.ready();
  return -1;
}

bool logged(TestServer& server, std::string_view part) {
  for (const auto& block : server.log().blocks()) {
    for (const auto& entry : block.entries) {
      if (entry.find(part) != std::string::npos) return true;
    }
  }
  return false;
}

// Every attachment of the pool attached, then idle.
void attach_every_attachment(TestServer& server) {
  std::vector<std::future<std::string>> requests;
  for (std::size_t i = 0; i < 2 * server.pool().size(); ++i) {
    requests.push_back(std::async(std::launch::async, [&] { return server.body(kWhqty); }));
  }
  for (auto& request : requests) request.get();
}

TEST(DatabaseLink, ReadinessTurnsAwayWithTheReasonForEveryCauseAndComesBack) {
  TestDatabase database;
  TcpRelay relay;
  TestServer server(quick_config(relay.connection_string(database.path())));
  ASSERT_GE(seconds_until(server, "200 ready", 20s), 0);

  struct Cause {
    const char* id;
    std::function<void()> begin;
    std::function<void()> end;
    const char* reason;
  };
  const Cause causes[] = {
      {"no answer", [&] { relay.stall(); }, [&] { relay.resume(); }, "503 not ready: the database does not answer\n"},
      {"refused, open links reset",
       [&] {
         relay.refuse();
         relay.cut();
       },
       [&] { relay.accept(); }, "503 not ready: the database host refuses the connection\n"},
  };
  for (const auto& cause : causes) {
    SCOPED_TRACE(cause.id);
    cause.begin();
    const double away = seconds_until(server, cause.reason);
    EXPECT_GE(away, 0);
    EXPECT_EQ(server.body(kWhqty), "");  // what readiness foretold
    cause.end();
    const double back = seconds_until(server, "200 ready");
    EXPECT_GE(back, 0);
    std::cout << cause.id << ": /ready 503 after " << away << " s, 200 again " << back << " s after the end\n";
    EXPECT_EQ(server.body(kWhqty).substr(0, 8), kWhqtyAnswer);
  }
  const auto metrics = http_get(server.application().admin()->port(), "/metrics");
  ASSERT_TRUE(metrics);
  EXPECT_NE(metrics->body.find("vantor_database_up 1\n"), std::string::npos);
}

TEST(DatabaseLink, ReadinessNamesALoginOrADatabaseTheServerRefuses) {
  TestDatabase database;
  struct Case {
    const char* id;
    std::function<void(shell::ServerConfig&)> change;
    const char* reason;
  };
  const Case cases[] = {
      {"wrong password", [](auto& config) { config.db.password = "wrong"; },
       "503 not ready: the database refuses the login\n"},
      {"no such file", [&](auto& config) { config.database = database.connection_string() + ".missing"; },
       "503 not ready: the database file cannot be opened\n"},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.id);
    auto config = quick_config(database.connection_string());
    entry.change(config);
    TestServer server(config);
    const double away = seconds_until(server, entry.reason);
    EXPECT_GE(away, 0);
    std::cout << entry.id << ": /ready says so " << away << " s after the start\n";
  }
}

TEST(DatabaseLink, IdleAttachmentsWhoseLinkWasForgottenAreReplacedBeforeTheyAreLent) {
  TestDatabase database;
  TcpRelay relay;
  TestServer server(busy_probe_config(relay, database));
  ASSERT_GE(seconds_until(server, "200 ready", 20s), 0);
  attach_every_attachment(server);
  std::this_thread::sleep_for(1500ms);  // idle past idle_check
  relay.drop_idle(1000ms);              // a firewall forgets the idle links

  std::vector<std::future<std::pair<std::string, double>>> requests;
  for (int i = 0; i < 8; ++i) {
    requests.push_back(std::async(std::launch::async, [&] {
      const auto start = Clock::now();
      std::string body = server.body(kWhqty);
      return std::pair{body, seconds_since(start)};
    }));
  }
  double longest = 0;
  for (auto& request : requests) {
    const auto [body, took] = request.get();
    EXPECT_EQ(body.substr(0, 8), kWhqtyAnswer);
    longest = std::max(longest, took);
  }
  std::cout << "8 requests on idle attachments behind a forgetting firewall: the longest took " << longest << " s\n";
  EXPECT_LT(longest, 7.0);  // a bounded check (2 s) and a fresh attach, not TCP's 15 minutes
  EXPECT_GE(server.pool().idle_replacements(), 1u);
  EXPECT_GE(seconds_until(server, "200 ready"), 0);
}

TEST(DatabaseLink, ASlowStatementIsNeverCutButARoundTripTheServerDoesNotRunIs) {
  TestDatabase database;
  TcpRelay relay;
  TestServer server(busy_probe_config(relay, database));
  ASSERT_GE(seconds_until(server, "200 ready", 20s), 0);

  // the engine counts for seconds and sends nothing: busy, never cut
  const auto start = Clock::now();
  const std::string counted = server.body(kSlowStatement);
  const double slow = seconds_since(start);
  EXPECT_EQ(counted.substr(0, 10), R"([{"count":)") << counted;
  EXPECT_EQ(server.pool().silent_cuts(), 0u);

  // the same, while a firewall forgets the quiet link: once the server has sent its
  // answer into the void it runs nothing for the attachment, and the round trip is cut
  relay.drop_idle(1000ms);
  const auto cut_start = Clock::now();
  const std::string lost = server.body(kSlowStatement);
  const double cut = seconds_since(cut_start);
  relay.resume();
  EXPECT_EQ(lost, "");
  EXPECT_GE(server.pool().silent_cuts(), 1u);
  std::cout << "a " << slow << " s statement was answered; its answer lost on a dead link was cut after " << cut
            << " s\n";
  EXPECT_LT(cut, slow + 6.0);
  EXPECT_EQ(server.body(kWhqty).substr(0, 8), kWhqtyAnswer);
}

TEST(DatabaseLink, TheStopEndsWithinItsGraceWhenIdleAttachmentsSitOnADeadLink) {
  TestDatabase database;
  TcpRelay relay;
  auto server = std::make_unique<TestServer>(busy_probe_config(relay, database));
  ASSERT_GE(seconds_until(*server, "200 ready", 20s), 0);
  attach_every_attachment(*server);
  std::this_thread::sleep_for(1500ms);
  relay.drop_idle(1000ms);
  std::this_thread::sleep_for(100ms);
  const auto start = Clock::now();
  server->application().FormCloseQuery();
  const double took = seconds_since(start);
  std::cout << "the stop with idle attachments on a dead link took " << took << " s\n";
  EXPECT_LT(took, 2.0 + 2.0 + 2.0);  // grace, the bound of the detach, room for a loaded machine
}

TEST(DatabaseLink, AnUpgradeAskedForTurnsReadinessAwayAndHoldsRequestsOffNoLongerThanALock) {
  TestDatabase database;
  TestServer server(quick_config(database.connection_string()));
  ASSERT_GE(seconds_until(server, "200 ready", 20s), 0);
  RowLock lock(database, "update room set n1 = 'x' where rno = 5");
  auto room =
      std::async(std::launch::async, [&] { return server.body("/room?fromdate=01/06/2024&todate=07/06/2024"); });
  std::this_thread::sleep_for(300ms);  // the room request holds the requests' side of the gate
  auto upgrade = std::async(std::launch::async, [&] { server.application().RzBitBtn2Click(); });
  EXPECT_GE(seconds_until(server, "503 not ready: the schema upgrade runs", 1s), 0);
  const auto start = Clock::now();
  const std::string held = server.body(kWhqty);
  const double waited = seconds_since(start);
  lock.release();
  room.get();
  upgrade.get();
  bool said = false;
  for (const auto& line : server.front().lines()) said = said || line == "update waiting for 1 request: room";
  EXPECT_TRUE(said);
  // it arrived while the upgrade was asked for: it got the lock's bound at most
  EXPECT_LT(waited, 2.0 + 1.5);
  if (held != "Some Error !!") EXPECT_EQ(held.substr(0, 8), kWhqtyAnswer);
  std::cout << "a request behind an asked-for upgrade waited " << waited << " s\n";
  EXPECT_GE(seconds_until(server, "200 ready"), 0);
}

TEST(DatabaseLink, SixRoomsOnAHeldRowAreAnsweredWithinTheLockTimeoutOfTheirArrival) {
  TestDatabase database;
  TestServer server(quick_config(database.connection_string()));
  RowLock lock(database, "update room set n1 = 'x' where rno = 5");
  std::vector<std::future<std::pair<std::string, double>>> rooms;
  for (int i = 0; i < 6; ++i) {
    rooms.push_back(std::async(std::launch::async, [&] {
      const auto start = Clock::now();
      std::string body = server.body("/room?fromdate=01/06/2024&todate=07/06/2024");
      return std::pair{body, seconds_since(start)};
    }));
  }
  double longest = 0;
  for (auto& room : rooms) {
    const auto [body, took] = room.get();
    EXPECT_EQ(body, "Some Error !!");
    longest = std::max(longest, took);
  }
  std::cout << "six /room on a held row (lock_timeout 2 s): the last answered after " << longest << " s\n";
  EXPECT_LT(longest, 2.0 + 1.5);
  EXPECT_TRUE(logged(server, "lock conflict: the request waited past the lock timeout before it could start") ||
              logged(server, "Failure: lock conflict"));
}

TEST(DatabaseLink, ACallersStatementEndsAtItsTimeBoundOrWhenItsClientHangsUp) {
  TestDatabase database;
  {
    auto config = quick_config(database.connection_string());
    config.adhoc_timeout = 500ms;
    TestServer server(config);
    const auto start = Clock::now();
    EXPECT_EQ(server.body(kSlowStatement), "Bye Bye ");
    const double took = seconds_since(start);
    std::cout << "a caller's statement with a 0.5 s bound was answered after " << took << " s\n";
    EXPECT_LT(took, 3.0);
    EXPECT_TRUE(logged(server, "(adhoc_timeout) and was cancelled"));
  }
  {
    TestServer server(quick_config(database.connection_string()));
    {
      RawClient client(server.port());
      client.send(std::string("GET ") + kSlowStatement + " HTTP/1.1\r\nHost: x\r\n\r\n");
      std::this_thread::sleep_for(300ms);
    }  // the client hangs up while its statement runs
    bool cancelled = false;
    for (int i = 0; i < 60 && !cancelled; ++i) {
      std::this_thread::sleep_for(50ms);
      cancelled = logged(server, "the client hung up: its statement was cancelled");
    }
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(server.body(kWhqty).substr(0, 8), kWhqtyAnswer);
  }
}

}  // namespace
}  // namespace vantor::test
