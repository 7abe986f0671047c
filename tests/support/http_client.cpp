// Blocking sockets with deadlines.
#include "tests/support/http_client.hpp"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>

#include "text/ascii.hpp"

namespace vantor::test {

std::string RawResponse::header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (text::iequals(key, name)) return value;
  }
  return {};
}

std::string RawResponse::header_lines_without_date() const {
  std::string lines;
  for (const auto& [key, value] : headers) {
    if (!lines.empty()) lines += "|";
    lines += key;
    if (key != "Date") lines += ": " + value;
  }
  return lines;
}

RawClient::RawClient(std::uint16_t port, const char* host) {
  sockaddr_storage storage{};
  socklen_t length = 0;
  if (std::string_view(host).find(':') != std::string_view::npos) {
    auto& address = reinterpret_cast<sockaddr_in6&>(storage);
    address.sin6_family = AF_INET6;
    address.sin6_port = htons(port);
    ::inet_pton(AF_INET6, host, &address.sin6_addr);
    length = sizeof(address);
  } else {
    auto& address = reinterpret_cast<sockaddr_in&>(storage);
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    ::inet_pton(AF_INET, host, &address.sin_addr);
    length = sizeof(address);
  }
  fd_ = ::socket(storage.ss_family, SOCK_STREAM, 0);
  if (::connect(fd_, reinterpret_cast<sockaddr*>(&storage), length) != 0) {
    ::close(fd_);
    fd_ = -1;
  }
}

void RawClient::shut_down_sending() { ::shutdown(fd_, SHUT_WR); }

void RawClient::set_receive_buffer(int bytes) { ::setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &bytes, sizeof(bytes)); }

RawClient::~RawClient() {
  if (fd_ >= 0) ::close(fd_);
}

void RawClient::send(std::string_view bytes) {
  while (!bytes.empty() && fd_ >= 0) {
    const auto sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (sent <= 0) return;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
  }
}

std::size_t RawClient::send_some(std::string_view bytes) {
  if (fd_ < 0 || bytes.empty()) return 0;
  const auto sent = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
  return sent > 0 ? static_cast<std::size_t>(sent) : 0;
}

RawClient::Received RawClient::receive(std::chrono::steady_clock::time_point deadline) {
  if (fd_ < 0) return Received::Closed;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
  if (left.count() <= 0) return Received::Nothing;
  pollfd waiting{fd_, POLLIN, 0};
  if (::poll(&waiting, 1, static_cast<int>(left.count())) <= 0) return Received::Nothing;
  char chunk[65536];
  const auto received = ::recv(fd_, chunk, sizeof(chunk), 0);
  if (received <= 0) return Received::Closed;
  buffer_.append(chunk, static_cast<std::size_t>(received));
  return Received::Data;
}

bool RawClient::fill(std::chrono::steady_clock::time_point deadline) { return receive(deadline) == Received::Data; }

std::optional<RawResponse> RawClient::read(bool with_body, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::size_t end;
  while ((end = buffer_.find("\r\n\r\n")) == std::string::npos) {
    if (!fill(deadline)) return std::nullopt;
  }
  RawResponse response;
  const std::string head = buffer_.substr(0, end);
  buffer_.erase(0, end + 4);
  std::size_t line_end = head.find("\r\n");
  response.status_line = head.substr(0, line_end);
  while (line_end != std::string::npos) {
    const std::size_t start = line_end + 2;
    line_end = head.find("\r\n", start);
    const std::string line = head.substr(start, line_end == std::string::npos ? std::string::npos : line_end - start);
    const std::size_t colon = line.find(':');
    response.headers.emplace_back(line.substr(0, colon), line.substr(colon + 2));
  }
  if (with_body) {
    const std::size_t length =
        std::stoul(response.header("Content-Length").empty() ? "0" : response.header("Content-Length"));
    while (buffer_.size() < length) {
      if (!fill(deadline)) return std::nullopt;
    }
    response.body = buffer_.substr(0, length);
    buffer_.erase(0, length);
  }
  return response;
}

bool RawClient::closed_by_server(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    switch (receive(deadline)) {
      case Received::Closed: return true;
      case Received::Nothing: return false;
      case Received::Data: break;
    }
  }
}

std::optional<RawResponse> http_get(std::uint16_t port, std::string_view target) {
  RawClient client(port);
  client.send("GET " + std::string(target) + " HTTP/1.1\r\nHost: localhost\r\nConnection: close\r\n\r\n");
  return client.read();
}

std::string url_escape(std::string_view text) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
        c == '.' || c == '~') {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

}  // namespace vantor::test
