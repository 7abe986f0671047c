// IdHTTPServer1CommandGet: the one handler every GET, POST and HEAD request of the
// clients' port runs through, and the request front that offers it to the transport.
#pragma once

#include <optional>

#include "db/attachment_pool.hpp"
#include "db/upgrade_gate.hpp"
#include "http/http_request.hpp"
#include "http/in_flight.hpp"
#include "http/landing_checks.hpp"
#include "http/metrics.hpp"
#include "http/request_context.hpp"
#include "http/request_log.hpp"
#include "http/request_runner.hpp"

namespace vantor::http {

// What the handler shares with every other request: the pools it borrows its attachment
// from (the routes that run the caller's own statement borrow from the ad-hoc pool, which
// may log in as a login of its own), the upgrade's gate, the operator's options and the log.
struct ServerContext {
  db::AttachmentPool& pool;
  db::AttachmentPool& adhoc_pool;
  db::UpgradeGate& gate;
  const ServerOptions& options;
  ActivityLog& activity_log;
  Metrics& metrics;
  InFlight& in_flight;
  // Where writes of unknown outcome are settled; none in some tests.
  LandingChecks* landings = nullptr;
};

// Borrows an attachment (the empty answer when the database cannot be reached; the
// request's first round trip checks it), logs the caller, runs the endpoint of the
// request's route and finishes the answer. A failure the endpoint does not catch gives
// "Some Error !!"; a path without a route "Bye Bye ", as does a route of the caller's own
// statement while the ad-hoc setting closes it (without touching the database).
// The log block of the request is published when it ends. A request not routed yet is
// routed first.
HttpAnswer IdHTTPServer1CommandGet(const HttpRequest& request, ServerContext& server);

// Routes a request by its lower-cased path: its route and route class.
void route_request(HttpRequest& request);

class RequestFront final : public RequestRunner {
 public:
  explicit RequestFront(ServerContext& server) : server_(server) {}

  void route(HttpRequest& request) override { route_request(request); }
  // The request at once, for one that cannot wait on a lock, when an attachment is free
  // and no upgrade runs or waits; nothing otherwise.
  std::optional<HttpAnswer> run_now_if_free(const HttpRequest& request) override;
  HttpAnswer run(const HttpRequest& request) override { return IdHTTPServer1CommandGet(request, server_); }

 private:
  ServerContext& server_;
};

}  // namespace vantor::http
