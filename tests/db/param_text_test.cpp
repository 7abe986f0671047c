// Named parameters in statement texts.
#include <gtest/gtest.h>

#include "db/param_text.hpp"

namespace vantor::db {
namespace {

TEST(ParamText, NamesBecomeMarkersOutsideQuotesAndComments) {
  struct Case {
    const char* id;
    const char* text;
    const char* expected;
    std::vector<std::string> names;
  } cases[] = {
      {"plain", "select * from pprice(:code,:wh)", "select * from pprice(?,?)", {"code", "wh"}},
      {"repeated", "where a=:x or b=:X", "where a=? or b=?", {"x", "X"}},
      {"single quotes", "where t=':no' and u=:yes", "where t=':no' and u=?", {"yes"}},
      {"doubled quote", "where t='it''s :no' and u=:yes", "where t='it''s :no' and u=?", {"yes"}},
      {"double quotes", "where t=\":no\"", "where t=\":no\"", {}},
      {"line comment", "select 1 -- :no\nfrom x where a=:a", "select 1 -- :no\nfrom x where a=?", {"a"}},
      {"block comment", "select /* :no */ :a from x", "select /* :no */ ? from x", {"a"}},
      {"lone colon", "select ':' || x, a : b", "select ':' || x, a : b", {}},
      {"line break", "VALUES (:myid,\n:mybarcode)", "VALUES (?,\n?)", {"myid", "mybarcode"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    const auto result = to_positional(c.text);
    EXPECT_EQ(result.text, c.expected);
    EXPECT_EQ(result.names, c.names);
  }
}

}  // namespace
}  // namespace vantor::db
