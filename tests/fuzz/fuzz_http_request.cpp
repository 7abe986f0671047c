// Any bytes sent to the server: the answer is a "200 OK" or the connection is closed
// without one; the server never crashes and never hangs (each input gets five seconds:
// the server itself gives up on an unfinished request after half a second).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "http/http_server.hpp"
#include "tests/support/function_runner.hpp"

namespace {

vantor::http::HttpServer& server() {
  static auto instance = [] {
    vantor::http::ServerSettings settings;
    settings.port = 0;
    settings.request_timeout = std::chrono::milliseconds(500);
    settings.idle_timeout = std::chrono::milliseconds(500);
    settings.max_body_bytes = 4096;
    static vantor::test::FunctionRunner runner([](const vantor::http::HttpRequest& request) {
      return vantor::http::HttpAnswer{"text/json; charset=utf-8", request.target + request.body};
    });
    auto created = std::make_unique<vantor::http::HttpServer>(settings, runner);
    created->start();
    return created;
  }();
  return *instance;
}

// libFuzzer's timeout alarm interrupts system calls now and then: an interrupted wait
// goes on for the time left, an interrupted connect completes on its own.
bool ready(int fd, short events, std::chrono::steady_clock::time_point deadline) {
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    pollfd waiting{fd, events, 0};
    const int result = ::poll(&waiting, 1, static_cast<int>(std::max<std::int64_t>(left.count(), 0)));
    if (result > 0) return true;
    if (result == 0 || errno != EINTR) return false;
  }
}

bool connected(int fd, const sockaddr_in& address) {
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0) return true;
  if (errno != EINTR) return false;
  if (!ready(fd, POLLOUT, std::chrono::steady_clock::now() + std::chrono::seconds(5))) return false;
  int error = 0;
  socklen_t length = sizeof(error);
  return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  // Each connection leaves its port in TIME_WAIT for a minute: spread them over the
  // loopback addresses, or a long run uses up the local ports and fails for that alone.
  static std::uint32_t next_source = 0;
  sockaddr_in source{};
  source.sin_family = AF_INET;
  source.sin_addr.s_addr = htonl(0x7F000000u | (1 + next_source++ % 0xFFFFFEu));
  ::bind(fd, reinterpret_cast<sockaddr*>(&source), sizeof(source));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(server().port());
  ::inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
  if (!connected(fd, address)) __builtin_trap();
  ::send(fd, data, size, MSG_NOSIGNAL);
  ::shutdown(fd, SHUT_WR);
  std::string answer;
  char buffer[65536];
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  for (;;) {
    if (!ready(fd, POLLIN, deadline)) __builtin_trap();  // neither an answer nor a close
    const auto received = ::recv(fd, buffer, sizeof(buffer), 0);
    if (received < 0 && errno == EINTR) continue;
    if (received <= 0) break;
    answer.append(buffer, static_cast<std::size_t>(received));
  }
  ::close(fd);
  if (!answer.empty() && answer.rfind("HTTP/1.1 200 OK\r\n", 0) != 0) __builtin_trap();
  return 0;
}
