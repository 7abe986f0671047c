// The page: heading, table lines each ended by CR LF, tail.
#include "encode/html_page.hpp"

#include "encode/value_forms.hpp"
#include "text/ascii.hpp"
#include "text/control_escape.hpp"
#include "text/dates.hpp"
#include "text/numbers.hpp"

namespace vantor::encode {
namespace {

constexpr std::string_view kHeading = " <!DOCTYPE html> <html> <head>  <body>  Halcyra Web Data \n\r\n\r";
constexpr std::string_view kTail = " </body> </head> </html>";
constexpr std::string_view kLineEnd = "\r\n";

enum class CellRule { Text, UpdatedAt, Number };

// A text from the database or the request: "&", "<" and ">" written as entities, so
// that a stored name cannot become markup or script in the reader's browser.
void append_html_text(std::string_view text, std::string& out) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out.push_back(c);
    }
  }
}

void append_cell(db::RowSource& rows, std::size_t index, CellRule rule, std::string& out) {
  const db::Cell& cell = rows.cell(index);
  out += "<td>";
  switch (rule) {
    case CellRule::Text:
      if (!cell.null) append_html_text(cell.text, out);
      break;
    case CellRule::UpdatedAt: out += text::date_text(date_value(cell).day); break;
    case CellRule::Number: out += text::grouped_two_decimals(float_value(cell)); break;
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
    out += "<th>";
    append_html_text(name, out);
    out += "</th>\r\n";
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

std::string page_log_form(std::string_view page) {
  std::string out;
  out.reserve(page.size());
  std::size_t pos = 0;
  if (page.substr(0, kHeading.size()) == kHeading) {
    out += kHeading;
    pos = kHeading.size();
  }
  while (pos < page.size()) {
    // texts hold no ">" of their own: a line break behind one ends a line of the page
    const bool line_end = page.substr(pos, 2) == kLineEnd && pos > 0 && page[pos - 1] == '>';
    if (line_end) {
      out += kLineEnd;
      pos += 2;
      continue;
    }
    const std::size_t length = text::control_length(page, pos);
    if (length == 0) {
      out.push_back(page[pos++]);
      continue;
    }
    text::append_control_escape(page, pos, length, out);
    pos += length;
  }
  return out;
}

}  // namespace vantor::encode
