// What the ad-hoc setting lets the caller's own statements do, checked on what the
// database holds afterwards; the cap on their answers; their login of their own.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

using http::AdhocMode;

// A selectable procedure that writes: a plain select to the server, yet it changes rows.
constexpr std::string_view kWritingProcedure =
    "create procedure WRITES_OY returns (n integer) as begin "
    "insert into oy (sn, name1) values ('9', 'from a select'); n = 1; suspend; end";

struct Case {
  std::string_view what;
  std::string_view target;
  std::string_view check;  // a select on what the statement may have changed
  std::string_view untouched;
  bool answers_data;  // a real answer, not the fallback
};

// The case and whether the mode lets it change the database.
void expect_case(TestServer& server, const Case& c, bool changes, AdhocMode mode) {
  SCOPED_TRACE(std::string(c.what) + (mode == AdhocMode::On ? " on" : mode == AdhocMode::Read ? " read" : " off"));
  const std::string body = server.body(c.target);
  if (c.answers_data) {
    EXPECT_NE(body, "Bye Bye ");
  } else {
    EXPECT_EQ(body, "Bye Bye ");
  }
  if (changes) {
    EXPECT_NE(server.database().scalar(c.check), c.untouched);
  } else {
    EXPECT_EQ(server.database().scalar(c.check), c.untouched);
  }
}

const std::vector<Case> kCases = {
    {"a write", "/myjson?query=insert+into+oy+(sn,name1)+values+('1','x')", "select count(*) from oy where sn = '1'",
     "0", false},
    {"a selectable procedure that writes", "/myjson?query=select+n+from+WRITES_OY",
     "select count(*) from oy where sn = '9'", "0", true},
    {"a DDL statement", "/myjson?query=set+generator+genall+to+5", "select gen_id(genall, 0) from rdb$database",
     "<gen>", false},
    {"a select", "/myjson?query=*+from+company", "select count(*) from company", "1", true},
};

// Whether the last request's log block holds line.
bool logged(TestServer& server, const std::string& line) {
  const auto block = server.log().last();
  return std::find(block.begin(), block.end(), line) != block.end();
}

TEST(AdhocAccess, EachModeLetsThroughWhatItSaysAndNoMore) {
  for (const AdhocMode mode : {AdhocMode::On, AdhocMode::Read, AdhocMode::Off}) {
    TestServer server;
    server.database().execute(kWritingProcedure);
    server.options().adhoc = mode;
    const std::string generator = server.database().scalar("select gen_id(genall, 0) from rdb$database");
    for (Case c : kCases) {
      if (c.untouched == "<gen>") c.untouched = generator;
      const bool is_select = c.what == "a select";
      if (mode == AdhocMode::Off) c.answers_data = false;
      if (mode == AdhocMode::Read && !is_select) c.answers_data = false;
      expect_case(server, c, mode == AdhocMode::On && !is_select, mode);
    }
  }
}

TEST(AdhocAccess, ReadRefusesBeforeRunningAndSaysWhy) {
  TestServer server;
  server.options().adhoc = AdhocMode::Read;
  EXPECT_EQ(server.body("/myhtml?query=select+*+from+company+for+update+with+lock"), "Bye Bye ");
  EXPECT_TRUE(logged(server, "Failure: the statement is not a plain select: refused before it ran (adhoc = read)"));
  EXPECT_EQ(server.body("/myhtml?query=select+name1+from+company").find("Halcyra Trading") != std::string::npos, true);
}

TEST(AdhocAccess, OffAnswersWithoutTouchingTheDatabase) {
  TestServer server;
  server.options().adhoc = AdhocMode::Off;
  const auto attaches = server.pool().attach_count();
  EXPECT_EQ(server.body("/myjson?query=*+from+company"), "Bye Bye ");
  EXPECT_EQ(server.body("/myhtml?query=select+*+from+company"), "Bye Bye ");
  EXPECT_EQ(server.pool().attach_count(), attaches);
  EXPECT_TRUE(logged(server, "Failure: statements of the caller are closed (adhoc = off)"));
}

TEST(AdhocAccess, AnswersOverTheCapGiveTheFallbackAndWritesOverItAreUndone) {
  TestServer server;
  const std::string whole = server.body("/myjson?query=*+from+company");
  server.options().adhoc_max_bytes = whole.size();
  EXPECT_EQ(server.body("/myjson?query=*+from+company"), whole);
  server.options().adhoc_max_bytes = whole.size() - 1;
  EXPECT_EQ(server.body("/myjson?query=*+from+company"), "Bye Bye ");
  EXPECT_TRUE(
      logged(server, "Failure: the answer is over adhoc_max_bytes (" + std::to_string(whole.size() - 1) + " bytes)"));
  server.options().adhoc_max_bytes = 64;
  server.database().execute(kWritingProcedure);
  EXPECT_EQ(server.body("/myjson?query=select+n,+rpad('',+100,+'x')+from+WRITES_OY"), "Bye Bye ");
  EXPECT_EQ(server.database().scalar("select count(*) from oy"), "0");
}

// A login of the server's, as the README creates it for the caller's statements; its
// grants are the database's own.
class ReaderLogin {
 public:
  explicit ReaderLogin(const TestDatabase& database) : database_(database) {
    try {
      database_.execute("drop user VANTOR_TEST_READER");
    } catch (const std::exception&) {
    }
    database_.execute("create user VANTOR_TEST_READER password 'r3ader'");
  }
  ~ReaderLogin() {
    try {
      database_.execute("drop user VANTOR_TEST_READER");
    } catch (const std::exception&) {
    }
  }

 private:
  const TestDatabase& database_;
};

TEST(AdhocAccess, ASecondLoginServesTheCallersStatementsOnly) {
  TestDatabase scratch;
  ReaderLogin reader(scratch);
  TestServer server(Template::Upgraded, [](shell::ServerConfig& config) {
    config.adhoc_login = {"VANTOR_TEST_READER", "r3ader"};
  });
  for (const char* table : {"company", "stock", "oy"}) {
    server.database().execute(std::string("grant select on ") + table + " to VANTOR_TEST_READER");
  }
  server.database().execute(kWritingProcedure);
  const std::string generator = server.database().scalar("select gen_id(genall, 0) from rdb$database");
  EXPECT_EQ(server.body("/myjson?query=current_user+from+rdb$database"), R"([{"user":"VANTOR_TEST_READER"}])");
  EXPECT_EQ(server.body("/myjson?query=insert+into+oy+(sn,name1)+values+('1','x')"), "Bye Bye ");
  EXPECT_EQ(server.body("/myjson?query=set+generator+genall+to+5"), "Bye Bye ");
  EXPECT_EQ(server.body("/myjson?query=gen_id(genall,+1)+from+rdb$database"), "Bye Bye ");  // no USAGE granted
  EXPECT_EQ(server.body("/myjson?query=select+n+from+WRITES_OY"), "Bye Bye ");              // no EXECUTE granted
  EXPECT_EQ(server.database().scalar("select gen_id(genall, 0) from rdb$database"), generator);
  EXPECT_EQ(server.database().scalar("select count(*) from oy"), "0");
  // every other route keeps the main login with its rights to write
  EXPECT_EQ(server.body("/inventory?deviceid=T1&barcode=6221000&qty=3&note=ok"), "Qty Entry for 6221000 Done");
  EXPECT_EQ(server.database().scalar("select count(*) from minventory"), "1");
}

}  // namespace
}  // namespace vantor::test
