// The settings as an admin handles them on a running service: SIGHUP reloads what can
// change and names what waits for a restart, --check-config tells what is wrong before a
// start, the environment overrides the file, and a port that cannot be had ends the start.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "tests/support/http_client.hpp"
#include "tests/support/server_process.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::test {
namespace {

using namespace std::chrono_literals;

void write_conf(const ServerProcess& process, const std::string& text) {
  std::ofstream(process.folder() / "vantor.conf", std::ios::trunc) << text;
}

TEST(SettingsAtRun, HangUpReloadsWhatCanChangeAndKeepsAllOnABadFile) {
  TestDatabase database;
  ServerProcess process("8081", database.connection_string(), "vantor-server",
                        {.vantor_conf = "echo = on\nadmin = 8086\n"});
  ASSERT_TRUE(process.wait_for_output("ON PORT 8081")) << process.error();
  ASSERT_TRUE(http_get(8081, "/nothing"));

  write_conf(process, "echo = off\nallow = 10.0.0.0/8\nadmin = 8089\n");
  process.signal(SIGHUP);
  EXPECT_TRUE(process.wait_for_output("reloaded the settings: echo, allow\n"));
  EXPECT_TRUE(process.wait_for_output("restart to apply: admin\n"));
  EXPECT_FALSE(http_get(8081, "/nothing"));  // 127.0.0.1 is no longer let in
  EXPECT_TRUE(http_get(8086, "/live"));      // the admin port waits for a restart

  write_conf(process, "echo = maybe\nallow =\n");
  process.signal(SIGHUP);
  EXPECT_TRUE(process.wait_for_output("reload: vantor.conf line 1: echo: 'maybe' is neither on nor off\n"));
  EXPECT_TRUE(process.wait_for_output("reload: the running settings are kept\n"));
  EXPECT_FALSE(http_get(8081, "/nothing"));

  process.signal(SIGUSR1);
  process.signal(SIGUSR2);
  write_conf(process, "echo = off\n");
  process.signal(SIGHUP);
  EXPECT_TRUE(process.wait_for_output("reloaded the settings: allow\n"));
  EXPECT_TRUE(http_get(8081, "/nothing"));  // SIGUSR1 and SIGUSR2 did nothing
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

TEST(SettingsAtRun, CheckConfigNamesEveryProblemWithItsPlace) {
  TestDatabase database;
  struct Case {
    const char* id;
    std::optional<std::string> port_txt;
    std::string ip_txt;
    std::string conf;
    std::vector<std::string> arguments;
    const char* environment;
    int status;
    std::vector<std::string> lines;
  };
  const std::string good = database.connection_string();
  const Case cases[] = {
      {"good files, the login answers",
       "8081",
       good,
       "echo = off\n",
       {},
       nullptr,
       0,
       {"  echo = off  (vantor.conf line 1)", "  port = 8081  (", "  lock_timeout = 10  (default)",
        "database login: answered", "configuration good"}},
      {"every bad line",
       "8081",
       good,
       "# x\nbogus = 1\nlock_timeout = x\necho off\n",
       {},
       nullptr,
       1,
       {"problem: vantor.conf line 2: unknown key 'bogus'",
        "problem: vantor.conf line 3: lock_timeout: 'x' is not a whole number",
        "problem: vantor.conf line 4: expected key = value", "configuration has problems"}},
      {"a port that is no number",
       "8O81",
       good,
       "",
       {},
       nullptr,
       1,
       {"problem: port.txt: '8O81' is no port number: serving on 8080", "  port = 8080  ("}},
      {"a wrong password", "8081", good, "password_file = pw\n", {}, nullptr, 1, {"database login: "}},
      {"no login with --files-only",
       "8081",
       "localhost:/nonexistent/none.fdb",
       "",
       {"--files-only"},
       nullptr,
       0,
       {"configuration good"}},
      {"the socket unit's lines for the ports",
       "8081",
       good,
       "admin = 9091\n",
       {"--files-only"},
       nullptr,
       0,
       {"vantor-server.socket):\n[Socket]\nListenStream=\nListenStream=8081\nListenStream=127.0.0.1:9091\n"}},
      {"the environment wins",
       "8081",
       good,
       "echo = on\n",
       {"--files-only"},
       "VANTOR_ECHO=off",
       0,
       {"  echo = off  (environment VANTOR_ECHO)"}},
      {"a bad value in the environment",
       "8081",
       good,
       "",
       {"--files-only"},
       "VANTOR_LOCK_TIMEOUT=soon",
       1,
       {"problem: environment VANTOR_LOCK_TIMEOUT: lock_timeout: 'soon' is not a whole number"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    std::vector<std::string> arguments{"--check-config"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    ServerProcess process(
        c.port_txt, c.ip_txt, "vantor-server",
        {.vantor_conf = c.conf, .arguments = arguments, .environment = c.environment, .files = {{"pw", "wrong\n"}}});
    EXPECT_EQ(process.wait_for_exit(), c.status);
    for (const auto& line : c.lines) EXPECT_NE(process.output().find(line), std::string::npos) << process.output();
  }
}

TEST(SettingsAtRun, APortTxtThatIsNoNumberServesOn8080WithAWarning) {
  TestDatabase database;
  ServerProcess process("8O81", database.connection_string());
  ASSERT_TRUE(process.wait_for_output("ON PORT 8080")) << process.error();
  EXPECT_NE(process.error().find("warning: port.txt: '8O81' is no port number: serving on 8080"), std::string::npos)
      << process.error();
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

TEST(SettingsAtRun, AnAdminPortThatCannotBeHadEndsTheStart) {
  const int holder = ::socket(AF_INET, SOCK_STREAM, 0);
  int yes = 1;
  ::setsockopt(holder, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(8086);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(::bind(holder, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(::listen(holder, 4), 0);
  TestDatabase database;
  ServerProcess process("8081", database.connection_string(), "vantor-server", {.vantor_conf = "admin = 8086\n"});
  EXPECT_EQ(process.wait_for_exit(), 1);
  EXPECT_NE(process.error().find("the admin listener: cannot listen on port 8086"), std::string::npos)
      << process.error();
  EXPECT_FALSE(port_open(8081));
  ::close(holder);
}

int listening_socket(std::uint16_t port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(fd, 1024) != 0) return -1;
  return fd;
}

// The listening socket stays with its holder (systemd, here the test) while the program
// is replaced: connections made meanwhile wait in its queue and are answered by the next.
TEST(SettingsAtRun, ARestartOnPassedSocketsRefusesNoRequest) {
  TestDatabase database;
  const int listener = listening_socket(8081);
  ASSERT_GE(listener, 0);
  std::atomic<bool> asking{true};
  std::atomic<int> refused{0};
  std::atomic<int> answered{0};
  std::atomic<int> unanswered{0};
  std::thread client([&] {
    while (asking) {
      RawClient one(8081);
      if (!one.connected()) {
        ++refused;
      } else {
        one.send("GET /nothing HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
        const auto answer = one.read(true, 30s);
        answer && answer->body == "Bye Bye " ? ++answered : ++unanswered;
      }
      std::this_thread::sleep_for(20ms);
    }
  });
  const auto start = std::chrono::steady_clock::now();
  for (int turn = 0; turn < 2; ++turn) {
    ServerProcess process("8081", database.connection_string(), "vantor-server", {.listening_sockets = {listener}});
    ASSERT_TRUE(process.wait_for_output("ON PORT 8081")) << process.error();
    std::this_thread::sleep_for(1s);
    if (turn == 1) asking = false;
    process.command("exit");
    EXPECT_EQ(process.wait_for_exit(), 0);
  }
  client.join();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("a restart on passed sockets: %d answered, %d refused, %d closed unanswered in %.1f s\n", answered.load(),
              refused.load(), unanswered.load(), seconds);
  EXPECT_EQ(refused, 0);
  EXPECT_EQ(unanswered, 0);
  EXPECT_GT(answered, 20);
  ::close(listener);
}

TEST(SettingsAtRun, APassedSocketOnAnotherPortEndsTheStart) {
  TestDatabase database;
  const int listener = listening_socket(8082);
  ASSERT_GE(listener, 0);
  ServerProcess process("8081", database.connection_string(), "vantor-server", {.listening_sockets = {listener}});
  EXPECT_EQ(process.wait_for_exit(), 1);
  EXPECT_NE(process.error().find("a passed socket listens on port 8082, which is neither port.txt's 8081"),
            std::string::npos)
      << process.error();
  ::close(listener);
}

std::string file_text(const std::filesystem::path& file) {
  std::ifstream in(file);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file of its own, as JSON when asked; a log rotator moves it away and sends SIGHUP: the
// next lines go to a new file of the name.
TEST(SettingsAtRun, TheAccessLogInAFileOfItsOwnFollowsARotation) {
  TestDatabase database;
  ServerProcess process("8081", database.connection_string(), "vantor-server",
                        {.vantor_conf = "echo = off\naccess_log = access.log\naccess_log_format = json\n"});
  ASSERT_TRUE(process.wait_for_output("ON PORT 8081")) << process.error();
  const auto log = process.folder() / "access.log";
  http_get(8081, "/whqty?code=A100");
  for (int i = 0; i < 50 && file_text(log).empty(); ++i) std::this_thread::sleep_for(50ms);
  EXPECT_NE(file_text(log).find(R"("client":"127.0.0.1","method":"GET","path":"/whqty","status":200,)"
                                R"("route":"whqty","outcome":"data",)"),
            std::string::npos)
      << file_text(log);
  EXPECT_EQ(process.output().find("GET /whqty"), std::string::npos);  // not with the blocks

  std::filesystem::rename(log, process.folder() / "access.log.1");
  write_conf(process, "echo = off\naccess_log = access.log\n");  // and back to text
  process.signal(SIGHUP);
  ASSERT_TRUE(process.wait_for_output("reloaded the settings: access_log_format\n"));
  http_get(8081, "/nothing");
  for (int i = 0; i < 50 && file_text(log).empty(); ++i) std::this_thread::sleep_for(50ms);
  EXPECT_NE(file_text(log).find(" 127.0.0.1 GET /nothing 200 other fallback 8 "), std::string::npos) << file_text(log);
  EXPECT_EQ(file_text(process.folder() / "access.log.1").find("/nothing"), std::string::npos);
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

}  // namespace
}  // namespace vantor::test
