// What a process holds, read from /proc: resident memory and open descriptors.
#pragma once

#include <sys/resource.h>
#include <sys/types.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace vantor::test {

inline long resident_megabytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6)) / 1024;
  }
  return 0;
}

inline long open_descriptors(pid_t pid) {
  long count = 0;
  for ([[maybe_unused]] const auto& entry :
       std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd")) {
    ++count;
  }
  return count;
}

// Lets the test hold as many sockets as the system allows it.
inline rlim_t raise_descriptor_limit() {
  rlimit limit{};
  getrlimit(RLIMIT_NOFILE, &limit);
  limit.rlim_cur = limit.rlim_max;
  setrlimit(RLIMIT_NOFILE, &limit);
  return limit.rlim_cur;
}

}  // namespace vantor::test
