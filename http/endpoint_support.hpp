// What most endpoints end with: open a catalogue query and let an encoder write the
// answer; and the guard of the endpoints whose failures give the fallback answer.
#pragma once

#include <exception>

#include "db/catalogue.hpp"
#include "db/param_value.hpp"
#include "http/request_context.hpp"

namespace vantor::http {

// JSON with lower-case keys.
void answer_lower_keys(RequestContext& ctx, db::Query query, const db::Params& params = {});
// JSON with the stored column names.
void answer_stored_names(RequestContext& ctx, db::Query query, const db::Params& params = {});
// The HTML page; the answer kind becomes HTML.
void answer_page(RequestContext& ctx, db::Query query, const db::Params& params = {});

// Runs work; a failure leaves the answer as it was (the fallback answer) and tells the
// operator why. A database that cannot be reached still ends the request, so that the
// client gets the empty answer as for every request. Returns whether work succeeded.
template <typename Work>
bool fallback_on_failure(RequestContext& ctx, Work work) {
  try {
    work();
    return true;
  } catch (const std::exception& failure) {
    if (ctx.db.unreachable(failure)) throw;
    ctx.log.failure(failure);
    return false;
  }
}

// A text parameter, or its default when it is empty.
std::string or_default(std::string text, std::string_view fallback);

}  // namespace vantor::http
