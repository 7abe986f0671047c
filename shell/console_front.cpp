// Standard output and standard error for the console program.
#include "shell/console_front.hpp"

#include <chrono>
#include <cstdlib>
#include <iostream>

namespace vantor::shell {

ConsoleOutput::ConsoleOutput() : writer_([this] { run(); }) {}

ConsoleOutput::~ConsoleOutput() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_one();
  writer_.join();
}

// The writer is not woken for each block: it looks every few milliseconds, so a busy
// server does not pay a thread switch per request for its log.
void ConsoleOutput::write(std::string text) {
  std::lock_guard lock(mutex_);
  if (waiting_bytes_ + text.size() > kMaxWaitingBytes) {
    ++dropped_;
    return;
  }
  waiting_bytes_ += text.size();
  waiting_.push_back(std::move(text));
}

void ConsoleOutput::run() {
  for (;;) {
    std::deque<std::string> batch;
    std::size_t dropped = 0;
    {
      std::unique_lock lock(mutex_);
      wake_.wait_for(lock, std::chrono::milliseconds(10), [&] { return stopping_; });
      if (waiting_.empty() && dropped_ == 0) {
        if (stopping_) return;
        continue;
      }
      batch.swap(waiting_);
      waiting_bytes_ = 0;
      std::swap(dropped, dropped_);
    }
    for (const auto& text : batch) std::cout << text;
    if (dropped > 0) std::cout << "(" << dropped << " log blocks left out: the output could not keep up)\n";
    std::cout.flush();
  }
}

ConsoleLog::ConsoleLog(ConsoleOutput& output) : output_(output), journal_(std::getenv("JOURNAL_STREAM") != nullptr) {}

void ConsoleLog::publish(http::LogBlock block) {
  std::string text = "--------\n";
  for (const auto& entry : block.entries) {
    if (journal_ && entry.rfind("Failure:", 0) == 0) text += "<3>";
    text += entry;
    text += '\n';
  }
  if (block.access) text += *block.access + '\n';
  output_.write(std::move(text));
}

void ConsoleFront::show_error(const std::string& message) {
  static std::mutex errors;
  std::lock_guard lock(errors);
  std::cerr << message << std::endl;
}

}  // namespace vantor::shell
