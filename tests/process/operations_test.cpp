// The console program as an admin meets it: its command line, vantor.conf, the admin
// listener, the access log and the journal's priorities.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/http_client.hpp"
#include "tests/support/server_process.hpp"
#include "tests/support/tcp_relay.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

TEST(Operations, HelpAndVersionAnswerAndExit0) {
  ServerProcess help(std::nullopt, std::nullopt, "vantor-server", {.arguments = {"--help"}});
  EXPECT_EQ(help.wait_for_exit(), 0);
  for (const char* part : {"--config-dir DIR", "--version", "vantor.conf", "lock_timeout", "admin =", "nocheck on"}) {
    EXPECT_NE(help.output().find(part), std::string::npos) << part;
  }
  ServerProcess version(std::nullopt, std::nullopt, "vantor-server", {.arguments = {"--version"}});
  EXPECT_EQ(version.wait_for_exit(), 0);
  EXPECT_EQ(version.output().substr(0, 20), "vantor-server 1.0.0 ");
  ServerProcess wrong(std::nullopt, std::nullopt, "vantor-server", {.arguments = {"--port"}});
  EXPECT_EQ(wrong.wait_for_exit(), 2);
}

TEST(Operations, ABadLineOfVantorConfIsNamedAndEndsTheProgram) {
  struct Case {
    const char* id;
    const char* conf;
    const char* message;
  } cases[] = {
      {"unknown key", "# comment\nlock_timeout = 5\nbogus = 1\n", "vantor.conf line 3: unknown key 'bogus'"},
      {"bad value", "nocheck = maybe\n", "vantor.conf line 1: nocheck: 'maybe' is neither on nor off"},
      {"no equals sign", "\n\nadmin 9090\n", "vantor.conf line 3: expected key = value"},
      {"bad ad-hoc mode", "adhoc = readonly\n", "vantor.conf line 1: adhoc: 'readonly' is none of on, read, off"},
      {"bad network", "allow = 10.0.0.0/8, 10.0.0.300\n", "vantor.conf line 1: allow: '10.0.0.300' is no network"},
      {"missing password file", "password_file = secret.txt\n", "vantor.conf line 1: password_file:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    ServerProcess process("8081", std::nullopt, "vantor-server", {.vantor_conf = c.conf});
    EXPECT_EQ(process.wait_for_exit(), 1);
    EXPECT_NE(process.error().find(c.message), std::string::npos) << process.error();
  }
}

TEST(Operations, StartUpLineAccessLogNocheckAndJournalPriorities) {
  TestDatabase database;
  ServerProcess process(
      "8081", database.connection_string(), "vantor-server",
      {.vantor_conf = "access_log = on\necho = off\nnocheck = on\n", .environment = "JOURNAL_STREAM=8:1234"});
  ASSERT_TRUE(process.wait_for_output("ON PORT 8081")) << process.error();
  EXPECT_NE(process.output().find("vantor-server 1.0.0"), std::string::npos);
  EXPECT_NE(process.output().find("database " + database.connection_string()), std::string::npos);
  EXPECT_NE(process.output().find("listening on 0.0.0.0:8081"), std::string::npos) << process.output();
  // No Check Digit from vantor.conf: the last digit is dropped, as the toggle does
  EXPECT_NE(http_get(8081, "/price?code=5012345678900")->body.find("\"item\":\"A300\""), std::string::npos);
  ASSERT_TRUE(http_get(8081, "/sales?fromdate=2024-01-01&todate=31/01/2024"));
  EXPECT_TRUE(process.wait_for_output(" 127.0.0.1 GET /sales 200 sales failure 13 "));
  EXPECT_NE(process.output().find("<3>Failure: "), std::string::npos);
  EXPECT_NE(process.output().find(" 127.0.0.1 GET /price 200 price data "), std::string::npos) << process.output();
  EXPECT_EQ(process.output().find("\"item\":\"A300\""), std::string::npos);  // echo off
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

TEST(Operations, TheLoginComesFromDbUserAndThePasswordFile) {
  TestDatabase database;
  {
    ServerProcess process("8081", database.connection_string(), "vantor-server",
                          {.vantor_conf = "db_user = SYSDBA\npassword_file = secret\n",
                           .files = {{"secret", "masterkey\nsecond line\n"}}});
    ASSERT_TRUE(process.wait_for_output("ON PORT 8081")) << process.error();
    EXPECT_TRUE(process.wait_for_error("warning: the password file")) << process.error();
    EXPECT_EQ(http_get(8081, "/whqty?code=A100")->body.substr(0, 8), R"([{"item")");
    process.command("exit");
    EXPECT_EQ(process.wait_for_exit(), 0);
  }
  ServerProcess wrong("8081", database.connection_string(), "vantor-server",
                      {.vantor_conf = "password_file = secret\n", .files = {{"secret", "not the password\n"}}});
  // the start-up attach fails after listening (the warning on the readable password file
  // comes before: waiting for "password" alone raced the listener)
  EXPECT_TRUE(wrong.wait_for_error("user name and password")) << wrong.error();
  EXPECT_EQ(http_get(8081, "/whqty?code=A100")->body, "");               // cannot attach: the empty answer
  EXPECT_EQ(wrong.error().find("not the password"), std::string::npos);  // never shown
  wrong.command("exit");
  EXPECT_EQ(wrong.wait_for_exit(), 0);
}

TEST(Operations, TheConfigFolderComesFromTheCommandLine) {
  TestDatabase database;
  const auto folder = std::filesystem::temp_directory_path() / ("vantor-config-dir-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  { std::ofstream(folder / "port.txt") << "8084"; }
  { std::ofstream(folder / "ip.txt") << database.connection_string(); }
  ServerProcess process("8081", std::nullopt, "vantor-server", {.arguments = {"--config-dir", folder.string()}});
  ASSERT_TRUE(process.wait_for_output("ON PORT 8084")) << process.output() << process.error();
  EXPECT_EQ(http_get(8084, "/whqty?code=A100")->body.substr(0, 8), R"([{"item")");
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
  std::filesystem::remove_all(folder);
}

std::string admin_get(const char* path) {
  auto response = http_get(8086, path);
  return response ? response->status_line + "|" + response->body : std::string("no answer");
}

// What Prometheus's own linter says of a metrics text ("" when nothing); the test
// command installs promtool.
std::string promtool_check(const std::string& metrics) {
  const std::string file = std::filesystem::temp_directory_path() / "vantor-metrics.txt";
  std::ofstream(file) << metrics;
  std::string said;
  FILE* pipe = ::popen(("promtool check metrics < " + file + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return "promtool cannot be run";
  char buffer[512];
  while (std::fgets(buffer, sizeof(buffer), pipe) != nullptr) said += buffer;
  const int status = ::pclose(pipe);
  return status == 0 ? said : "status " + std::to_string(status) + ": " + said;
}

TEST(Operations, TheAdminListenerTellsLivenessReadinessAndMetrics) {
  TestDatabase database;
  TcpRelay relay;
  ServerProcess process("8081", relay.connection_string(database.path()), "vantor-server",
                        {.vantor_conf = "admin = 8086\nprobe_interval = 300ms\nprobe_timeout = 1s\n"});
  ASSERT_TRUE(process.wait_for_output("ON PORT 8081")) << process.error();
  EXPECT_NE(process.output().find("admin on 127.0.0.1:8086"), std::string::npos) << process.output();
  EXPECT_EQ(admin_get("/live"), "HTTP/1.1 200 OK|live\n");
  std::string ready;
  for (int i = 0; i < 50 && ready != "HTTP/1.1 200 OK|ready\n"; ++i, std::this_thread::sleep_for(100ms)) {
    ready = admin_get("/ready");
  }
  EXPECT_EQ(ready, "HTTP/1.1 200 OK|ready\n");

  // one request of each outcome
  http_get(8081, "/whqty?code=A100");
  http_get(8081, "/sales?fromdate=2024-01-01");
  http_get(8081, "/nothing");
  relay.stall();
  for (int i = 0; i < 50 && ready.substr(0, 12) != "HTTP/1.1 503"; ++i, std::this_thread::sleep_for(100ms)) {
    ready = admin_get("/ready");
  }
  EXPECT_EQ(ready, "HTTP/1.1 503 Service Unavailable|not ready: the database does not answer\n");
  http_get(8081, "/whqty?code=A100");  // the empty answer while the link is down
  const std::string metrics = admin_get("/metrics");
  for (const char* line :
       {"vantor_requests_total{route=\"whqty\",outcome=\"data\"} 1",
        "vantor_requests_total{route=\"sales\",outcome=\"failure\"} 1",
        "vantor_requests_total{route=\"other\",outcome=\"fallback\"} 1",
        "vantor_requests_total{route=\"whqty\",outcome=\"empty\"} 1",
        "vantor_request_duration_seconds_count{route=\"whqty\"} 2",
        "vantor_request_duration_seconds_bucket{route=\"sales\",le=\"+Inf\"} 1", "vantor_attachments_idle ",
        "vantor_queue_length 0", "vantor_open_connections ", "vantor_answer_held_bytes 0",
        "# HELP vantor_answer_bytes_held Deprecated: ", "vantor_body_held_bytes 0",
        "vantor_build_info{version=\"1.0.0\",commit=\"", "process_cpu_seconds_total ", "process_resident_memory_bytes ",
        "process_open_fds ", "process_start_time_seconds "}) {
    EXPECT_NE(metrics.find(line), std::string::npos) << line << "\n" << metrics;
  }
  EXPECT_EQ(promtool_check(metrics.substr(metrics.find('|') + 1)), "");
  // at least the stall; a loaded machine may add a slow round trip of its own
  const auto down = metrics.find("\nvantor_link_down_total ");
  ASSERT_NE(down, std::string::npos);
  EXPECT_GE(std::stoi(metrics.substr(down + 24)), 1);
  relay.resume();
  for (int i = 0; i < 50 && ready != "HTTP/1.1 200 OK|ready\n"; ++i, std::this_thread::sleep_for(100ms)) {
    ready = admin_get("/ready");
  }
  EXPECT_EQ(ready, "HTTP/1.1 200 OK|ready\n");
  EXPECT_EQ(admin_get("/other").substr(0, 22), "HTTP/1.1 404 Not Found");
  EXPECT_EQ(http_get(8081, "/metrics")->body, "Bye Bye ");  // the clients' port knows none of it
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

}  // namespace
}  // namespace vantor::test
