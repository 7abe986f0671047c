// sd_notify for readiness, stopping and the watchdog.
#include "shell/core/service_notify.hpp"

#include <systemd/sd-daemon.h>

#include <chrono>

namespace vantor::shell {

void notify_ready() { sd_notify(0, "READY=1"); }

void notify_stopping() { sd_notify(0, "STOPPING=1"); }

// Half the watchdog period apart, the loop itself is asked to tell systemd: a loop that
// no longer turns stops the pings.
ServiceWatchdog::ServiceWatchdog(http::HttpServer& server) {
  std::uint64_t period_us = 0;
  if (sd_watchdog_enabled(0, &period_us) <= 0 || period_us == 0) return;
  thread_ = std::thread([this, &server, period_us] {
    const auto half = std::chrono::microseconds(period_us / 2);
    auto next = std::chrono::steady_clock::now();
    while (!stopping_) {
      if (std::chrono::steady_clock::now() >= next) {
        server.post([] { sd_notify(0, "WATCHDOG=1"); });
        next += half;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
  });
}

ServiceWatchdog::~ServiceWatchdog() {
  stopping_ = true;
  if (thread_.joinable()) thread_.join();
}

}  // namespace vantor::shell
