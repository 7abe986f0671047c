// vantor-server: the server with a console front. Commands on standard input, one per
// line: "update", "nocheck on", "nocheck off", "exit". SIGINT and SIGTERM shut it down in
// order; the end of standard input does not (it may run as a service).
// "vantor-server --update" runs the schema upgrade once and exits.
#include <pthread.h>
#include <signal.h>

#include <condition_variable>
#include <deque>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>

#include "schema/upgrade.hpp"
#include "shell/console_front.hpp"
#include "shell/core/config_files.hpp"

namespace {

using namespace vantor;

class CommandQueue {
 public:
  void push(std::string command) {
    {
      std::lock_guard lock(mutex_);
      commands_.push_back(std::move(command));
    }
    wake_.notify_one();
  }
  std::string pop() {
    std::unique_lock lock(mutex_);
    wake_.wait(lock, [&] { return !commands_.empty(); });
    std::string command = std::move(commands_.front());
    commands_.pop_front();
    return command;
  }

 private:
  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::string> commands_;
};

int update_once() {
  const auto outcome = schema::SchemaUpgrade(shell::read_config(shell::program_folder()).database).run();
  (outcome.finished ? std::cout : std::cerr) << outcome.message << std::endl;
  return outcome.finished ? 0 : 1;
}

void read_commands(CommandQueue& queue) {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    queue.push(line);
  }
}

void wait_for_signals(CommandQueue& queue, sigset_t signals) {
  int received = 0;
  while (sigwait(&signals, &received) == 0) {
    if (received == SIGINT || received == SIGTERM) {
      queue.push("exit");
      return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::string(argv[1]) == "--update") return update_once();
  if (argc > 1) {
    std::cerr << "usage: vantor-server [--update]\n";
    return 2;
  }
  signal(SIGPIPE, SIG_IGN);
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // every thread from here on inherits it
  shell::raise_open_file_limit();
  shell::tune_memory_for_big_answers();

  shell::ConsoleOutput output;
  shell::ConsoleLog log(output);
  shell::ConsoleFront front(output);
  // The reader of standard input and the signal waiter outlive main: the queue they
  // push to lives as long as the process.
  static CommandQueue& commands = *new CommandQueue;
  std::thread(wait_for_signals, std::ref(commands), signals).detach();
  std::thread(read_commands, std::ref(commands)).detach();

  {
    shell::Application application(front, log, shell::read_config(shell::program_folder()));
    application.FormCreate();
    for (;;) {
      const std::string command = commands.pop();
      if (command == "exit") break;
      if (command == "update") {
        application.RzBitBtn2Click();
      } else if (command == "nocheck on" || command == "nocheck off") {
        application.set_no_check_digit(command == "nocheck on");
        front.show_status(std::string("No Check Digit ") + (application.no_check_digit() ? "on" : "off"));
      } else if (!command.empty()) {
        front.show_status("commands: update, nocheck on, nocheck off, exit");
      }
    }
    application.FormCloseQuery();
  }
  return 0;
}
