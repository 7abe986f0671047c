// Escape pass, content types and the log echo.
#include "encode/finish_response.hpp"

#include <algorithm>

#include "encode/html_page.hpp"
#include "text/control_escape.hpp"

namespace vantor::encode {
namespace {

// Backslashes doubled, slashes as "\\/", apostrophes blanked. The first pass has no
// branches, so that the compiler can run it over many bytes at once: it sees every byte
// of every answer.
void escape_in_place(std::string& text) {
  std::size_t extra = 0;
  for (char& c : text) {
    extra += static_cast<std::size_t>((c == '\\') | (c == '/'));
    c = c == '\'' ? ' ' : c;
  }
  if (extra == 0) return;
  // widen from the back, so the big lists need no second copy
  std::size_t from = text.size();
  text.resize(text.size() + extra);
  std::size_t to = text.size();
  while (from > 0) {
    const char c = text[--from];
    text[--to] = c;
    if (c == '\\' || c == '/') text[--to] = '\\';
  }
}

}  // namespace

std::string escape_answer(std::string_view text) {
  std::string out(text);
  escape_in_place(out);
  return out;
}

// Only the part of a big answer that the log shows is put in its log form.
void echo_answer(std::string_view answer, AnswerKind kind, EncoderSink& log) {
  std::size_t shown = std::min(answer.size(), log.echo_room());
  while (shown < answer.size() && shown > 0 && (static_cast<unsigned char>(answer[shown]) & 0xC0) == 0x80) {
    --shown;  // cut at a character boundary
  }
  const std::string_view part = answer.substr(0, shown);
  log.echo(kind == AnswerKind::Html ? page_log_form(part) : text::escape_controls(part), answer.size() - shown);
}

void escape_json_controls(std::string& text) {
  static constexpr char kHex[] = "0123456789abcdef";
  const auto control = [](char c) { return static_cast<unsigned char>(c) < 0x20; };
  if (std::none_of(text.begin(), text.end(), control)) return;
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (const char c : text) {
    if (!control(c)) {
      out.push_back(c);
      continue;
    }
    switch (c) {
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        out += "\\u00";
        out.push_back(kHex[static_cast<unsigned char>(c) >> 4]);
        out.push_back(kHex[static_cast<unsigned char>(c) & 0xF]);
    }
  }
  text = std::move(out);
}

FinishedAnswer FinishResponse(std::string answer_text, AnswerKind kind, bool echo, EncoderSink& log,
                              bool controls_escaped) {
  FinishedAnswer answer;
  if (echo) echo_answer(answer_text, kind, log);
  if (kind == AnswerKind::Html) {
    answer.content_type = "text/html; charset=utf-8";
  } else {
    answer.content_type = "text/json; charset=utf-8";
    escape_in_place(answer_text);
    if (controls_escaped) escape_json_controls(answer_text);  // after: its backslashes are not doubled
  }
  answer.body = std::move(answer_text);
  return answer;
}

FinishedAnswer error_answer() { return {"text/html; charset=ISO-8859-1", "Some Error !!"}; }

FinishedAnswer empty_answer() { return {}; }

}  // namespace vantor::encode
