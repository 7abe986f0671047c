// vantor-server: the server with a console front. Commands on standard input, one per
// line: "update", "nocheck on", "nocheck off", "reload", "exit". SIGINT and SIGTERM shut
// it down in order, SIGHUP reloads the settings; the end of standard input does not stop
// it (it may run as a service). "vantor-server --update" runs the schema upgrade once and
// exits, --check-config checks the settings; --help says the rest.
#include <pthread.h>
#include <signal.h>

#include <condition_variable>
#include <deque>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <string>
#include <thread>
#include <variant>

#include "schema/upgrade.hpp"
#include "shell/console_front.hpp"
#include "shell/core/api_description.hpp"
#include "shell/core/config_check.hpp"
#include "shell/core/config_files.hpp"
#include "shell/core/settings_file.hpp"
#include "shell/core/socket_activation.hpp"
#include "shell/core/version.hpp"

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

int update_once(const shell::ServerConfig& config) {
  const auto outcome = schema::SchemaUpgrade(config.database, config.db).run([](const std::string& line) {
    std::cout << line << std::endl;
  });
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

// SIGUSR1 and SIGUSR2 are taken here too, and do nothing: by default they would end the
// process.
void wait_for_signals(CommandQueue& queue, sigset_t signals) {
  int received = 0;
  while (sigwait(&signals, &received) == 0) {
    if (received == SIGHUP) queue.push("reload");
    if (received == SIGINT || received == SIGTERM) {
      queue.push("exit");
      return;
    }
  }
}

constexpr const char* kUsage =
    "usage: vantor-server [--config-dir DIR] [--update | --check-config [--files-only] | --openapi] | --help | "
    "--version\n";

std::string help_text() {
  std::string text = "vantor-server " + shell::version_text() + ": publishes a Firebird ERP database over HTTP.\n\n" +
                     kUsage +
                     "\n"
                     "  --config-dir DIR  read port.txt, ip.txt and vantor.conf from DIR (default: the\n"
                     "                    program's folder; /etc/vantor when installed in /usr/bin);\n"
                     "                    relative paths in vantor.conf are read from it\n"
                     "  --update          install or refresh the server-side objects once, then exit\n"
                     "  --check-config    read the settings as the server would, report every problem\n"
                     "                    with its file and line, where each value comes from, and try\n"
                     "                    the database login; exit 0 when all is well, else 1\n"
                     "  --files-only      with --check-config: the files only, no login\n"
                     "  --openapi         print the API description (OpenAPI 3.1, JSON) and exit; the\n"
                     "                    answers' keys come from the database's columns\n"
                     "  --help            this text\n"
                     "  --version         the version and the commit it was built from\n"
                     "\n"
                     "Settings files in the config folder:\n"
                     "  port.txt          the port (default 8080)\n"
                     "  ip.txt            the database string; without it the demo database vantor.fdb\n"
                     "  vantor.conf       key = value lines, # comments; VANTOR_<KEY> in the\n"
                     "                    environment wins over the file:\n";
  text += shell::settings_help();
  text +=
      "\nConsole commands on standard input: update, nocheck on, nocheck off, reload, exit.\n"
      "SIGINT and SIGTERM stop the server in order; SIGHUP reloads the settings.\n";
  return text;
}

int print_api_description(const shell::ServerConfig& config) {
  try {
    std::cout << shell::api_description(config.database, config.db);
    return 0;
  } catch (const std::exception& failure) {
    std::cerr << "vantor-server: the API description reads the answers' columns from the database: " << failure.what()
              << std::endl;
    return 1;
  }
}

struct Arguments {
  std::filesystem::path folder = shell::default_config_folder();
  bool update = false;
  bool check_config = false;
  bool files_only = false;
  bool openapi = false;
};

// The arguments, or the exit status when the program is done with them.
std::variant<Arguments, int> parse_arguments(int argc, char** argv) {
  Arguments arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--help") {
      std::cout << help_text();
      return 0;
    }
    if (argument == "--version") {
      std::cout << "vantor-server " << shell::version_text() << "\n";
      return 0;
    }
    if (argument == "--update") {
      arguments.update = true;
    } else if (argument == "--check-config") {
      arguments.check_config = true;
    } else if (argument == "--openapi") {
      arguments.openapi = true;
    } else if (argument == "--files-only") {
      arguments.files_only = true;
    } else if (argument == "--config-dir" && i + 1 < argc) {
      arguments.folder = std::filesystem::absolute(argv[++i]);
    } else {
      std::cerr << kUsage;
      return 2;
    }
  }
  return arguments;
}

}  // namespace

int main(int argc, char** argv) {
  const auto parsed = parse_arguments(argc, argv);
  if (const int* status = std::get_if<int>(&parsed)) return *status;
  const Arguments& arguments = std::get<Arguments>(parsed);
  if (arguments.check_config) return shell::check_config(arguments.folder, !arguments.files_only, std::cout);
  shell::ServerConfig config;
  try {
    config = shell::read_config(arguments.folder);
    shell::take_passed_sockets(config);
  } catch (const std::exception& failure) {
    std::cerr << failure.what() << std::endl;
    return 1;
  }
  if (arguments.update) return update_once(config);
  if (arguments.openapi) return print_api_description(config);

  signal(SIGPIPE, SIG_IGN);
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  sigaddset(&signals, SIGUSR1);
  sigaddset(&signals, SIGUSR2);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);  // every thread from here on inherits it
  shell::raise_open_file_limit();
  shell::tune_memory_for_big_answers();

  shell::ConsoleOutput output;
  shell::ConsoleLog log(output);
  shell::ConsoleFront front(output);
  for (const auto& warning : config.warnings) front.show_error("warning: " + warning);
  log.set_access_file(config.access_log_file);
  // The reader of standard input and the signal waiter outlive main: the queue they
  // push to lives as long as the process.
  static CommandQueue& commands = *new CommandQueue;
  std::thread(wait_for_signals, std::ref(commands), signals).detach();
  std::thread(read_commands, std::ref(commands)).detach();

  {
    shell::Application application(front, log, config);
    application.FormCreate();
    if (!application.serving()) {
      std::cerr << "vantor-server: cannot listen on port " << config.http.port
                << (config.admin ? " or the admin port " + std::to_string(config.admin->port) : std::string())
                << ", stopping" << std::endl;
      return 1;
    }
    for (;;) {
      const std::string command = commands.pop();
      if (command == "exit") break;
      if (command == "update") {
        application.RzBitBtn2Click();
      } else if (command == "reload") {
        const auto reading = shell::read_config_checked(arguments.folder);
        const auto lines = application.reload(reading);
        for (const auto& line : lines) front.show_status(line);
        // the access file is opened anew at each reload, for a log rotator
        if (lines.back() != "reload: the running settings are kept") {
          log.set_access_file(reading.config.access_log_file);
        }
      } else if (command == "nocheck on" || command == "nocheck off") {
        application.set_no_check_digit(command == "nocheck on");
        front.show_status(std::string("No Check Digit ") + (application.no_check_digit() ? "on" : "off"));
      } else if (!command.empty()) {
        front.show_status("commands: update, nocheck on, nocheck off, reload, exit");
      }
    }
    application.FormCloseQuery();
  }
  return 0;
}
