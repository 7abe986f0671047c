// Describing the API through the database's columns.
#include "shell/core/api_description.hpp"

#include "db/answer_columns.hpp"
#include "db/catalogue.hpp"
#include "http/openapi.hpp"
#include "shell/core/version.hpp"

namespace vantor::shell {

std::string api_description(const std::string& database, const db::DatabaseSettings& settings) {
  auto attachment = db::Attachment::attach(database, settings);
  db::Transaction reads(attachment, db::TransactionKind::ReadOnly);
  const auto columns_of = [&](db::Query query) { return db::answer_columns(attachment, reads, db::query(query)); };
  return http::openapi_document(columns_of, version());
}

}  // namespace vantor::shell
