// Read from /proc/self (which the unit's ProcSubset=pid leaves visible).
#include "shell/core/process_metrics.hpp"

#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace vantor::shell {
namespace {

struct Stat {
  double cpu_seconds = 0;
  double resident_bytes = 0;
};

// Fields 14 and 15 (user and system time, in ticks) and 24 (resident pages) of
// /proc/self/stat; the name in field 2 may hold blanks, so counting starts after it.
Stat read_stat() {
  std::ifstream file("/proc/self/stat");
  std::string line;
  std::getline(file, line);
  const auto close = line.rfind(')');
  if (close == std::string::npos) return {};
  std::istringstream fields(line.substr(close + 2));
  std::string field;
  Stat stat;
  const double ticks = static_cast<double>(sysconf(_SC_CLK_TCK));
  for (int number = 3; fields >> field; ++number) {
    if (number == 14 || number == 15) stat.cpu_seconds += std::stod(field) / ticks;
    if (number == 24) {
      stat.resident_bytes = std::stod(field) * static_cast<double>(sysconf(_SC_PAGESIZE));
      break;
    }
  }
  return stat;
}

std::uint64_t open_descriptors() {
  std::uint64_t count = 0;
  std::error_code error;
  for (std::filesystem::directory_iterator it("/proc/self/fd", error), end; !error && it != end; it.increment(error)) {
    ++count;
  }
  return count;
}

}  // namespace

void write_process_metrics(http::PrometheusText& out, std::chrono::system_clock::time_point started) {
  const Stat stat = read_stat();
  out.family("process_cpu_seconds_total", "User and system CPU time of the process.", "counter");
  out.sample("process_cpu_seconds_total", {}, stat.cpu_seconds);
  out.family("process_resident_memory_bytes", "Resident memory of the process.", "gauge");
  out.sample("process_resident_memory_bytes", {}, stat.resident_bytes);
  out.gauge("process_open_fds", "Open file descriptors of the process.", open_descriptors());
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  out.gauge("process_max_fds", "The most file descriptors the process may open.", limit.rlim_cur);
  out.family("process_start_time_seconds", "When the process started, in seconds since the epoch.", "gauge");
  out.sample("process_start_time_seconds", {}, std::chrono::duration<double>(started.time_since_epoch()).count());
}

}  // namespace vantor::shell
