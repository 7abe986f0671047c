// The shipped HAProxy configuration in front of two server processes on one database:
// HTTPS is answered, a stopped server leaves the other to answer, a write cut by a
// server that dies is never sent to the other, and the servers log the real client.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <thread>

#include "tests/support/http_client.hpp"
#include "tests/support/server_process.hpp"
#include "tests/support/test_database.hpp"

namespace vantor::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kProxy = "127.0.0.1:8443";
// The clients call from an address of their own, so that the server's log can tell
// them from the proxy.
constexpr const char* kClientAddress = "127.0.0.5";

fs::path source_dir() {
  const char* dir = std::getenv("VANTOR_SOURCE_DIR");
  return dir != nullptr ? dir : VANTOR_SOURCE_DIR_DEFAULT;
}

// haproxy with docs/proxy/haproxy.cfg as shipped, its addresses set by the environment.
class Haproxy {
 public:
  explicit Haproxy(const fs::path& folder) : log_(folder / "haproxy.log") {
    const fs::path certificate = folder / "vantor.pem";
    const std::string make_certificate =
        "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost -keyout '" +
        (folder / "key.pem").string() + "' -out '" + (folder / "cert.pem").string() + "' 2>/dev/null && cat '" +
        (folder / "cert.pem").string() + "' '" + (folder / "key.pem").string() + "' > '" + certificate.string() + "'";
    if (std::system(make_certificate.c_str()) != 0) throw std::runtime_error("openssl could not make a certificate");
    pid_ = ::fork();
    if (pid_ == 0) {
      ::setenv("VANTOR_PROXY_HTTPS", kProxy, 1);
      ::setenv("VANTOR_PROXY_HTTP", "127.0.0.1:8096", 1);
      ::setenv("VANTOR_PROXY_CERT", certificate.c_str(), 1);
      ::setenv("VANTOR_PROXY_SOCKET", (folder / "admin.sock").c_str(), 1);
      ::setenv("VANTOR_SERVER1", "127.0.0.1:8092", 1);
      ::setenv("VANTOR_ADMIN1", "8094", 1);
      ::setenv("VANTOR_SERVER2", "127.0.0.1:8093", 1);
      ::setenv("VANTOR_ADMIN2", "8095", 1);
      if (!std::freopen(log_.c_str(), "w", stdout) || !std::freopen(log_.c_str(), "a", stderr)) ::_exit(126);
      const std::string config = (source_dir() / "docs/proxy/haproxy.cfg").string();
      ::execlp("haproxy", "haproxy", "-f", config.c_str(), "-db", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    for (int i = 0; i < 100 && !port_open(8443); ++i) std::this_thread::sleep_for(50ms);
  }
  ~Haproxy() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  std::string log() const {
    std::ifstream in(log_);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  fs::path log_;
  pid_t pid_ = -1;
};

struct Answer {
  int status = 0;
  std::string body;
};

// One HTTPS request through the proxy, as a phone outside the shop sends it.
Answer https_get(const std::string& target) {
  const std::string command = std::string("curl -sk --max-time 60 --interface ") + kClientAddress +
                              " -w '\\n%{http_code}' 'https://" + kProxy + target + "'";
  FILE* pipe = ::popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0;) output.append(buffer, n);
  ::pclose(pipe);
  const auto last = output.rfind('\n');
  if (last == std::string::npos) return {};
  return {std::atoi(output.c_str() + last + 1), output.substr(0, last)};
}

constexpr const char* kServerConf = "trusted_proxy = 127.0.0.1\naccess_log = on\nlock_timeout = 60\n";

bool becomes_ready(std::uint16_t admin_port) {
  for (int i = 0; i < 100; ++i, std::this_thread::sleep_for(50ms)) {
    const auto answer = http_get(admin_port, "/ready");
    if (answer && answer->status_line == "HTTP/1.1 200 OK") return true;
  }
  return false;
}

class BehindTheProxy : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("vantor-proxy-" + std::to_string(::getpid()));
    fs::create_directories(folder_);
    first_ = std::make_unique<ServerProcess>("8092", database_.connection_string(), "vantor-server",
                                             ProcessExtras{.vantor_conf = std::string(kServerConf) + "admin = 8094\n"});
    second_ =
        std::make_unique<ServerProcess>("8093", database_.connection_string(), "vantor-server",
                                        ProcessExtras{.vantor_conf = std::string(kServerConf) + "admin = 8095\n"});
    ASSERT_TRUE(first_->wait_for_output("ON PORT 8092")) << first_->error();
    ASSERT_TRUE(second_->wait_for_output("ON PORT 8093")) << second_->error();
    // the proxy counts a server out for two checks (4 s) when its first check finds it
    // not ready yet, as in the moment between listening and the link probe's first answer
    for (const std::uint16_t admin : {8094, 8095}) ASSERT_TRUE(becomes_ready(admin));
    proxy_ = std::make_unique<Haproxy>(folder_);
    ASSERT_TRUE(port_open(8443)) << proxy_->log();
  }
  void TearDown() override {
    proxy_.reset();
    first_.reset();
    second_.reset();
    fs::remove_all(folder_);
  }

  TestDatabase database_;
  fs::path folder_;
  std::unique_ptr<ServerProcess> first_;
  std::unique_ptr<ServerProcess> second_;
  std::unique_ptr<Haproxy> proxy_;
};

constexpr const char* kStock = "/whqty?code=A100";

TEST_F(BehindTheProxy, HttpsIsAnsweredByBothServersWhichLogTheRealClient) {
  const std::string access_line = std::string(" ") + kClientAddress + " GET /whqty 200 whqty data ";
  const auto served = [&](ServerProcess& server) { return server.output().find(access_line) != std::string::npos; };
  // the proxy may count a server in only after its first readiness checks
  for (int i = 0; i < 100 && !(served(*first_) && served(*second_)); ++i) {
    const Answer answer = https_get(kStock);
    EXPECT_EQ(answer.status, 200) << proxy_->log();
    EXPECT_EQ(answer.body.substr(0, 8), R"([{"item")");
    std::this_thread::sleep_for(100ms);
  }
  for (auto* server : {first_.get(), second_.get()}) {
    EXPECT_TRUE(served(*server)) << server->output() << proxy_->log();
    EXPECT_NE(server->output().find(std::string("\n") + kClientAddress + "\n/whqty\n"), std::string::npos);
  }
}

TEST_F(BehindTheProxy, WithOneServerStoppedTheOtherAnswers) {
  first_->command("exit");
  ASSERT_EQ(first_->wait_for_exit(), 0);
  for (int i = 0; i < 6; ++i) {
    const Answer answer = https_get(kStock);
    EXPECT_EQ(answer.status, 200) << proxy_->log();
    EXPECT_EQ(answer.body.substr(0, 8), R"([{"item")");
  }
}

// The process of the server whose attachment runs the reservation, once it waits.
std::optional<pid_t> server_running_the_write(const TestDatabase& database) {
  for (int i = 0; i < 100; ++i, std::this_thread::sleep_for(100ms)) {
    const auto pid = database.scalar(
        "select a.mon$remote_pid from mon$statements s join mon$attachments a "
        "on a.mon$attachment_id = s.mon$attachment_id "
        "where s.mon$state = 1 and s.mon$sql_text containing 'MOBRSERVE' "
        "and s.mon$attachment_id <> current_connection");
    if (pid != "<none>") return static_cast<pid_t>(std::stol(pid));
  }
  return std::nullopt;
}

TEST_F(BehindTheProxy, AWriteCutByAServerThatDiesIsNotSentToTheOther) {
  database_.execute("insert into customer (cid, cname, mid) values (8000099, 'Held', 3)");
  RowLock lock(database_, "update customer set cname = 'Edited' where cid = 8000099");
  const std::string reserve = "/reserve?id=99&name=Ali&tel=555&fromdate=20/12/2026&todate=22/12/2026&room=12&guests=2";
  auto cut = std::async(std::launch::async, [&] { return https_get(reserve); });
  const auto pid = server_running_the_write(database_);
  ASSERT_TRUE(pid) << "the write never reached a server";
  ServerProcess& dying = *pid == first_->pid() ? *first_ : *second_;
  ServerProcess& other = *pid == first_->pid() ? *second_ : *first_;
  ASSERT_EQ(dying.pid(), *pid);
  dying.signal(SIGKILL);
  EXPECT_EQ(cut.get().status, 502);  // the client learns that its write has no answer
  lock.release();
  std::this_thread::sleep_for(2s);  // a write sent again would be done by now
  EXPECT_EQ(database_.scalar("select count(*) from customer where cid = 8000099 and user_ = 'WEB'"), "0");
  EXPECT_EQ(other.output().find("/reserve"), std::string::npos) << other.output();
  // the client sends it again, and it is written once
  EXPECT_EQ(https_get(reserve).body, "Qty Entry  Done") << proxy_->log();
  EXPECT_EQ(database_.scalar("select count(*) from customer where cid = 8000099 and user_ = 'WEB'"), "1");
}

}  // namespace
}  // namespace vantor::test
