// The activity log of one request: the lines it adds while it runs, shown to the
// operator as one block when it ends, and the last picture an encoder sent.
#pragma once

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
};

// Each entry followed by a line break: how a parameter list or a block is shown.
inline std::string joined_lines(const std::vector<std::string>& entries) {
  std::string text;
  for (const auto& entry : entries) {
    text += entry;
    text += '\n';
  }
  return text;
}

// Where the blocks of finished requests go: the console or the window.
class ActivityLog {
 public:
  virtual ~ActivityLog() = default;
  virtual void publish(LogBlock block) = 0;
};

class RequestLog final : public encode::EncoderSink {
 public:
  void log(std::string line) override { block_.entries.push_back(std::move(line)); }
  void picture(std::string_view jpeg) override { block_.picture = std::string(jpeg); }
  // Why a request failed, for the operator; the client's answer says nothing of it.
  void failure(std::string_view message) { block_.entries.push_back("Failure: " + std::string(message)); }

  LogBlock take() { return std::move(block_); }

 private:
  LogBlock block_;
};

}  // namespace vantor::http
