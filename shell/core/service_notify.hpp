// Telling systemd how the service is (Type=notify): ready once it listens, stopping when
// the stop begins, and, when the unit sets WatchdogSec, that the event loops still turn.
// The watchdog certifies the loops, not the database: an outage of the database never
// makes systemd restart the server. Outside systemd every call does nothing.
#pragma once

#include "http/http_server.hpp"

namespace vantor::shell {

void notify_ready();
void notify_stopping();

// When the unit sets WatchdogSec: every half period a timer on the server asks every
// event loop to turn, and the ping goes out once the last one has; a loop that no longer
// turns stops the pings. The timer ends with the server's stop.
void start_watchdog(http::HttpServer& server);

}  // namespace vantor::shell
