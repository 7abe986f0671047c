// Response finishing: the escape pass, content types and the log echo.
#include <gtest/gtest.h>

#include "encode/finish_response.hpp"

namespace vantor::encode {
namespace {

struct Lines final : EncoderSink {
  std::vector<std::string> lines;
  void log(std::string line) override { lines.push_back(std::move(line)); }
  void picture(std::string_view) override {}
};

TEST(FinishResponse, JsonAnswersAreEscaped) {
  Lines log;
  const auto answer =
      FinishResponse(R"([{"code":"A/1","note":"O'Brien","path":"C:\dir"}])", AnswerKind::Json, true, log);
  EXPECT_EQ(answer.content_type, "text/json; charset=utf-8");
  EXPECT_EQ(answer.body, R"([{"code":"A\/1","note":"O Brien","path":"C:\\dir"}])");
  EXPECT_EQ(log.lines, std::vector<std::string>{R"([{"code":"A/1","note":"O'Brien","path":"C:\dir"}])"});
}

TEST(FinishResponse, ControlCharactersAreEscapedOnlyWhenAskedAndNeverDoubled) {
  struct Case {
    const char* id;
    std::string answer;
    std::string escaped;
  };
  const Case cases[] = {
      {"picture lines", "[{\"image\":\"/9j/\r\nAAA\"}]", R"([{"image":"\/9j\/\r\nAAA"}])"},
      {"tab and others", std::string("[{\"a\":\"x\ty\x01z\x1f\"}]"), R"([{"a":"x\ty\u0001z\u001f"}])"},
      {"a backslash beside", "[{\"p\":\"C:\\d\n\"}]", R"([{"p":"C:\\d\n"}])"},
      {"DEL and UTF-8 stay", "[{\"a\":\"\x7f\xc3\xa9\"}]", "[{\"a\":\"\x7f\xc3\xa9\"}]"},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.id);
    Lines log;
    EXPECT_EQ(FinishResponse(entry.answer, AnswerKind::Json, false, log, true).body, entry.escaped);
    const std::string by_default = FinishResponse(entry.answer, AnswerKind::Json, false, log).body;
    EXPECT_EQ(by_default, escape_answer(entry.answer));  // off: the bytes as always
  }
  Lines log;
  EXPECT_EQ(FinishResponse("<td>\r\n</td>", AnswerKind::Html, false, log, true).body, "<td>\r\n</td>");
}

TEST(FinishResponse, PagesGoOutUnchanged) {
  Lines log;
  const auto answer = FinishResponse("<td>O'Brien</td>", AnswerKind::Html, true, log);
  EXPECT_EQ(answer.content_type, "text/html; charset=utf-8");
  EXPECT_EQ(answer.body, "<td>O'Brien</td>");
  EXPECT_EQ(log.lines.size(), 1u);
}

// A sink that shows 8 bytes of an answer, like the activity log its first 64 KiB.
struct ShortEcho final : EncoderSink {
  std::string shown;
  std::size_t left_out = 0;
  void log(std::string) override {}
  void echo(std::string text, std::size_t more) override {
    shown = std::move(text);
    left_out = more;
  }
  std::size_t echo_room() const override { return 8; }
  void picture(std::string_view) override {}
};

// Only the part the log shows is put in its log form; the answer itself goes out whole.
TEST(FinishResponse, TheEchoOfABigAnswerShowsItsBeginning) {
  struct Case {
    std::string answer;
    std::string shown;
    std::size_t left_out;
  } cases[] = {
      {"[\"abc\"]", "[\"abc\"]", 0},           // fits
      {"[\"a\nbcdefgh\"]", "[\"a\\nbcde", 5},  // control escaped, counted as sent
      {"[\"abcd\xC3\xA9"
       "fgh\"]",
       "[\"abcd\xC3\xA9", 5},  // cut after a whole character
      {"[\"abcde\xC3\xA9"
       "gh\"]",
       "[\"abcde", 6},  // never inside one
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    ShortEcho log;
    const auto answer = FinishResponse(c.answer, AnswerKind::Json, true, log);
    EXPECT_EQ(log.shown, c.shown);
    EXPECT_EQ(log.left_out, c.left_out);
    EXPECT_EQ(answer.body.size(), c.answer.size());
  }
}

TEST(FinishResponse, WithoutEchoTheLogStaysEmpty) {
  Lines log;
  const auto answer = FinishResponse("[]", AnswerKind::Json, false, log);
  EXPECT_EQ(answer.body, "[]");
  EXPECT_TRUE(log.lines.empty());
}

}  // namespace
}  // namespace vantor::encode
