// Telling systemd how the service is (Type=notify): ready once it listens, stopping when
// the stop begins, and, when the unit sets WatchdogSec, that the event loop still turns.
// The watchdog certifies the loop, not the database: an outage of the database never
// makes systemd restart the server. Outside systemd every call does nothing.
#pragma once

#include <atomic>
#include <thread>

#include "http/http_server.hpp"

namespace vantor::shell {

void notify_ready();
void notify_stopping();

class ServiceWatchdog {
 public:
  explicit ServiceWatchdog(http::HttpServer& server);
  ~ServiceWatchdog();
  ServiceWatchdog(const ServiceWatchdog&) = delete;
  ServiceWatchdog& operator=(const ServiceWatchdog&) = delete;

 private:
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace vantor::shell
