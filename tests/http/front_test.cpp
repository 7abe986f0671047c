// The request front and response finishing over real sockets: exact status lines,
// headers, lengths and bodies.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

class Front : public ::testing::Test {
 protected:
  static TestServer& server() {
    static TestServer instance;
    return instance;
  }
};

TEST_F(Front, APathWithoutARouteGetsTheFallbackAsJson) {
  const auto response = server().get("/nothing?a=1");
  EXPECT_EQ(response.status_line, "HTTP/1.1 200 OK");
  EXPECT_EQ(response.header_lines_without_date(),
            "Connection: close|Content-Type: text/json; charset=utf-8|Content-Length: 8|Date");
  EXPECT_EQ(response.body, "Bye Bye ");
  EXPECT_EQ(server().log().last(), (std::vector<std::string>{"127.0.0.1", "/nothing", "a=1\n", "Bye Bye "}));
}

TEST_F(Front, RoutesMatchTheLowerCasedPathExactly) {
  struct Case {
    const char* target;
    bool routed;
  } cases[] = {
      {"/stores", true},       {"/STORES", true},    {"/Stores?x=1", true}, {"/stores/", false},
      {"/stores.json", false}, {"/sto%72es", false}, {"/price/", false},    {"//stores", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    EXPECT_EQ(server().body(c.target) != "Bye Bye ", c.routed);
  }
}

TEST_F(Front, TheLogShowsEachParameterOnALineAndTheEcho) {
  server().get("/Stores?a=1&&b=x%2Fy");
  const auto entries = server().log().last();
  ASSERT_EQ(entries.size(), 5u);
  EXPECT_EQ(entries[1], "/Stores");
  EXPECT_EQ(entries[2], "a=1\n\nb=x/y\n");
  EXPECT_EQ(entries[3], "Count: 4");
}

TEST(FrontSafety, ControlCharactersASentOrStoredTextHoldsAreEscapedInTheLog) {
  TestServer server;
  server.database().execute(
      "update sub set sname = 'Ali' || ascii_char(10) || 'Failure: forged' || ascii_char(27) "
      "|| '[2J' where sid = '41001'");
  server.get("/nothing?a=%1b%07x%0aFailure:%20forged&b=%C2%85");
  auto entries = server.log().last();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[2], "a=\\x1b\\x07x\\nFailure: forged\nb=\xC3\x82\\u0085\n");  // %C2%85 is two ISO-8859-1 characters
  EXPECT_EQ(entries[3], "Bye Bye ");

  server.get("/customer");
  entries = server.log().last();
  EXPECT_NE(entries.back().find(R"("sname":"Ali\nFailure: forged\x1b[2J")"), std::string::npos) << entries.back();
  for (const auto& entry : entries) EXPECT_EQ(entry.find('\x1b'), std::string::npos);

  server.get("/subh");  // the page keeps its own lines; the stored line break is escaped
  entries = server.log().last();
  EXPECT_NE(entries.back().find(R"(<td>Ali\nFailure: forged\x1b[2J</td>)"
                                "\r\n"),
            std::string::npos)
      << entries.back();
}

TEST(FrontSafety, PagesWriteStoredAndSentTextsAsTextNotMarkup) {
  TestServer server;
  server.database().execute("update sub set sname = '<script>alert(1)</script>' where sid = '41001'");
  const std::string page = server.body("/subh");
  EXPECT_NE(page.find("<td>&lt;script&gt;alert(1)&lt;/script&gt;</td>"), std::string::npos) << page;
  const std::string reflected = server.body(
      "/myhtml?query=" + url_escape("select cast('<script>x</script>' as varchar(30)) as b from rdb$database"));
  EXPECT_NE(reflected.find("<td>&lt;script&gt;x&lt;/script&gt;</td>"), std::string::npos) << reflected;
  EXPECT_EQ(reflected.find("<script"), std::string::npos);
}

TEST_F(Front, OtherMethodsGetAnEmptyAnswer) {
  for (const char* method : {"PUT", "DELETE", "OPTIONS", "TRACE", "PATCH"}) {
    SCOPED_TRACE(method);
    const auto before = server().log().blocks().size();
    RawClient client(server().port());
    client.send(std::string(method) + " /price HTTP/1.1\r\nHost: x\r\nContent-Length: 0\r\n\r\n");
    const auto response = client.read();
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status_line, "HTTP/1.1 200 OK");
    EXPECT_EQ(response->header_lines_without_date(), "Connection: keep-alive|Content-Length: 0|Date");
    EXPECT_EQ(response->body, "");
    EXPECT_EQ(server().log().blocks().size(), before);  // it never reached the handler
  }
}

TEST_F(Front, PostAndHeadAreTreatedLikeGet) {
  RawClient client(server().port());
  client.send(
      "POST /nothing HTTP/1.1\r\nHost: x\r\nContent-Type: application/x-www-form-urlencoded\r\n"
      "Content-Length: 7\r\n\r\nb=2&c=3");
  auto post = client.read();
  ASSERT_TRUE(post);
  EXPECT_EQ(post->body, "Bye Bye ");
  EXPECT_EQ(server().log().last()[2], "b=2\nc=3\n");

  client.send("HEAD /nothing HTTP/1.1\r\nHost: x\r\n\r\n");
  auto head = client.read(false);
  ASSERT_TRUE(head);
  EXPECT_EQ(head->header("Content-Length"), "8");
  // no body follows: the next answer on the connection starts right away
  client.send("GET /nothing HTTP/1.1\r\nHost: x\r\n\r\n");
  auto next = client.read();
  ASSERT_TRUE(next);
  EXPECT_EQ(next->status_line, "HTTP/1.1 200 OK");
  EXPECT_EQ(next->body, "Bye Bye ");
}

TEST_F(Front, AnswersAreEscapedAndSentAsUtf8) {
  const auto response = server().get("/brands");
  // "C:\beans/1" leaves the encoder as it is, and finishing escapes it
  EXPECT_NE(response.body.find(R"("name":"C:\\beans\/1")"), std::string::npos) << response.body;
  EXPECT_EQ(response.header("Content-Length"), std::to_string(response.body.size()));
}

TEST_F(Front, AFailureGivesTheErrorAnswerWithItsOwnContentType) {
  const auto response = server().get("/productdate?fromdt=15/01/2024");
  EXPECT_EQ(response.header_lines_without_date(),
            "Connection: close|Content-Type: text/html; charset=ISO-8859-1|Content-Length: 13|Date");
  EXPECT_EQ(response.body, "Some Error !!");
  const auto entries = server().log().last();
  ASSERT_EQ(entries.size(), 4u);  // address, path, parameters, and why it failed: no echo
  EXPECT_EQ(entries[3].rfind("Failure: ", 0), 0u);
}

TEST_F(Front, KeepAliveFollowsTheVersionAndTheConnectionHeader) {
  struct Case {
    const char* id;
    const char* request;
    const char* connection;
    bool stays_open;
  } cases[] = {
      {"1.1", "GET /nothing HTTP/1.1\r\nHost: x\r\n\r\n", "keep-alive", true},
      {"1.1 close", "GET /nothing HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n", "close", false},
      {"1.0", "GET /nothing HTTP/1.0\r\n\r\n", "close", false},
      {"1.0 keep-alive", "GET /nothing HTTP/1.0\r\nConnection: keep-alive\r\n\r\n", "keep-alive", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    RawClient client(server().port());
    client.send(c.request);
    const auto response = client.read();
    ASSERT_TRUE(response);
    EXPECT_EQ(response->status_line, "HTTP/1.1 200 OK");
    EXPECT_EQ(response->header("Connection"), c.connection);
    EXPECT_EQ(client.closed_by_server(std::chrono::milliseconds(c.stays_open ? 300 : 5000)), !c.stays_open);
  }
}

TEST_F(Front, MoreThan4096HeaderLinesCloseTheConnectionWithoutAnAnswer) {
  const auto request_with = [](int lines) {
    std::string request = "GET /nothing HTTP/1.1\r\n";
    for (int i = 0; i < lines; ++i) request += "X-" + std::to_string(i) + ": 1\r\n";
    return request + "\r\n";
  };
  RawClient at_limit(server().port());
  at_limit.send(request_with(4096));
  EXPECT_TRUE(at_limit.read());
  RawClient over(server().port());
  over.send(request_with(4097));
  EXPECT_FALSE(over.read());
}

TEST_F(Front, ManyConcurrentRequestsEachGetTheirOwnAnswer) {
  std::vector<std::future<bool>> results;
  const char* codes[] = {"A100", "A200", "B100", "6221031", "DUP1"};
  const char* items[] = {"A100", "A200", "B100", "A100", "B100"};
  for (int i = 0; i < 50; ++i) {
    results.push_back(std::async(std::launch::async, [&, i] {
      const auto body = server().body(std::string("/price?code=") + codes[i % 5]);
      return body.find(std::string("\"item\":\"") + items[i % 5] + "\"") != std::string::npos &&
             body.find("\"item\"", body.find("\"item\"") + 1) == std::string::npos;
    }));
  }
  for (auto& result : results) EXPECT_TRUE(result.get());
}

}  // namespace
}  // namespace vantor::test
