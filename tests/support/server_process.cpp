// fork/exec with pipes.
#include "tests/support/server_process.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace vantor::test {
namespace {

std::filesystem::path binary_dir() {
  const char* dir = std::getenv("VANTOR_BINARY_DIR");
  return dir != nullptr ? dir : VANTOR_BINARY_DIR_DEFAULT;
}

void write_file(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// In the child: the sockets at 3, 4, ..., open across exec, and the variables that tell
// the program they are its own.
void pass_listening_sockets(const std::vector<int>& sockets) {
  if (sockets.empty()) return;
  std::vector<int> copies;
  for (int fd : sockets) copies.push_back(::dup(fd));  // above 3 + n, so no dup2 overwrites one
  for (std::size_t i = 0; i < copies.size(); ++i) ::dup2(copies[i], 3 + static_cast<int>(i));
  ::setenv("LISTEN_FDS", std::to_string(sockets.size()).c_str(), 1);
  ::setenv("LISTEN_PID", std::to_string(::getpid()).c_str(), 1);
}

}  // namespace

ServerProcess::ServerProcess(std::optional<std::string> port_txt, std::optional<std::string> ip_txt,
                             const std::string& program, const ProcessExtras& extras) {
  static std::atomic<int> counter{0};
  folder_ = std::filesystem::temp_directory_path() /
            ("vantor-process-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
  const std::filesystem::path source = binary_dir() / program;
  const std::string name = source.filename().string();
  std::filesystem::copy_file(source, folder_ / name);
  if (port_txt) write_file(folder_ / "port.txt", *port_txt);
  if (ip_txt) write_file(folder_ / "ip.txt", *ip_txt);
  if (extras.vantor_conf) write_file(folder_ / "vantor.conf", *extras.vantor_conf);
  for (const auto& [file, contents] : extras.files) {
    write_file(folder_ / file, contents);
    std::filesystem::permissions(folder_ / file, std::filesystem::perms(0644));
  }
  std::vector<std::string> argv_text{(folder_ / name).string()};
  argv_text.insert(argv_text.end(), extras.arguments.begin(), extras.arguments.end());
  std::vector<char*> argv;
  for (auto& argument : argv_text) argv.push_back(argument.data());
  argv.push_back(nullptr);

  int in[2], out[2], err[2];
  if (::pipe(in) != 0 || ::pipe(out) != 0 || ::pipe(err) != 0) throw std::runtime_error("pipe");
  pid_ = ::fork();
  if (pid_ == 0) {
    ::dup2(in[0], 0);
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    for (int fd : {in[0], in[1], out[0], out[1], err[0], err[1]}) ::close(fd);
    if (extras.environment) ::putenv(const_cast<char*>(extras.environment));
    pass_listening_sockets(extras.listening_sockets);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(in[0]);
  ::close(out[1]);
  ::close(err[1]);
  input_ = in[1];
  output_fd_ = out[0];
  error_fd_ = err[0];
  ::fcntl(output_fd_, F_SETFL, O_NONBLOCK);
  ::fcntl(error_fd_, F_SETFL, O_NONBLOCK);
}

ServerProcess::~ServerProcess() {
  if (!status_ && pid_ > 0) {
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  for (int fd : {input_, output_fd_, error_fd_}) {
    if (fd >= 0) ::close(fd);
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void ServerProcess::command(const std::string& line) {
  const std::string text = line + "\n";
  if (::write(input_, text.data(), text.size()) < 0) return;
}

void ServerProcess::close_input() {
  ::close(input_);
  input_ = -1;
}

void ServerProcess::signal(int number) { ::kill(pid_, number); }

void ServerProcess::drain() {
  char buffer[4096];
  for (auto [fd, text] : {std::pair<int, std::string*>{output_fd_, &output_}, {error_fd_, &error_}}) {
    for (;;) {
      const auto n = ::read(fd, buffer, sizeof(buffer));
      if (n <= 0) break;
      text->append(buffer, static_cast<std::size_t>(n));
    }
  }
}

bool ServerProcess::wait_for(const std::string& text, const std::string& stream, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    drain();
    if (stream.find(text) != std::string::npos) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool ServerProcess::wait_for_output(const std::string& text, std::chrono::milliseconds timeout) {
  return wait_for(text, output_, timeout);
}

bool ServerProcess::wait_for_error(const std::string& text, std::chrono::milliseconds timeout) {
  return wait_for(text, error_, timeout);
}

std::optional<int> ServerProcess::wait_for_exit(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!status_) {
    drain();  // a full output pipe would hold the program's log writer, and its exit
    int status = 0;
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      break;
    }
    if (std::chrono::steady_clock::now() > deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  drain();
  return status_;
}

std::string ServerProcess::output() {
  drain();
  return output_;
}

void ServerProcess::discard_output() {
  drain();
  output_.clear();
  error_.clear();
}

std::string ServerProcess::error() {
  drain();
  return error_;
}

bool port_open(unsigned short port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  ::inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
  const bool open = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  ::close(fd);
  return open;
}

}  // namespace vantor::test
