// What most endpoints end with: open a query and let an encoder write the answer.
#pragma once

#include "db/catalogue.hpp"
#include "db/param_value.hpp"
#include "http/request_context.hpp"

namespace vantor::http {

// JSON with lower-case keys.
void answer_lower_keys(RequestContext& ctx, const db::QueryDef& query, const db::Params& params = {});
void answer_lower_keys(RequestContext& ctx, db::ScratchStatement statement, const db::Params& params = {});
// JSON with the stored column names.
void answer_stored_names(RequestContext& ctx, const db::QueryDef& query, const db::Params& params = {});
void answer_stored_names(RequestContext& ctx, db::ScratchStatement statement);
// The HTML page; the answer kind becomes HTML.
void answer_page(RequestContext& ctx, const db::QueryDef& query, const db::Params& params = {});

// A text parameter, or its default when it is empty.
std::string or_default(std::string text, std::string_view fallback);

}  // namespace vantor::http
