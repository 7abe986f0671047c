// Response finishing: the content type and body of an answer that its endpoint left
// without a failure, and the echo of the answer into the activity log.
#pragma once

#include <string>
#include <string_view>

#include "encode/encoder_sink.hpp"

namespace vantor::encode {

enum class AnswerKind { Json, Html };

struct FinishedAnswer {
  std::string content_type;  // empty: no Content-Type header
  std::string body;          // UTF-8
  int status = 200;          // the clients' answers are all 200; the admin listener's are not
};

// Every answer that is no HTML page goes out as "text/json" with backslashes doubled,
// slashes as "\/" and apostrophes blanked; a page goes out unchanged. With echo, the
// answer as it was before the escape pass goes into the log, its control characters
// escaped (a page keeps the line breaks of its own layout).
// With controls_escaped, the control characters of a JSON answer (inside its strings: the
// encoders write none between them) are written as \r, \n, \t or \u00XX after that pass,
// so that the answer is RFC 8259 JSON that every parser reads; off, the bytes stay as
// the clients have always had them.
FinishedAnswer FinishResponse(std::string answer_text, AnswerKind kind, bool echo, EncoderSink& log,
                              bool controls_escaped = false);

// Writes the control characters below U+0020 as JSON escapes.
void escape_json_controls(std::string& text);

// The escape pass alone.
std::string escape_answer(std::string_view text);

// The answers that never reach finishing.
FinishedAnswer error_answer();  // "Some Error !!" as "text/html; charset=ISO-8859-1"
FinishedAnswer empty_answer();  // no Content-Type, no body

}  // namespace vantor::encode
