// The access line in both forms; what a client sent is escaped in each.
#include <gtest/gtest.h>

#include "http/access_line.hpp"

namespace vantor::http {
namespace {

TEST(AccessLine, TextAndJsonWithMillisecondsStatusAndRoute) {
  const auto time = std::chrono::system_clock::from_time_t(1796982721) + std::chrono::milliseconds(7);
  AccessFacts facts{time, "127.0.0.1", "GET", "/price", 200, "price", "data", 1234, 1.25};
  EXPECT_EQ(access_text(facts), "2026-12-11T09:52:01.007Z 127.0.0.1 GET /price 200 price data 1234 1.2");
  EXPECT_EQ(access_json(facts),
            R"({"time":"2026-12-11T09:52:01.007Z","client":"127.0.0.1","method":"GET","path":"/price",)"
            R"("status":200,"route":"price","outcome":"data","bytes":1234,"ms":1.2})");
  facts.path = "/x\"y\\z\n\x1b";
  facts.route = "other";
  EXPECT_EQ(access_text(facts), "2026-12-11T09:52:01.007Z 127.0.0.1 GET /x\"y\\z\\n\\x1b 200 other data 1234 1.2");
  EXPECT_NE(access_json(facts).find(R"("path":"/x\"y\\z\\n\\x1b")"), std::string::npos) << access_json(facts);
}

}  // namespace
}  // namespace vantor::http
