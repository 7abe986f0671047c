// IdHTTPServer1CommandGet: the one handler every GET, POST and HEAD request runs through.
#pragma once

#include <optional>

#include "db/attachment_pool.hpp"
#include "db/upgrade_gate.hpp"
#include "http/http_request.hpp"
#include "http/metrics.hpp"
#include "http/request_context.hpp"
#include "http/request_log.hpp"

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
};

// Borrows an attachment (the empty answer when the database cannot be reached; the
// request's first round trip checks it), finds the route of the lower-cased path,
// logs the caller, runs the route's endpoint and finishes the answer. A failure the
// endpoint does not catch gives "Some Error !!"; a path without a route "Bye Bye ", as
// does a route of the caller's own statement while the ad-hoc setting closes it (without
// touching the database).
// The log block of the request is published when it ends.
HttpAnswer IdHTTPServer1CommandGet(const HttpRequest& request, ServerContext& server);

// The same at once on the calling thread, for a request that cannot wait on a lock,
// when an attachment is free and no upgrade runs or waits; nothing otherwise (the
// request then goes the usual way).
std::optional<HttpAnswer> run_now_if_free(const HttpRequest& request, ServerContext& server);

// Whether the request of a target can wait on a row lock, by its route.
bool may_wait_on_lock(std::string_view target);

}  // namespace vantor::http
