// Slow and hostile clients do not keep legitimate ones from being served, and what the
// server holds for them stays bounded.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <thread>

#include "tests/support/server_process.hpp"
#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::chrono::milliseconds timed_get(std::uint16_t port, const char* target, std::string* body = nullptr) {
  const auto start = Clock::now();
  const auto response = http_get(port, target);
  if (body != nullptr) *body = response ? response->body : "<none>";
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
}

TEST(HostileClients, LegitimateClientsAreServedBesideThem) {
  auto settings = TestServer::fast_settings();
  settings.max_connections = 400;
  settings.request_timeout = 1500ms;
  settings.max_body_bytes = 64 * 1024;
  TestServer server(Template::Upgraded, settings);
  std::vector<std::unique_ptr<RawClient>> hostile;
  for (int i = 0; i < 300; ++i) {  // half a request line, then silence
    hostile.push_back(std::make_unique<RawClient>(server.port()));
    hostile.back()->send("GET /pri");
  }
  auto endless = std::make_unique<RawClient>(server.port());
  endless->send("GET /price HTTP/1.1\r\n");
  for (int i = 0; i < 2000; ++i) endless->send("X-Filler-" + std::to_string(i) + ": " + std::string(40, 'x') + "\r\n");
  auto oversized = std::make_unique<RawClient>(server.port());
  oversized->send(
      "POST /price HTTP/1.1\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: 1000000\r\n\r\n" +
      std::string(100000, 'a'));
  auto many_lines = std::make_unique<RawClient>(server.port());
  std::string lines = "GET /price HTTP/1.1\r\n";
  for (int i = 0; i < 4097; ++i) lines += "A: b\r\n";
  many_lines->send(lines + "\r\n");

  std::string body;
  for (int i = 0; i < 20; ++i) {
    EXPECT_LT(timed_get(server.port(), "/price?code=A100", &body), 1000ms);
    EXPECT_EQ(body.rfind(R"([{"item":"A100")", 0), 0u) << body;
  }
  EXPECT_TRUE(endless->closed_by_server(5000ms));
  EXPECT_TRUE(oversized->closed_by_server(5000ms));
  EXPECT_TRUE(many_lines->closed_by_server(5000ms));
  for (auto& client : hostile) EXPECT_TRUE(client->closed_by_server(5000ms));
  // with the half requests gone, the connections they held are free again
  std::vector<std::unique_ptr<RawClient>> fill;
  for (int i = 0; i < 350; ++i) fill.push_back(std::make_unique<RawClient>(server.port()));
  EXPECT_LT(timed_get(server.port(), "/price?code=A100", &body), 1000ms);
  EXPECT_EQ(body.rfind(R"([{"item":"A100")", 0), 0u);
}

long resident_kilobytes(int pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

TEST(HostileClients, FiveThousandIdleConnectionsHoldLittleMemory) {
#ifdef VANTOR_SANITIZED
  GTEST_SKIP() << "a sanitizer's shadow memory hides what the connections hold";
#endif
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
  ASSERT_GE(limit.rlim_cur, 6000u);
  TestDatabase database;
  ServerProcess process("8084", database.connection_string());
  ASSERT_TRUE(process.wait_for_output("ON PORT 8084"));
  const long before = resident_kilobytes(process.pid());
  std::vector<std::unique_ptr<RawClient>> idle;
  for (int i = 0; i < 5000; ++i) {
    idle.push_back(std::make_unique<RawClient>(8084));
    if (i % 2 == 0) idle.back()->send("GET /nothing HTTP/1.1\r\nHost: x\r\n\r\n");  // keep-alive after an answer
  }
  std::string body;
  EXPECT_LT(timed_get(8084, "/price?code=A100", &body), 2000ms);
  EXPECT_EQ(body.rfind(R"([{"item":"A100")", 0), 0u);
  const long held = resident_kilobytes(process.pid());
  std::printf("resident memory: %ld KB at start, %ld KB with 5000 idle connections\n", before, held);
  EXPECT_LT(held, 100 * 1024);
  idle.clear();
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

}  // namespace
}  // namespace vantor::test
