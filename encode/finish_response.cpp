// Escape pass, content types and the log echo.
#include "encode/finish_response.hpp"

#include <array>

#include "db/ascii.hpp"

namespace vantor::encode {
namespace {

// Big lists whose answers would flood the log.
constexpr std::array<std::string_view, 9> kNotEchoed = {"/product",     "/producta", "/sales",
                                                         "/invoice",     "/product2", "/productdate",
                                                         "/pricesgr",    "/myjson",   "/stock"};

bool echoed(std::string_view path) {
  const std::string lower = db::ascii_lowercase(path);
  for (std::string_view excluded : kNotEchoed) {
    if (lower == excluded) return false;
  }
  return true;
}

}  // namespace

std::string escape_answer(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '/':
        out += "\\/";
        break;
      case '\'':
        out.push_back(' ');
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

FinishedAnswer FinishResponse(std::string answer_text, AnswerKind kind, std::string_view path, EncoderSink& log) {
  FinishedAnswer answer;
  if (kind == AnswerKind::Html) {
    answer.content_type = "text/html; charset=utf-8";
    answer.body = answer_text;
  } else {
    answer.content_type = "text/json; charset=utf-8";
    answer.body = escape_answer(answer_text);
  }
  if (echoed(path)) log.log(std::move(answer_text));
  return answer;
}

FinishedAnswer error_answer() { return {"text/html; charset=ISO-8859-1", "Some Error !!"}; }

FinishedAnswer empty_answer() { return {}; }

}  // namespace vantor::encode
