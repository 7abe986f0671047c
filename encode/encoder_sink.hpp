// What an encoder leaves besides its answer: a line in the activity log ("Count: 12")
// and each picture it sends, for the window's picture box.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantor::encode {

class EncoderSink {
 public:
  virtual ~EncoderSink() = default;
  // A line of the log; the sink makes it safe to show.
  virtual void log(std::string line) = 0;
  // The echo of an answer, already in a form safe to show (see FinishResponse), and how
  // many bytes of the answer after it were left out.
  virtual void echo(std::string text, std::size_t /*left_out*/) { log(std::move(text)); }
  // How many bytes of an answer an echo shows at most.
  virtual std::size_t echo_room() const { return std::string::npos; }
  virtual void picture(std::string_view jpeg) = 0;
};

// For callers that want neither.
class NullSink final : public EncoderSink {
 public:
  void log(std::string) override {}
  void picture(std::string_view) override {}
};

}  // namespace vantor::encode
