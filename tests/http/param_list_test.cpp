// The parameter list and the request helpers.
#include <gtest/gtest.h>

#include "http/param_list.hpp"
#include "http/request_helpers.hpp"

namespace vantor::http {
namespace {

using Entries = std::vector<std::string>;

TEST(ParamList, EntriesFromTheQueryString) {
  struct Case {
    const char* id;
    const char* target;
    Entries expected;
  } cases[] = {
      {"no question mark", "/price", {}},
      {"empty query", "/price?", {}},
      {"empty middle entry", "/x?a=1&&b=2", {"a=1", "", "b=2"}},
      {"trailing ampersand", "/x?a=1&", {"a=1"}},
      {"leading ampersand", "/x?&a=1", {"", "a=1"}},
      {"only an ampersand", "/x?&", {""}},
      {"plus and escapes", "/x?code=A+B%2FC", {"code=A B/C"}},
      {"escaped plus", "/x?q=1%2B1", {"q=1+1"}},
      {"escaped ampersand", "/x?q=a%26b&c", {"q=a&b", "c"}},
      {"utf-8 bytes one per character", "/x?n=%D8%B3", {"n=\xC3\x98\xC2\xB3"}},
      {"raw high byte", "/x?n=\xE9", {"n=\xC3\xA9"}},
      {"utf-16 unit", "/x?n=%u0633", {"n=\xD8\xB3"}},
      {"surrogate pair", "/x?n=%uD83D%uDE00", {"n=\xF0\x9F\x98\x80"}},
      {"lone percent", "/x?n=100%", {"n=100%"}},
      {"bad escape", "/x?n=%zz%4", {"n=%zz%4"}},
      {"second question mark", "/x?a=1?b", {"a=1?b"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(build_param_list(c.target, "", ""), c.expected);
  }
}

TEST(ParamList, CharsetOfTheContentType) {
  EXPECT_EQ(build_param_list("/x?n=%D8%B3", "text/plain; charset=UTF-8", ""), Entries{"n=\xD8\xB3"});
  EXPECT_EQ(build_param_list("/x?n=%D8%B3", "text/plain; charset=\"utf-8\"", ""), Entries{"n=\xD8\xB3"});
  EXPECT_EQ(build_param_list("/x?n=%FF", "text/plain; charset=utf-8", ""), Entries{"n=\xEF\xBF\xBD"});
  EXPECT_EQ(build_param_list("/x?n=%D3", "text/plain; charset=windows-1256", ""), Entries{"n=\xD8\xB3"});
  EXPECT_EQ(build_param_list("/x?n=%D3", "text/plain; charset=no-such-set", ""), Entries{"n=\xC3\x93"});
}

TEST(ParamList, FormBodyComesBeforeTheQueryString) {
  const char* form = "application/x-www-form-urlencoded";
  EXPECT_EQ(build_param_list("/x?c=3", form, "a=1&b=2"), (Entries{"a=1", "b=2", "c=3"}));
  EXPECT_EQ(build_param_list("/x", form, "a=1+2"), (Entries{"a=1 2"}));
  EXPECT_EQ(build_param_list("/x?c=3", "application/X-WWW-Form-Urlencoded; charset=utf-8", "n=%C3%A9"),
            (Entries{"n=\xC3\xA9", "c=3"}));
  EXPECT_EQ(build_param_list("/x?c=3", "text/plain", "a=1"), (Entries{"c=3"}));
}

TEST(RequestHelpers, PositionalParamDropsAFixedNumberOfCharacters) {
  const ParamList params({"code=", "codes=42", "wh=all", "\xC3\xA9t\xC3\xA9=1"});
  EXPECT_EQ(params.PositionalParam(0, 5), "");
  EXPECT_EQ(params.PositionalParam(1, 5), "=42");
  EXPECT_EQ(params.PositionalParam(2, 3), "all");
  EXPECT_EQ(params.PositionalParam(3, 4), "1");
  EXPECT_EQ(params.PositionalParam(9, 3), "");  // past the end
  EXPECT_EQ(ParamList({}).PositionalParam(0, 5), "");
}

TEST(RequestHelpers, NamedParamTakesTheFirstMatchWithoutRegardToCase) {
  const ParamList params({"ID=7", "id=8", "note", "empty=", "a=b=c"});
  EXPECT_EQ(params.NamedParam("id"), "7");
  EXPECT_EQ(params.NamedParam("Id"), "7");
  EXPECT_EQ(params.NamedParam("note"), "");  // an entry without "=" never matches
  EXPECT_EQ(params.NamedParam("empty"), "");
  EXPECT_EQ(params.NamedParam("a"), "b=c");
  EXPECT_EQ(params.NamedParam("missing"), "");
}

TEST(RequestHelpers, DateRebuilds) {
  struct Case {
    const char* text;
    const char* day_first;
    const char* year_first;
  } cases[] = {
      {"05-11-2024", "05/11/2024", "24/-2/05-1"},
      {"05.11.2024", "05/11/2024", "24/.2/05.1"},
      {"2024-11-05", "20/4-/1-05", "05/11/2024"},
      {"2024-11-05T10:00", "20/4-/1-05", "05/11/2024"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(DayFirstDateText(c.text), c.day_first);
    EXPECT_EQ(YearFirstDateText(c.text), c.year_first);
  }
  for (const char* short_text : {"", "5/11/2024", "2024-11"}) {
    SCOPED_TRACE(short_text);
    EXPECT_THROW(DayFirstDateText(short_text), RequestError);
    EXPECT_THROW(YearFirstDateText(short_text), RequestError);
  }
}

TEST(RequestHelpers, HostDateReadsDayMonthYearWithSlashes) {
  EXPECT_EQ(HostDate("05/11/2024").day, 45601);
  EXPECT_EQ(HostDate("5/11/2024").day, 45601);
  EXPECT_THROW(HostDate("2024-11-05"), RequestError);
  EXPECT_THROW(HostDate("15/01/2024x"), RequestError);
  EXPECT_THROW(HostDate("24/2024/01"), RequestError);
}

}  // namespace
}  // namespace vantor::http
