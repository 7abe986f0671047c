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
  const auto answer = FinishResponse(R"([{"code":"A/1","note":"O'Brien","path":"C:\dir"}])", AnswerKind::Json, true, log);
  EXPECT_EQ(answer.content_type, "text/json; charset=utf-8");
  EXPECT_EQ(answer.body, R"([{"code":"A\/1","note":"O Brien","path":"C:\\dir"}])");
  EXPECT_EQ(log.lines, std::vector<std::string>{R"([{"code":"A/1","note":"O'Brien","path":"C:\dir"}])"});
}

TEST(FinishResponse, PagesGoOutUnchanged) {
  Lines log;
  const auto answer = FinishResponse("<td>O'Brien</td>", AnswerKind::Html, true, log);
  EXPECT_EQ(answer.content_type, "text/html; charset=utf-8");
  EXPECT_EQ(answer.body, "<td>O'Brien</td>");
  EXPECT_EQ(log.lines.size(), 1u);
}

TEST(FinishResponse, WithoutEchoTheLogStaysEmpty) {
  Lines log;
  const auto answer = FinishResponse("[]", AnswerKind::Json, false, log);
  EXPECT_EQ(answer.body, "[]");
  EXPECT_TRUE(log.lines.empty());
}

}  // namespace
}  // namespace vantor::encode
