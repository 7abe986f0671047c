// HTMLall: a small HTML page with one table row per result row, walked to the end.
#pragma once

#include <string>
#include <string_view>

#include "db/row_source.hpp"

namespace vantor::encode {

// Text cells and column names with "&", "<" and ">" as entities and nothing else
// changed, updateted_at as "yyyy-MM-dd", everything else in the grouped two-decimal
// format. Throws on the first value without a float value (a blob, a Boolean, a
// string that is no number); then there is no page.
std::string HTMLall(db::RowSource& rows);

// The page as the activity log shows it: the line breaks of the page's own layout stay,
// every other control character is escaped.
std::string page_log_form(std::string_view page);

}  // namespace vantor::encode
