// Preparing, caching and binding named queries.
#include "db/prepared_query.hpp"

#include <cmath>

#include "db/db_error.hpp"
#include "db/isc_time.hpp"
#include "db/param_text.hpp"
#include "text/ascii.hpp"
#include "text/latin1.hpp"
#include "text/utf8.hpp"

namespace vantor::db {
namespace {

const ParamDef* declared(const QueryDef& def, std::string_view name) {
  for (const auto& param : def.params) {
    if (text::iequals(param.name, name)) return &param;
  }
  return nullptr;
}

void check_length(const ParamDef* param, const std::string& text) {
  if (param == nullptr || param->type != ParamType::Text || param->length == 0) return;
  const auto actual = text::code_point_count(text);
  if (actual > static_cast<std::size_t>(param->length)) {
    throw DbError(
        "arithmetic exception, numeric overflow, or string truncation; string right truncation; "
        "expected length " +
            std::to_string(param->length) + ", actual " + std::to_string(actual),
        false);
  }
}

struct Binder {
  Statement& statement;
  int index;
  const ParamDef* param;

  void operator()(const NullValue&) const { statement.bind_null(index); }
  void operator()(const std::string& text) const {
    check_length(param, text);
    statement.bind_text(index, text::utf8_to_latin1(text));
  }
  void operator()(double value) const {
    // no column takes an infinity or a NaN: the server would store them as they are
    if (!std::isfinite(value)) throw DbError("arithmetic exception, numeric overflow: a number out of range", false);
    statement.bind_double(index, value);
  }
  void operator()(std::int32_t value) const { statement.bind_int(index, value); }
  void operator()(const text::DateTime& value) const { statement.bind_timestamp(index, to_isc(value)); }
};

}  // namespace

PreparedQuery::PreparedQuery(Attachment& attachment, Transaction& transaction, std::string_view text)
    : PreparedQuery(attachment, transaction, to_positional(text)) {}

PreparedQuery::PreparedQuery(Attachment& attachment, Transaction& transaction, PositionalText positional)
    : names_(std::move(positional.names)), statement_(attachment, transaction, text::utf8_to_latin1(positional.text)) {}

void PreparedQuery::bind(const QueryDef& def, const Params& params) {
  for (int i = 0; i < statement_.input_count(); ++i) {
    const std::string_view name = i < static_cast<int>(names_.size()) ? names_[i] : std::string_view{};
    const ParamValue* value = params.find(name);
    if (value == nullptr) {
      statement_.bind_null(i);
      continue;
    }
    std::visit(Binder{statement_, i, declared(def, name)}, *value);
  }
}

PreparedQuery& StatementCache::get(Attachment& attachment, Transaction& transaction, std::string_view text) {
  std::string key(text);
  const auto found = entries_.find(key);
  if (found != entries_.end()) return *found->second;
  if (entries_.size() >= kMaxEntries) entries_.clear();
  auto prepared = std::make_unique<PreparedQuery>(attachment, transaction, text);
  return *entries_.emplace(std::move(key), std::move(prepared)).first->second;
}

}  // namespace vantor::db
