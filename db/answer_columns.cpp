// A query's columns without running it.
#include "db/answer_columns.hpp"

#include "db/prepared_query.hpp"
#include "db/server_types.hpp"
#include "text/latin1.hpp"

namespace vantor::db {

ColumnInfo reported_column(const Statement& statement, int index) {
  const XSQLVAR& var = statement.output(index);
  ColumnInfo info;
  info.name = text::latin1_to_utf8(statement.output_name(index));
  info.label = info.name;
  info.cls = class_of(var);
  info.length = basic_kind_of(info.cls) == BasicKind::Text ? var.sqllen : 0;
  return info;
}

std::vector<ColumnInfo> answer_columns(Attachment& attachment, Transaction& transaction, const QueryDef& def) {
  std::vector<ColumnInfo> columns;
  if (!def.columns.empty()) {
    for (const ColumnDef& column : def.columns) {
      columns.push_back({std::string(column.name), std::string(column.label.empty() ? column.name : column.label),
                         column.cls, column.length});
    }
    return columns;
  }
  PreparedQuery prepared(attachment, transaction, def.text);
  for (int i = 0; i < prepared.statement().output_count(); ++i)
    columns.push_back(reported_column(prepared.statement(), i));
  return columns;
}

}  // namespace vantor::db
