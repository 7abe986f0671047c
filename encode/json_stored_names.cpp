// MYJASONall: JSON rows keyed by the stored column names, text or number values only.
#include <vector>

#include "encode/json_encoders.hpp"
#include "encode/json_text.hpp"
#include "encode/value_forms.hpp"
#include "text/numbers.hpp"

namespace vantor::encode {
namespace {

struct Column {
  std::string key;  // "name":
  bool text;
};

// A blob gives a number only when it is a text blob holding one.
double blob_number(db::RowSource& rows, std::size_t index, const db::ColumnInfo& info) {
  if (info.cls != db::ColumnClass::LongText) throw ValueError("a blob has no numeric value");
  const auto value = text::parse_number(rows.blob(index));
  if (!value) throw ValueError("the text blob holds no number");
  return *value;
}

void append_value(db::RowSource& rows, std::size_t index, const Column& column, const db::ColumnInfo& info,
                  std::string& out) {
  const db::Cell& cell = rows.cell(index);
  if (column.text) {
    append_text_value(cell.null ? std::string_view{} : cell.text, out);
  } else if (has_empty_text_form(cell)) {
    out += "0.00";
  } else if (db::is_blob_class(info.cls)) {
    text::append_two_decimals(blob_number(rows, index, info), out);
  } else {
    text::append_two_decimals(numeric_value(cell), out);
  }
}

}  // namespace

std::vector<AnswerKey> stored_names_of(const std::vector<db::ColumnInfo>& columns) {
  std::vector<AnswerKey> keys;
  for (const auto& info : columns) {
    keys.push_back({info.name, info.cls == db::ColumnClass::Text ? ValueForm::Text : ValueForm::Number});
  }
  return keys;
}

std::string MYJASONall(db::RowSource& rows, EncoderSink& sink) {
  const auto& infos = rows.columns();
  std::vector<Column> columns;
  for (const auto& key : stored_names_of(infos)) {  // the rule the API description states
    Column column{{}, key.form == ValueForm::Text};
    append_json_string(key.key, column.key);
    column.key.push_back(':');
    columns.push_back(std::move(column));
  }
  std::string out = "[";
  std::size_t count = 0;
  while (count < rows.packet_size() && rows.next()) {
    if (count++ > 0) out.push_back(',');
    out.push_back('{');
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const std::size_t mark = out.size();
      try {
        if (i > 0) out.push_back(',');
        out += columns[i].key;
        append_value(rows, i, columns[i], infos[i], out);
      } catch (const std::exception&) {
        out.resize(mark);  // the row keeps the pairs built so far
        break;
      }
    }
    out.push_back('}');
  }
  out.push_back(']');
  sink.log("Count: " + std::to_string(count));
  return out;
}

}  // namespace vantor::encode
