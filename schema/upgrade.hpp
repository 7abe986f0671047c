// The schema upgrade behind the "update" button: a fixed sequence of drop, create and
// alter statements on the main and the DDL connection that installs or refreshes the
// server-side objects. Each step's failure is swallowed and the sequence goes on.
#pragma once

#include <functional>
#include <string>

#include "db/attachment.hpp"

namespace vantor::schema {

struct UpgradeOutcome {
  bool finished = false;
  std::string message;  // what the operator is told
};

class SchemaUpgrade {
 public:
  using Connector = std::function<db::Attachment()>;

  // Both connectors attach to the same database; the DDL one is called afresh every
  // time the DDL connection opens.
  SchemaUpgrade(Connector main, Connector ddl);
  SchemaUpgrade(const std::string& database, const db::DatabaseSettings& settings);

  // Runs the sequence once. It stops early, having dropped nothing, when the DDL
  // connection cannot be opened at the start, and before the final triggers when it
  // cannot be opened again near the end; the outcome says so. Before it starts, tell
  // hears how many other attachments the database has; the finished outcome names
  // each object that has not its new form, and why.
  UpgradeOutcome run(const std::function<void(const std::string&)>& tell = {});

 private:
  Connector main_;
  Connector ddl_;
};

}  // namespace vantor::schema
