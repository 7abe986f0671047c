// Two server processes on one database, the way to grow past one machine: their
// free-room passes meet at the same rows, and none of them fails for it.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "schema/schema_objects.hpp"
#include "schema/upgrade.hpp"
#include "tests/support/http_client.hpp"
#include "tests/support/server_process.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::test {
namespace {

TEST(TwoServers, ConcurrentRoomRequestsOnOneDatabaseAllSucceed) {
  TestDatabase database;
  ServerProcess first("8088", database.connection_string());
  ServerProcess second("8089", database.connection_string());
  ASSERT_TRUE(first.wait_for_output("ON PORT 8088"));
  ASSERT_TRUE(second.wait_for_output("ON PORT 8089"));

  const std::string free_first_week = R"([{"rno":12.00,"descr":"Suite","rprice1":80.00}])";
  const std::string free_later_weeks =
      R"([{"rno":7.00,"descr":"Single","rprice1":50.00},{"rno":12.00,"descr":"Suite","rprice1":80.00}])";
  std::atomic<int> right{0};
  std::atomic<int> failed{0};
  std::vector<std::thread> clients;
  for (int client = 0; client < 8; ++client) {
    clients.emplace_back([&, client] {
      const unsigned short port = client % 2 == 0 ? 8088 : 8089;
      for (int i = 0; i < 25; ++i) {
        const bool first_week = (client + i) % 2 == 0;
        const auto response = http_get(port, first_week ? "/room?fromdate=01/06/2024&todate=07/06/2024"
                                                        : "/room?fromdate=10/06/2024&todate=30/06/2024");
        const bool ok = response && response->body == (first_week ? free_first_week : free_later_weeks);
        (ok ? right : failed)++;
      }
    });
  }
  for (auto& client : clients) client.join();
  EXPECT_EQ(failed, 0) << first.output() << second.output();
  EXPECT_EQ(right, 200);
  first.command("exit");
  second.command("exit");
  EXPECT_EQ(first.wait_for_exit(), 0);
  EXPECT_EQ(second.wait_for_exit(), 0);
}

// The database server here (Firebird 3, SuperServer) lets the upgrade replace a procedure
// that another process holds prepared: the upgrade counts that process and, at its end,
// finds every object in its new form, while the other server goes on answering.
TEST(TwoServers, AnUpgradeBesideAServerThatHoldsPpricePreparedCountsItAndChecksEveryObject) {
  TestDatabase database;
  std::string earlier(schema::schema_object(schema::Object::DoPrice).text);
  earlier.replace(0, 6, "ALTER");
  earlier.insert(earlier.find("BEGIN") + 5, " /* earlier */");
  database.execute(earlier);
  ServerProcess other("8088", database.connection_string());
  ASSERT_TRUE(other.wait_for_output("ON PORT 8088"));
  ASSERT_NE(http_get(8088, "/price?code=A300")->body.find("\"item\":\"A300\""), std::string::npos);
  const std::string attached = database.scalar(
      "select count(*) from mon$attachments where mon$system_flag = 0 and mon$attachment_id <> current_connection");
  ASSERT_NE(attached, "0");

  std::vector<std::string> told;
  const auto outcome = schema::SchemaUpgrade(database.connection_string(), {}).run([&](const std::string& line) {
    told.push_back(line);
  });
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], "update starting: " + attached + (attached == "1" ? " other attachment" : " other attachments") +
                         " to the database; what they use may not be replaceable");
  EXPECT_EQ(outcome.message, "update finished");
  EXPECT_EQ(database.scalar("select rdb$procedure_source from rdb$procedures where rdb$procedure_name = 'PPRICE'")
                .find("/* earlier */"),
            std::string::npos);
  EXPECT_NE(http_get(8088, "/price?code=A300")->body.find("\"item\":\"A300\""), std::string::npos);
  other.command("exit");
  EXPECT_EQ(other.wait_for_exit(), 0);
}

}  // namespace
}  // namespace vantor::test
