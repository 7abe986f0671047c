// Inventory counts and opening-year entries over HTTP, read back from the database.
#include <gtest/gtest.h>

#include <algorithm>

#include <future>

#include "tests/support/test_server.hpp"
#include "text/latin1.hpp"

namespace vantor::test {
namespace {

using Rows = std::vector<std::vector<std::string>>;

TEST(EntryEndpoints, InventoryCountFilledByTheTrigger) {
  TestServer server;
  const auto response = server.get("/inventory?deviceid=T1&barcode=6221000&qty=3&note=ok");
  EXPECT_EQ(response.header("Content-Type"), "text/json; charset=utf-8");
  EXPECT_EQ(response.body, "Qty Entry for 6221000 Done");
  EXPECT_EQ(server.body("/inventory?abcdefgh=T1&abcdefg=6221000&abc=3&abcd=ok"), "Qty Entry for 6221000 Done");
  EXPECT_EQ(
      server.database().rows("select deviceid, barcode, qty, note, item, descr1, pack from minventory"),
      (Rows{{"T1", "6221000", "3", "ok", "A200", "Coffee", "1"}, {"T1", "6221000", "3", "ok", "A200", "Coffee", "1"}}));
}

TEST(EntryEndpoints, InventoryTakesValuesAsTheyComeAndWritesNothingOnARejection) {
  TestServer server;
  EXPECT_EQ(server.body("/inventory?id=T1&barcode=A300&qty=1.5&note="), "Qty Entry for A300 Done");
  EXPECT_EQ(server.database().rows("select deviceid, qty, note from minventory"), (Rows{{"", "1.5", ""}}));
  EXPECT_EQ(server.body("/inventory?deviceid=T1&barcode=A300&qty=3x&note=ok"), "Some Error !!");
  EXPECT_EQ(server.body("/inventory?deviceid=T1&barcode=A300&qty=3&note=" + std::string(21, 'n')), "Some Error !!");
  EXPECT_EQ(server.database().scalar("select count(*) from minventory"), "1");
  EXPECT_EQ(server.body("/inventory?deviceid=T1&barcode=A/B&qty=1&note=x"), "Qty Entry for A\\/B Done");
  EXPECT_EQ(server.log().last().back(), "Qty Entry for A/B Done");
}

TEST(EntryEndpoints, OpeningYearEntry) {
  TestServer server;
  EXPECT_EQ(server.body("/openyear?sn=7&name=Ali"), "Open Year Entry for Ali Done");
  EXPECT_EQ(server.body("/openyear?sn=8&name=O'Neil"), "Open Year Entry for O Neil Done");
  EXPECT_EQ(server.database().rows("select sn, name1 from oy order by sn"), (Rows{{"7", "Ali"}, {"8", "O'Neil"}}));
  EXPECT_EQ(server.body("/openyear?sn=" + std::string(21, '9') + "&name=x"), "Some Error !!");
  EXPECT_EQ(server.database().scalar("select count(*) from oy"), "2");
}

TEST(EntryEndpoints, ABurstOfCountsIsWrittenExactlyOnce) {
  TestServer server;
  std::vector<std::future<int>> clients;
  for (int client = 0; client < 10; ++client) {
    clients.push_back(std::async(std::launch::async, [&server, client] {
      int confirmed = 0;
      for (int i = 0; i < 10; ++i) {
        const std::string device = "D" + std::to_string(client);
        const std::string code = "C" + std::to_string(client * 100 + i);
        if (server.body("/inventory?deviceid=" + device + "&barcode=" + code + "&qty=1&note=n") ==
            "Qty Entry for " + code + " Done") {
          ++confirmed;
        }
      }
      return confirmed;
    }));
  }
  int confirmed = 0;
  for (auto& client : clients) confirmed += client.get();
  EXPECT_EQ(confirmed, 100);
  EXPECT_EQ(server.database().scalar("select count(*) from minventory"), "100");
  EXPECT_EQ(server.database().scalar("select count(distinct barcode) from minventory"), "100");
  EXPECT_EQ(server.database().scalar("select count(distinct id) from minventory"), "100");
}

// A name in a script the database's code page cannot hold: stored as "?" as before, and
// the log block names the parameter that lost characters. Its UTF-8 bytes sent as
// percent escapes are kept as they are, byte for byte.
TEST(EntryEndpoints, CharactersTheCodePageCannotHoldAreNamedInTheLog) {
  TestServer server;
  struct Case {
    std::string target;
    const char* stored;
    bool noted;
  } cases[] = {
      {"/openyear?sn=1&name=%u0645%u062D%u0645%u062F", "????", true},
      {"/openyear?sn=2&name=Jos%E9", "Jos\xE9", false},
      {"/openyear?sn=3&name=%D9%85%D8%AD", "\xD9\x85\xD8\xAD", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    server.body(c.target);
    const std::string sn = c.target.substr(c.target.find("sn=") + 3, 1);
    EXPECT_EQ(server.database().scalar("select name1 from oy where sn = '" + sn + "'"), text::latin1_to_utf8(c.stored));
    const auto entries = server.log().last();
    const bool noted = std::any_of(entries.begin(), entries.end(), [](const std::string& line) {
      return line.rfind("parameter \"name\" holds characters the database's code page cannot hold", 0) == 0;
    });
    EXPECT_EQ(noted, c.noted);
  }
}

}  // namespace
}  // namespace vantor::test
