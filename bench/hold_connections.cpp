// hold_connections PORT COUNT SECONDS: opens COUNT connections to 127.0.0.1:PORT, makes
// one keep-alive request on each, then keeps them all open and idle for SECONDS.
// Prints how many were held.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

bool request(int fd) {
  const std::string text = "GET /nothing HTTP/1.1\r\nHost: bench\r\n\r\n";
  if (::send(fd, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size())) return false;
  std::string answer;
  char buffer[1024];
  while (answer.find("Bye Bye ") == std::string::npos) {
    const auto n = ::recv(fd, buffer, sizeof(buffer), 0);
    if (n <= 0) return false;
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: hold_connections PORT COUNT SECONDS\n");
    return 2;
  }
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
  const int port = std::stoi(argv[1]);
  const int count = std::stoi(argv[2]);
  std::vector<int> held;
  for (int i = 0; i < count; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<unsigned short>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || !request(fd)) {
      if (fd >= 0) ::close(fd);
      continue;
    }
    held.push_back(fd);
  }
  std::printf("%zu\n", held.size());
  std::fflush(stdout);
  std::this_thread::sleep_for(std::chrono::seconds(std::stoi(argv[3])));
  for (int fd : held) ::close(fd);
  return 0;
}
