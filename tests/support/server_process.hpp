// The console program run as its own process from a folder of its own, with the
// port.txt and ip.txt a test gives it; its input, output and error are pipes.
#pragma once

#include <vector>

#include <sys/types.h>
#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace vantor::test {

// What else a test gives the program: a vantor.conf, command-line arguments, one
// "NAME=value" of environment.
struct ProcessExtras {
  std::optional<std::string> vantor_conf;
  std::vector<std::string> arguments;
  const char* environment = nullptr;
  std::vector<std::pair<std::string, std::string>> files;  // name, contents (mode 0644)
  // Listening sockets handed to the program as systemd does: descriptors 3, 4, ... with
  // LISTEN_FDS and LISTEN_PID set.
  std::vector<int> listening_sockets;
};

class ServerProcess {
 public:
  // port_txt / ip_txt: the files' contents, or nullopt for no file.
  ServerProcess(std::optional<std::string> port_txt, std::optional<std::string> ip_txt,
                const std::string& program = "vantor-server", const ProcessExtras& extras = {});
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;
  ~ServerProcess();

  void command(const std::string& line);
  void close_input();
  void signal(int number);
  // Waits until standard output holds text; false on timeout.
  bool wait_for_output(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(20));
  bool wait_for_error(const std::string& text, std::chrono::milliseconds timeout = std::chrono::seconds(20));
  // The exit status, or nullopt when the process did not end in time.
  std::optional<int> wait_for_exit(std::chrono::milliseconds timeout = std::chrono::seconds(30));
  std::string output();
  // Reads what the program wrote so far and forgets it (a long run writes much).
  void discard_output();
  std::string error();
  const std::filesystem::path& folder() const { return folder_; }
  pid_t pid() const { return pid_; }

 private:
  void drain();
  bool wait_for(const std::string& text, const std::string& stream, std::chrono::milliseconds timeout);

  std::filesystem::path folder_;
  pid_t pid_ = -1;
  int input_ = -1;
  int output_fd_ = -1;
  int error_fd_ = -1;
  std::string output_;
  std::string error_;
  std::optional<int> status_;
};

// Whether something accepts connections on 127.0.0.1:port.
bool port_open(unsigned short port);

}  // namespace vantor::test
