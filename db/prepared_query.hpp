// A statement prepared once on an attachment and kept for reuse, with the parameter
// name behind each of its markers.
#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "db/param_text.hpp"
#include "db/param_value.hpp"
#include "db/query_def.hpp"
#include "db/statement.hpp"

namespace vantor::db {

class Attachment;
class Transaction;

class PreparedQuery {
 public:
  PreparedQuery(Attachment& attachment, Transaction& transaction, std::string_view text);

  Statement& statement() noexcept { return statement_; }
  // Sets every marker from params by name; a name left unset is bound as NULL.
  // A text longer than its declared length fails like the server's truncation.
  void bind(const QueryDef& def, const Params& params);

 private:
  PreparedQuery(Attachment& attachment, Transaction& transaction, PositionalText positional);

  std::vector<std::string> names_;
  Statement statement_;
};

// The prepared statements of one attachment, by statement text.
class StatementCache {
 public:
  PreparedQuery& get(Attachment& attachment, Transaction& transaction, std::string_view text);
  void clear() noexcept {
    entries_.clear();
    refused_.clear();
  }
  // Texts that failed on this attachment before giving a row, so that a plainer form is
  // opened at once instead of failing on every request.
  // (asked on every open of such a query: the usual empty set costs no copy of the text)
  bool refused(std::string_view text) const { return !refused_.empty() && refused_.contains(std::string(text)); }
  void refuse(std::string_view text) { refused_.emplace(text); }
  std::size_t size() const noexcept { return entries_.size(); }

 private:
  static constexpr std::size_t kMaxEntries = 256;
  std::unordered_map<std::string, std::unique_ptr<PreparedQuery>> entries_;
  std::unordered_set<std::string> refused_;
};

}  // namespace vantor::db
