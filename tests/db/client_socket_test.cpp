// An abort from another thread ends a round trip stuck on a silent link, and the
// attachment's socket keeps its number until the attachment is released, so that no wait
// can go on on another connection that took the number.
#include <fcntl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <iostream>
#include <set>
#include <thread>

#include "db/attachment.hpp"
#include "db/client_socket.hpp"
#include "db/db_error.hpp"
#include "tests/support/tcp_relay.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::db {
namespace {

using namespace std::chrono_literals;

TEST(ClientSocket, TheDatabasePortIsReadFromEveryFormOfConnectionString) {
  struct Case {
    const char* database;
    std::optional<std::uint16_t> port;
  };
  const Case cases[] = {
      {"/var/lib/shop.fdb", 3050},
      {"shop.fdb", 3050},
      {"data/shop.fdb", 3050},
      {"localhost:/var/lib/shop.fdb", 3050},
      {"10.0.0.5/3051:/var/lib/shop.fdb", 3051},
      {"server/gds_db:/var/lib/shop.fdb", 3050},
      {"server/no-such-service:/var/lib/shop.fdb", std::nullopt},
      {"server/70000:/db.fdb", std::nullopt},
      {"[::1]/3052:/var/lib/shop.fdb", 3052},
      {"[::1]:/var/lib/shop.fdb", 3050},
      {"inet://server:3053//var/lib/shop.fdb", 3053},
      {"inet4://server/shop", 3050},
      {"inet6://[::1]:3054/shop", 3054},
      {"C:\\shop\\shop.fdb", 3050},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.database);
    EXPECT_EQ(database_port(entry.database), entry.port);
  }
}

bool open_fd(int fd) { return fcntl(fd, F_GETFD) != -1; }

TEST(ClientSocket, AnAbortEndsARoundTripOnASilentLinkAndKeepsTheSocketUntilTheRelease) {
  test::TestDatabase database;
  test::TcpRelay relay;
  auto attachment = Attachment::attach(relay.connection_string(database.path()));
  ASSERT_EQ(attachment.sockets().size(), 1u);
  const ClientSocket socket = attachment.sockets().front();
  EXPECT_EQ(socket.peer_port, relay.port());
  EXPECT_EQ(sockets_to_port(relay.port()), std::vector{socket});

  relay.stall();
  auto trip = std::async(std::launch::async, [&] { return attachment.alive(); });
  EXPECT_EQ(trip.wait_for(500ms), std::future_status::timeout);  // nothing answers
  attachment.abort();
  ASSERT_EQ(trip.wait_for(2s), std::future_status::ready);
  EXPECT_FALSE(trip.get());
  EXPECT_TRUE(open_fd(socket.fd));  // its number is not free for another connection yet
  EXPECT_FALSE(attachment.alive());

  attachment = Attachment{};
  EXPECT_FALSE(open_fd(socket.fd) && sockets_to_port(relay.port()) == std::vector{socket});
  relay.resume();
}

TEST(ClientSocket, AttachesAtTheSameTimeEachFindTheirOwnSocket) {
  test::TestDatabase database;
  test::TcpRelay relay;
  std::vector<std::future<Attachment>> attaching;
  for (int i = 0; i < 6; ++i) {
    attaching.push_back(
        std::async(std::launch::async, [&] { return Attachment::attach(relay.connection_string(database.path())); }));
  }
  std::vector<Attachment> attachments;
  for (auto& attach : attaching) attachments.push_back(attach.get());
  std::set<int> fds;
  for (const auto& attachment : attachments) {
    ASSERT_EQ(attachment.sockets().size(), 1u);
    fds.insert(attachment.sockets().front().fd);
  }
  EXPECT_EQ(fds.size(), attachments.size());
  EXPECT_EQ(sockets_to_port(relay.port()).size(), attachments.size());
}

// The client library bounds the wait for the host's first answer only; a host that falls
// silent after a few packets of the login would hold the attach (and the thread, and a
// stop that waits for it) for ever.
TEST(ClientSocket, AnAttachWhoseHostFallsSilentDuringTheLoginEndsAtTheConnectTimeout) {
  test::TestDatabase database;
  DatabaseSettings settings;
  settings.connect_timeout = 1s;
  constexpr int kLoginReplies = 4;  // the answers an attach reads from the test command's Firebird 3
  for (int replies = 0; replies < kLoginReplies; ++replies) {
    SCOPED_TRACE("replies before the silence: " + std::to_string(replies));
    test::TcpRelay relay;
    relay.stall_after(replies);
    const auto start = std::chrono::steady_clock::now();
    auto attach = std::async(std::launch::async,
                             [&] { return Attachment::attach(relay.connection_string(database.path()), settings); });
    const bool ended = attach.wait_for(6s) == std::future_status::ready;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_TRUE(ended);
    if (!ended) relay.cut();  // lets the attach go, so that the test can end
    try {
      Attachment attached = attach.get();
      attached.abort();  // its detach would wait on the silent link
      ADD_FAILURE() << "attached through a silent link";
    } catch (const DbError& failure) {
      std::cout << replies << " replies, then silence: the attach failed after " << seconds << " s: " << failure.what()
                << "\n";
    }
    EXPECT_LT(seconds, 3.0);
  }
}

}  // namespace
}  // namespace vantor::db
