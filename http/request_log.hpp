// The activity log of one request: the lines it adds while it runs, shown to the
// operator as one block when it ends, and the last picture an encoder sent. Whatever a
// client sent or the database holds is written with its control characters escaped,
// so nothing of it can start a log line or reach the operator's terminal raw.
#pragma once

#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "encode/encoder_sink.hpp"

namespace vantor::http {

struct LogBlock {
  // Each entry is shown as it is, followed by a line break; line breaks inside an entry
  // start new lines.
  std::vector<std::string> entries;
  std::optional<std::string> picture;  // the last JPEG picture of the answer
  std::optional<std::string> access;   // the request's access line, when they are kept
  // What a journal or a log shipper files the block under.
  std::string route;    // the route's label ("price", "other")
  std::string outcome;  // data, failure, empty or fallback
  std::string client;
  double milliseconds = 0;
};

// Each entry followed by a line break: how a parameter list or a block is shown.
std::string joined_lines(const std::vector<std::string>& entries);

// Where the blocks of finished requests go: the console or the window.
class ActivityLog {
 public:
  virtual ~ActivityLog() = default;
  virtual void publish(LogBlock block) = 0;
};

class RequestLog final : public encode::EncoderSink {
 public:
  // An echo shows this many bytes of an answer at most, with a line saying how many
  // more were left out.
  static constexpr std::size_t kMaxEcho = 64 * 1024;

  void log(std::string line) override;
  void echo(std::string text, std::size_t left_out) override;
  std::size_t echo_room() const override { return kMaxEcho; }
  void picture(std::string_view jpeg) override { block_.picture = std::string(jpeg); }
  // The parameter list, one entry a line.
  void parameters(const std::vector<std::string>& entries);
  // Why a request failed, for the operator; the client's answer says nothing of it. A
  // lock conflict says so first.
  void failure(std::string_view message);
  void failure(const std::exception& failure);

  void access(std::string line) { block_.access = std::move(line); }

  LogBlock take() { return std::move(block_); }

 private:
  LogBlock block_;
};

}  // namespace vantor::http
