// The console front: the title, status lines and the activity log go to standard output,
// one block per request, never interleaved; error boxes become lines on standard error.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "http/request_log.hpp"
#include "shell/core/application.hpp"

namespace vantor::shell {

// One thread writes everything to standard output, so a slow reader of the output never
// holds up a request; when too many bytes are waiting, blocks are dropped and counted.
class ConsoleOutput {
 public:
  ConsoleOutput();
  ~ConsoleOutput();
  void write(std::string text);

 private:
  void run();

  static constexpr std::size_t kMaxWaitingBytes = 16 * 1024 * 1024;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::string> waiting_;
  std::size_t waiting_bytes_ = 0;
  std::size_t dropped_ = 0;
  bool stopping_ = false;
  std::thread writer_;
};

// Under systemd (JOURNAL_STREAM set), failure lines carry the journal's error priority.
class ConsoleLog final : public http::ActivityLog {
 public:
  explicit ConsoleLog(ConsoleOutput& output);
  void publish(http::LogBlock block) override;

 private:
  ConsoleOutput& output_;
  bool journal_;
};

class ConsoleFront final : public OperatorFront {
 public:
  explicit ConsoleFront(ConsoleOutput& output) : output_(output) {}
  void set_title(const std::string& title) override { output_.write(title + "\n"); }
  void show_error(const std::string& message) override;
  void show_status(const std::string& message) override { output_.write(message + "\n"); }

 private:
  ConsoleOutput& output_;
};

}  // namespace vantor::shell
