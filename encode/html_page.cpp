// The page: heading, table lines each ended by CR LF, tail.
#include "encode/html_page.hpp"

#include "text/ascii.hpp"
#include "text/numbers.hpp"
#include "encode/value_forms.hpp"
#include "text/dates.hpp"

namespace vantor::encode {
namespace {

constexpr std::string_view kHeading = " <!DOCTYPE html> <html> <head>  <body>  Halcyra Web Data \n\r\n\r";
constexpr std::string_view kTail = " </body> </head> </html>";
constexpr std::string_view kLineEnd = "\r\n";

enum class CellRule { Text, UpdatedAt, Number };

void append_cell(db::RowSource& rows, std::size_t index, CellRule rule, std::string& out) {
  const db::Cell& cell = rows.cell(index);
  out += "<td>";
  switch (rule) {
    case CellRule::Text:
      if (!cell.null) out += cell.text;
      break;
    case CellRule::UpdatedAt:
      out += text::date_text(date_value(cell).day);
      break;
    case CellRule::Number:
      out += text::grouped_two_decimals(float_value(cell));
      break;
  }
  out += "</td>";
  out += kLineEnd;
}

}  // namespace

std::string HTMLall(db::RowSource& rows) {
  const auto& infos = rows.columns();
  std::vector<CellRule> rules;
  std::string out(kHeading);
  out += "<table border=\"1\">\r\n<tr>\r\n";
  for (const auto& info : infos) {
    const std::string name = text::ascii_lowercase(info.name);
    rules.push_back(info.cls == db::ColumnClass::Text ? CellRule::Text
                    : name == "updateted_at"          ? CellRule::UpdatedAt
                                                      : CellRule::Number);
    out += "<th>" + name + "</th>\r\n";
  }
  out += "</tr>\r\n";
  while (rows.next()) {
    out += "<tr>\r\n";
    for (std::size_t i = 0; i < rules.size(); ++i) append_cell(rows, i, rules[i], out);
    out += "</tr>\r\n";
  }
  out += "</table>\r\n";
  out += kTail;
  return out;
}

}  // namespace vantor::encode
