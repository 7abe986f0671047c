// The console front: the title, status lines and the activity log go to standard output,
// one block per request, never interleaved; error boxes become lines on standard error.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "http/request_log.hpp"
#include "shell/core/application.hpp"

namespace vantor::shell {

// One thread writes everything to standard output, so a slow reader of the output never
// holds up a request; when too many bytes are waiting, blocks are dropped and counted.
// One request's entry for the journal: its block and the fields it is found by.
struct JournalEntry {
  std::string message;
  int priority = 6;
  std::string route;
  std::string outcome;
  std::string client;
  double milliseconds = 0;
};

class ConsoleOutput {
 public:
  ConsoleOutput();
  ~ConsoleOutput();
  void write(std::string text);
  // An entry sent to the journal by the writer thread; text is written instead when the
  // journal does not take it.
  void write(JournalEntry entry, std::string text);
  // Access lines go to this file from now on (opened anew, appending; empty: none).
  void set_access_file(const std::filesystem::path& file);
  void write_access(std::string line);

 private:
  void run();

  static constexpr std::size_t kMaxWaitingBytes = 16 * 1024 * 1024;
  std::mutex mutex_;
  std::condition_variable wake_;
  struct Waiting {
    std::string text;
    std::optional<JournalEntry> entry;
    bool access = false;  // a line for the access file
  };
  void open_access_file();
  void put(Waiting waiting);
  std::deque<Waiting> waiting_;
  std::size_t waiting_bytes_ = 0;
  std::size_t dropped_ = 0;
  bool stopping_ = false;
  std::optional<std::filesystem::path> access_path_;  // to be opened by the writer
  std::FILE* access_file_ = nullptr;                  // the writer's only
  std::thread writer_;
};

// Under systemd (JOURNAL_STREAM set) each request's block is one journal entry, with the
// fields VANTOR_ROUTE, VANTOR_OUTCOME, VANTOR_CLIENT and VANTOR_MS and a priority from
// its outcome (a failure an error, an empty answer a warning); when the journal does not
// take it, the block goes to standard output with its failure lines at the error
// priority.
class ConsoleLog final : public http::ActivityLog {
 public:
  explicit ConsoleLog(ConsoleOutput& output);
  void publish(http::LogBlock block) override;
  // The access lines to a file of their own; empty: with the blocks.
  void set_access_file(const std::filesystem::path& file);

 private:
  ConsoleOutput& output_;
  bool journal_stream_;  // standard output goes to the journal
  bool journal_;         // and its socket takes entries
  std::atomic<bool> access_to_file_{false};
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
