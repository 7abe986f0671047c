// Under systemd each request's block is one journal entry with fields to find it by. The
// test stands in for journald: it listens on the journal's socket and reads what comes.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <map>

#include "tests/support/http_client.hpp"
#include "tests/support/server_process.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::test {
namespace {

using Entry = std::map<std::string, std::string>;

// The journal's native protocol: "KEY=value\n", or "KEY\n", a 64-bit little-endian
// length and the value, then "\n", for a value that holds line breaks.
Entry parse_entry(const std::string& datagram) {
  Entry entry;
  std::size_t at = 0;
  while (at < datagram.size()) {
    const std::size_t end = datagram.find('\n', at);
    const std::string line = datagram.substr(at, end - at);
    const std::size_t equals = line.find('=');
    if (equals != std::string::npos) {
      entry[line.substr(0, equals)] = line.substr(equals + 1);
      at = end + 1;
      continue;
    }
    std::uint64_t length = 0;
    std::memcpy(&length, datagram.data() + end + 1, sizeof(length));
    entry[line] = datagram.substr(end + 1 + sizeof(length), length);
    at = end + 1 + sizeof(length) + length + 1;
  }
  return entry;
}

class FakeJournal {
 public:
  static constexpr const char* kPath = "/run/systemd/journal/socket";
  FakeJournal() {
    std::filesystem::create_directories("/run/systemd/journal");
    fd_ = ::socket(AF_UNIX, SOCK_DGRAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strcpy(address.sun_path, kPath);
    bound_ = ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0;
  }
  ~FakeJournal() {
    ::close(fd_);
    if (bound_) ::unlink(kPath);
  }
  bool bound() const { return bound_; }
  // The entries of requests received within 10 s, until count of them.
  std::vector<Entry> requests(std::size_t count) {
    std::vector<Entry> entries;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (entries.size() < count && std::chrono::steady_clock::now() < until) {
      pollfd waiting{fd_, POLLIN, 0};
      if (::poll(&waiting, 1, 200) <= 0) continue;
      std::string datagram(65536, '\0');
      const auto n = ::recv(fd_, datagram.data(), datagram.size(), 0);
      if (n <= 0) continue;
      datagram.resize(static_cast<std::size_t>(n));
      Entry entry = parse_entry(datagram);
      if (entry.count("VANTOR_ROUTE") > 0) entries.push_back(std::move(entry));
    }
    return entries;
  }

 private:
  int fd_ = -1;
  bool bound_ = false;
};

TEST(Journal, EachRequestIsOneEntryWithItsRouteOutcomeClientAndTime) {
  if (std::filesystem::exists(FakeJournal::kPath)) GTEST_SKIP() << "a journal runs on this machine";
  FakeJournal journal;
  ASSERT_TRUE(journal.bound());
  TestDatabase database;
  ServerProcess process("8081", database.connection_string(), "vantor-server",
                        {.vantor_conf = "echo = off\naccess_log = on\n", .environment = "JOURNAL_STREAM=8:1234"});
  ASSERT_TRUE(process.wait_for_output("ON PORT 8081")) << process.error();
  http_get(8081, "/whqty?code=A100");
  http_get(8081, "/sales?fromdate=2024-01-01");
  http_get(8081, "/nothing");
  const auto entries = journal.requests(3);
  ASSERT_EQ(entries.size(), 3u);
  struct Expected {
    const char* route;
    const char* outcome;
    const char* priority;
    const char* message_start;
  } expected[] = {{"whqty", "data", "6", "127.0.0.1\n/whqty\ncode=A100\n"},
                  {"sales", "failure", "3", "127.0.0.1\n/sales\n"},
                  {"other", "fallback", "6", "127.0.0.1\n/nothing\n"}};
  for (std::size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(expected[i].route);
    auto field = [&](const char* key) { return entries[i].count(key) ? entries[i].at(key) : "<none>"; };
    EXPECT_EQ(field("VANTOR_ROUTE"), expected[i].route);
    EXPECT_EQ(field("VANTOR_OUTCOME"), expected[i].outcome);
    EXPECT_EQ(field("PRIORITY"), expected[i].priority);
    EXPECT_EQ(field("VANTOR_CLIENT"), "127.0.0.1");
    EXPECT_GT(std::stod(field("VANTOR_MS")), 0.0);
    EXPECT_EQ(field("MESSAGE").rfind(expected[i].message_start, 0), 0u) << field("MESSAGE");
  }
  EXPECT_NE(entries[1].at("MESSAGE").find("Failure: "), std::string::npos);
  EXPECT_NE(entries[0].at("MESSAGE").find(" GET /whqty 200 whqty data "), std::string::npos);  // the access line
  EXPECT_EQ(process.output().find("/whqty"), std::string::npos);                               // not written twice
  process.command("exit");
  EXPECT_EQ(process.wait_for_exit(), 0);
}

}  // namespace
}  // namespace vantor::test
