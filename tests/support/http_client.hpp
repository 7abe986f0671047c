// A raw HTTP client for tests: sends exact bytes and reads exact answers.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vantor::test {

struct RawResponse {
  std::string status_line;
  std::vector<std::pair<std::string, std::string>> headers;  // in the order sent
  std::string body;

  // The value of a header (first of that name, without regard to case), or "".
  std::string header(std::string_view name) const;
  // Header names in order, without "Date" values: "Connection: keep-alive|Content-Type: ..."
  std::string header_lines_without_date() const;
};

class RawClient {
 public:
  // host: an IPv4 or IPv6 address.
  explicit RawClient(std::uint16_t port, const char* host = "127.0.0.1");
  RawClient(const RawClient&) = delete;
  RawClient& operator=(const RawClient&) = delete;
  ~RawClient();

  void send(std::string_view bytes);
  // Sends what the network takes now, without waiting; the bytes sent.
  std::size_t send_some(std::string_view bytes);
  // Reads one answer; with_body false reads the headers only (an answer to HEAD).
  // nullopt when the server closed the connection before a whole answer arrived.
  std::optional<RawResponse> read(bool with_body = true,
                                  std::chrono::milliseconds timeout = std::chrono::milliseconds(20000));
  // Whether the server closed the connection (waits up to timeout for it).
  bool closed_by_server(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
  bool connected() const { return fd_ >= 0; }
  // Closes the sending side only: the server sees the end of the stream.
  void shut_down_sending();
  // A small receive buffer, for a client that reads slowly or not at all.
  void set_receive_buffer(int bytes);

 private:
  enum class Received { Data, Closed, Nothing };
  // One read of what has arrived, waiting at most until deadline.
  Received receive(std::chrono::steady_clock::time_point deadline);
  bool fill(std::chrono::steady_clock::time_point deadline);
  int fd_ = -1;
  std::string buffer_;
};

// One GET with "Connection: close"; the answer, or nullopt when none came.
std::optional<RawResponse> http_get(std::uint16_t port, std::string_view target);
// Percent-escapes every byte that is not unreserved.
std::string url_escape(std::string_view text);

}  // namespace vantor::test
