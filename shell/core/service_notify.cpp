// sd_notify for readiness, stopping and the watchdog.
#include "shell/core/service_notify.hpp"

#include <systemd/sd-daemon.h>

#include <chrono>

namespace vantor::shell {

void notify_ready() { sd_notify(0, "READY=1"); }

void notify_stopping() { sd_notify(0, "STOPPING=1"); }

void start_watchdog(http::HttpServer& server) {
  std::uint64_t period_us = 0;
  if (sd_watchdog_enabled(0, &period_us) <= 0 || period_us == 0) return;
  const auto half = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::microseconds(period_us / 2));
  server.every(std::max(half, std::chrono::milliseconds(1)),
               [&server] { server.post([] { sd_notify(0, "WATCHDOG=1"); }); });
}

}  // namespace vantor::shell
