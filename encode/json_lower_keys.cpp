// MYJASONalls: JSON rows with lower-case keys, dates, numbers and pictures.
#include <algorithm>
#include <vector>

#include "encode/base64.hpp"
#include "encode/jpeg_check.hpp"
#include "encode/json_encoders.hpp"
#include "encode/json_text.hpp"
#include "encode/value_forms.hpp"
#include "text/ascii.hpp"
#include "text/dates.hpp"
#include "text/numbers.hpp"

namespace vantor::encode {
namespace {

enum class Rule { Date, Picture, Text, Number };

struct Column {
  std::string key;  // the pair's key with its quotes and colon: "name":
  Rule rule;
};

Rule rule_for(const db::ColumnInfo& info) {
  if (text::ascii_lowercase(info.name).find("date") != std::string::npos) return Rule::Date;
  if (db::is_blob_class(info.cls)) return Rule::Picture;
  if (info.cls == db::ColumnClass::Text || info.label == "TOTIME") return Rule::Text;
  return Rule::Number;
}

std::vector<Column> plan(const std::vector<db::ColumnInfo>& infos) {
  std::vector<Column> columns;
  for (const auto& info : infos) {
    Column column{{}, rule_for(info)};
    append_json_string(text::ascii_lowercase(info.name), column.key);
    column.key.push_back(':');
    columns.push_back(std::move(column));
  }
  return columns;
}

}  // namespace

std::vector<AnswerKey> lower_keys_of(const std::vector<db::ColumnInfo>& columns) {
  std::vector<AnswerKey> keys;
  for (const auto& info : columns) {
    const Rule rule = rule_for(info);
    const ValueForm form = rule == Rule::Date      ? ValueForm::Date
                           : rule == Rule::Picture ? ValueForm::Picture
                           : rule == Rule::Text    ? ValueForm::Text
                                                   : ValueForm::Number;
    keys.push_back({text::ascii_lowercase(info.name), form});
  }
  return keys;
}

namespace {

// Appends the picture's pair, or nothing when the bytes are no JPEG picture.
void append_picture(db::RowSource& rows, std::size_t index, const Column& column, EncoderSink& sink, std::string& out,
                    bool& first_pair) {
  const std::size_t mark = out.size();
  try {
    const std::string bytes = rows.blob(index);
    if (!bytes.empty()) {
      if (!has_jpeg_headers(bytes)) return;
      sink.picture(bytes);
    }
    if (!first_pair) out.push_back(',');
    out += column.key;
    out.push_back('"');
    if (bytes.empty()) {
      out.push_back(' ');
    } else {
      append_base64(bytes, out);
    }
    out.push_back('"');
    first_pair = false;
  } catch (const std::exception&) {
    out.resize(mark);
  }
}

void append_value(db::RowSource& rows, std::size_t index, const Column& column, std::string& out) {
  const db::Cell& cell = rows.cell(index);
  switch (column.rule) {
    case Rule::Date:
      out.push_back('"');
      out += text::date_text(date_value(cell).day);
      out.push_back('"');
      break;
    case Rule::Text:
      if (cell.cls == db::ColumnClass::Text) {
        append_text_value(cell.null ? std::string_view{} : cell.text, out);
      } else {
        append_text_value(text_form(cell), out);
      }
      break;
    case Rule::Number:
      if (has_empty_text_form(cell)) {
        out += "0.00";
      } else {
        text::append_two_decimals(numeric_value(cell), out);
      }
      break;
    case Rule::Picture: break;
  }
}

}  // namespace

std::string MYJASONalls(db::RowSource& rows, EncoderSink& sink) {
  const std::vector<Column> columns = plan(rows.columns());
  std::string out = "[";
  std::size_t count = 0;
  bool first_row = true;
  while (count < rows.packet_size() && rows.next()) {
    ++count;
    const std::size_t row_mark = out.size();
    try {
      if (!first_row) out.push_back(',');
      out.push_back('{');
      bool first_pair = true;
      for (std::size_t i = 0; i < columns.size(); ++i) {
        if (columns[i].rule == Rule::Picture) {
          append_picture(rows, i, columns[i], sink, out, first_pair);
          continue;
        }
        if (!first_pair) out.push_back(',');
        out += columns[i].key;
        append_value(rows, i, columns[i], out);
        first_pair = false;
      }
      out.push_back('}');
      first_row = false;
    } catch (const std::exception&) {
      out.resize(row_mark);  // the failing row is left out entirely
    }
  }
  out.push_back(']');
  sink.log("Count: " + std::to_string(count));
  return out;
}

}  // namespace vantor::encode
