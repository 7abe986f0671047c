// An answer whose body is sent as it comes (the operator console's live feed): the
// connection takes what the stream has, writes it, and asks again; the stream says when it
// has more. A slow reader meets the write time-out; the stream bounds what it holds.
#pragma once

#include <functional>
#include <optional>
#include <string>

namespace vantor::http {

class AnswerStream {
 public:
  virtual ~AnswerStream() = default;
  // What is there to send: empty when nothing is yet, nothing once the stream has ended.
  virtual std::optional<std::string> take() = 0;
  // Calls ready once, from any thread, when take() has something (or the end) for the
  // caller; at once when it has already.
  virtual void when_ready(std::function<void()> ready) = 0;
  // The connection has gone: the stream lets go of its reader (and of ready).
  virtual void close() = 0;
};

}  // namespace vantor::http
