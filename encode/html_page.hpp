// HTMLall: a small HTML page with one table row per result row, walked to the end.
#pragma once

#include <string>

#include "db/row_source.hpp"

namespace vantor::encode {

// Text cells unchanged (nothing escaped), updateted_at as "yyyy-MM-dd", everything else
// in the grouped two-decimal format. Throws on the first value without a float value
// (a blob, a Boolean, a string that is no number); then there is no page.
std::string HTMLall(db::RowSource& rows);

}  // namespace vantor::encode
