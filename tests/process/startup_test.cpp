// Start-up, the console commands and shutdown of the console program.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "tests/support/http_client.hpp"
#include "tests/support/server_process.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::test {
namespace {

const std::string kTitle = "Vantor API Server ON PORT ";

class Startup : public ::testing::Test {
 protected:
  std::string ip() const { return database_.connection_string(); }
  TestDatabase database_;
};

TEST_F(Startup, PortFromTheFirstLineOfPortTxt) {
  struct Case {
    const char* id;
    std::optional<std::string> port_txt;
    unsigned short port;
  } cases[] = {
      {"two lines", "8081\n9000\n", 8081},   {"missing", std::nullopt, 8080},     {"letters", "abc\n", 8080},
      {"empty line", "\n8081\n", 8080},      {"trailing blank", "8081 \n", 8080}, {"leading blank", " 8081", 8081},
      {"plus sign", "+8081\r\n", 8081},      {"low 16 bits", "70000\n", 4464},    {"hexadecimal", "0x1F91", 8081},
      {"dollar hexadecimal", "$1F91", 8081},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    ServerProcess process(c.port_txt, ip());
    ASSERT_TRUE(process.wait_for_output(kTitle + std::to_string(c.port) + "\n")) << process.output() << process.error();
    const auto response = http_get(c.port, "/nothing");
    ASSERT_TRUE(response);
    EXPECT_EQ(response->body, "Bye Bye ");
    process.command("exit");
    EXPECT_EQ(process.wait_for_exit(), 0);
  }
}

TEST_F(Startup, OnlyTheLinkProbeIsAttachedUntilTheFirstRequest) {
  ServerProcess process("8081", ip());
  ASSERT_TRUE(process.wait_for_output(kTitle + "8081"));
  const char* others =
      "select count(*) from mon$attachments where mon$attachment_id <> current_connection "
      "and mon$remote_protocol is not null";
  std::string attached = database_.scalar(others);
  for (int i = 0; i < 50 && attached != "1"; ++i, std::this_thread::sleep_for(std::chrono::milliseconds(100))) {
    attached = database_.scalar(others);
  }
  EXPECT_EQ(attached, "1");  // the link probe's own
  ASSERT_TRUE(http_get(8081, "/stores"));
  EXPECT_EQ(database_.scalar(others), "2");
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

// A socket that holds port 8081 of one address family.
int hold_port(int family) {
  const int blocker = ::socket(family, SOCK_STREAM, 0);
  int yes = 1;
  ::setsockopt(blocker, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
  if (family == AF_INET6) {
    ::setsockopt(blocker, IPPROTO_IPV6, IPV6_V6ONLY, &yes, sizeof(yes));
    sockaddr_in6 address{};
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(8081);
    address.sin6_addr = in6addr_any;
    if (::bind(blocker, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) return -1;
  } else {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(8081);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(blocker, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0) return -1;
  }
  return ::listen(blocker, 1) == 0 ? blocker : -1;
}

// The first line of the answer to "GET /nothing" over IPv6 loopback.
std::string status_over_ipv6() {
  const int fd = ::socket(AF_INET6, SOCK_STREAM, 0);
  sockaddr_in6 address{};
  address.sin6_family = AF_INET6;
  address.sin6_port = htons(8081);
  address.sin6_addr = in6addr_loopback;
  std::string answer;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0) {
    const std::string request = "GET /nothing HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    (void)!::write(fd, request.data(), request.size());
    char buffer[512];
    ssize_t n = 0;
    while ((n = ::read(fd, buffer, sizeof(buffer))) > 0) answer.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return answer.substr(0, answer.find('\r'));
}

TEST_F(Startup, WithIpv4TakenTheFailureIsLoggedAndIpv6Serves) {
  const int blocker = hold_port(AF_INET);
  ASSERT_GE(blocker, 0);
  ServerProcess process("8081", ip());
  EXPECT_TRUE(process.wait_for_error("cannot listen on IPv4 port 8081: Address already in use")) << process.error();
  EXPECT_TRUE(process.wait_for_output(kTitle + "8081")) << process.output();
  EXPECT_EQ(status_over_ipv6(), "HTTP/1.1 200 OK");
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
  ::close(blocker);
}

TEST_F(Startup, APortTakenOnEveryAddressEndsTheProgramWithStatus1) {
  const int v4 = hold_port(AF_INET);
  const int v6 = hold_port(AF_INET6);
  ASSERT_GE(v4, 0);
  ServerProcess process("8081", ip());
  EXPECT_EQ(process.wait_for_exit(), 1);
  EXPECT_NE(process.error().find("cannot listen on port 8081"), std::string::npos) << process.error();
  EXPECT_EQ(process.output().find(kTitle), std::string::npos);
  ::close(v4);
  if (v6 >= 0) ::close(v6);
}

TEST_F(Startup, ADatabaseDownAtStartIsReportedWhileTheServerListens) {
  ServerProcess process("8081", "localhost:/nonexistent/vantor/none.fdb");
  EXPECT_TRUE(process.wait_for_error("none.fdb")) << process.error();
  const auto response = http_get(8081, "/nothing");
  ASSERT_TRUE(response);
  EXPECT_EQ(response->header("Content-Length"), "0");  // no database: the empty answer
  EXPECT_EQ(process.output().find(kTitle), std::string::npos);
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

TEST_F(Startup, WithoutIpTxtTheDemoDatabaseBesideTheProgramIsUsed) {
  ServerProcess process("8081", std::nullopt);
  EXPECT_TRUE(process.wait_for_error("vantor.fdb")) << process.error();
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

TEST_F(Startup, EndOfInputKeepsServingAndSigtermStopsInOrder) {
  for (int signal_number : {SIGTERM, SIGINT}) {
    SCOPED_TRACE(signal_number);
    ServerProcess process("8081", ip());
    ASSERT_TRUE(process.wait_for_output(kTitle + "8081"));
    process.close_input();
    ASSERT_TRUE(http_get(8081, "/stores"));
    EXPECT_FALSE(process.wait_for_exit(std::chrono::milliseconds(300)));
    RawClient idle(8081);
    process.signal(signal_number);
    EXPECT_EQ(process.wait_for_exit(), 0);
    EXPECT_TRUE(idle.closed_by_server());
    EXPECT_FALSE(port_open(8081));
  }
}

TEST_F(Startup, TheLogShowsOneBlockPerRequest) {
  ServerProcess process("8081", ip());
  ASSERT_TRUE(process.wait_for_output(kTitle + "8081"));
  ASSERT_TRUE(http_get(8081, "/nothing?a=1&b=2"));
  EXPECT_TRUE(process.wait_for_output("--------\n127.0.0.1\n/nothing\na=1\nb=2\n\nBye Bye \n")) << process.output();
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

TEST_F(Startup, UpdateRunsTheUpgradeAndSaysSo) {
  TestDatabase fresh(Template::Erp);
  ServerProcess process("8081", fresh.connection_string());
  ASSERT_TRUE(process.wait_for_output(kTitle + "8081"));
  EXPECT_EQ(http_get(8081, "/price?code=A100")->body, "Some Error !!");  // PPRICE is not there yet
  process.command("update");
  ASSERT_TRUE(process.wait_for_output("update finished"));
  EXPECT_NE(http_get(8081, "/price?code=A100")->body.find("\"item\":\"A100\""), std::string::npos);
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

}  // namespace
}  // namespace vantor::test
