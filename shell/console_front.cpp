// Standard output and standard error for the console program.
#include "shell/console_front.hpp"

#include <systemd/sd-journal.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
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
  if (access_file_ != nullptr) std::fclose(access_file_);
}

void ConsoleOutput::set_access_file(const std::filesystem::path& file) {
  std::lock_guard lock(mutex_);
  access_path_ = file;
}

void ConsoleOutput::write_access(std::string line) { put(Waiting{std::move(line), std::nullopt, true}); }

// On the writer: a file moved away by a log rotator is let go, and one of the name is
// opened (made when missing).
void ConsoleOutput::open_access_file() {
  std::optional<std::filesystem::path> path;
  {
    std::lock_guard lock(mutex_);
    path.swap(access_path_);
  }
  if (!path) return;
  if (access_file_ != nullptr) std::fclose(access_file_);
  access_file_ = path->empty() ? nullptr : std::fopen(path->c_str(), "a");
  if (!path->empty() && access_file_ == nullptr) {
    std::cerr << "the access log " << path->string() << " cannot be opened: its lines are left out" << std::endl;
  }
}

// The writer is not woken for each block: it looks every few milliseconds, so a busy
// server does not pay a thread switch per request for its log.
void ConsoleOutput::write(std::string text) { put(Waiting{std::move(text), std::nullopt, false}); }

void ConsoleOutput::write(JournalEntry entry, std::string text) {
  put(Waiting{std::move(text), std::move(entry), false});
}

void ConsoleOutput::put(Waiting waiting) {
  const std::size_t bytes = waiting.text.size() + (waiting.entry ? waiting.entry->message.size() : 0);
  std::lock_guard lock(mutex_);
  if (waiting_bytes_ + bytes > kMaxWaitingBytes) {
    ++dropped_;
    return;
  }
  waiting_bytes_ += bytes;
  waiting_.push_back(std::move(waiting));
}

namespace {

// False when the journal did not take the entry.
bool send_to_journal(const JournalEntry& entry) {
  char milliseconds[32];
  std::snprintf(milliseconds, sizeof(milliseconds), "%.1f", entry.milliseconds);
  return sd_journal_send("MESSAGE=%s", entry.message.c_str(), "PRIORITY=%d", entry.priority, "VANTOR_ROUTE=%s",
                         entry.route.c_str(), "VANTOR_OUTCOME=%s", entry.outcome.c_str(), "VANTOR_CLIENT=%s",
                         entry.client.c_str(), "VANTOR_MS=%s", milliseconds, nullptr) == 0;
}

}  // namespace

void ConsoleOutput::run() {
  for (;;) {
    std::deque<Waiting> batch;
    std::size_t dropped = 0;
    {
      std::unique_lock lock(mutex_);
      wake_.wait_for(lock, std::chrono::milliseconds(10), [&] { return stopping_; });
      if (waiting_.empty() && dropped_ == 0 && !access_path_) {
        if (stopping_) return;
        continue;
      }
      batch.swap(waiting_);
      waiting_bytes_ = 0;
      std::swap(dropped, dropped_);
    }
    open_access_file();
    for (const auto& waiting : batch) {
      if (waiting.access) {
        if (access_file_ != nullptr) std::fputs(waiting.text.c_str(), access_file_);
      } else if (!waiting.entry || !send_to_journal(*waiting.entry)) {
        std::cout << waiting.text;
      }
    }
    if (access_file_ != nullptr) std::fflush(access_file_);
    if (dropped > 0) std::cout << "(" << dropped << " log blocks left out: the output could not keep up)\n";
    std::cout.flush();
  }
}

// The journal's library drops an entry without a word when its socket is missing: the
// entries go there only when it is there.
ConsoleLog::ConsoleLog(ConsoleOutput& output)
    : output_(output),
      journal_stream_(std::getenv("JOURNAL_STREAM") != nullptr),
      journal_(journal_stream_ && ::access("/run/systemd/journal/socket", W_OK) == 0) {}

void ConsoleLog::publish(http::LogBlock block) {
  std::string text = "--------\n";
  for (const auto& entry : block.entries) {
    if (journal_stream_ && entry.rfind("Failure:", 0) == 0) text += "<3>";
    text += entry;
    text += '\n';
  }
  if (block.access && access_to_file_) {
    output_.write_access(*block.access + '\n');
    block.access.reset();
  }
  if (block.access) text += *block.access + '\n';
  if (!journal_) return output_.write(std::move(text));
  JournalEntry entry{
      http::joined_lines(block.entries), 6, block.route, block.outcome, block.client, block.milliseconds};
  if (block.access) entry.message += *block.access + '\n';
  if (!entry.message.empty()) entry.message.pop_back();  // the journal ends each entry itself
  if (block.outcome == "failure") entry.priority = 3;
  if (block.outcome == "empty") entry.priority = 4;
  output_.write(std::move(entry), std::move(text));
}

void ConsoleLog::set_access_file(const std::filesystem::path& file) {
  access_to_file_ = !file.empty();
  output_.set_access_file(file);
}

void ConsoleFront::show_error(const std::string& message) {
  static std::mutex errors;
  std::lock_guard lock(errors);
  std::cerr << message << std::endl;
}

}  // namespace vantor::shell
