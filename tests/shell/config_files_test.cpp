// What the server starts with, read from port.txt and ip.txt in a folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <thread>

#include "shell/core/config_files.hpp"

namespace vantor::shell {
namespace {

namespace fs = std::filesystem;

class ConfigFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("vantor-config-" + std::to_string(::getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  void write(const char* name, const char* text) { std::ofstream(folder_ / name, std::ios::binary) << text; }

  fs::path folder_;
};

TEST_F(ConfigFolder, WithoutFilesTheDemoDatabaseOnPort8080) {
  const auto config = read_config(folder_);
  EXPECT_EQ(config.http.port, 8080);
  EXPECT_EQ(config.database, (folder_ / "vantor.fdb").string());
  EXPECT_EQ(config.http.workers, worker_count());
  // one loop a core, up to 16
  EXPECT_EQ(config.http.event_loops, std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 16));
  write("vantor.conf", "event_loops = 1\n");
  EXPECT_EQ(read_config(folder_).http.event_loops, 1u);
  write("vantor.conf", "event_loops = 0\n");
  EXPECT_THROW(read_config(folder_), std::exception);
}

TEST_F(ConfigFolder, TheFirstLinesOfPortAndIpFiles) {
  struct Case {
    const char* id;
    const char* port_file;
    int port;
  } cases[] = {
      {"decimal", "9090\nignored", 9090},
      {"hexadecimal", "$1F90\r\n", 8080},
      {"reduced to 16 bits", "70000", 4464},
      {"no number keeps the default", "eighty", 8080},
  };
  write("ip.txt", "dbhost:/data/erp.fdb\r\nsecond line");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.id);
    write("port.txt", c.port_file);
    const auto config = read_config(folder_);
    EXPECT_EQ(config.http.port, c.port);
    EXPECT_EQ(config.database, "dbhost:/data/erp.fdb");
  }
}

TEST_F(ConfigFolder, TheAccessKeysOfVantorConf) {
  write("vantor.conf",
        "adhoc = read\nadhoc_max_bytes = 2M\nadhoc_user = READER\nadhoc_password_file = reader.txt\n"
        "allow = 192.168.1.0/24, ::1\ntrusted_proxy = 127.0.0.1\n");
  write("reader.txt", "s3cret\n");
  fs::permissions(folder_ / "reader.txt", fs::perms::owner_read | fs::perms::owner_write);
  const auto config = read_config(folder_);
  EXPECT_EQ(config.adhoc, http::AdhocMode::Read);
  EXPECT_EQ(config.adhoc_max_bytes, 2u * 1024 * 1024);
  EXPECT_EQ(config.adhoc_login.user, "READER");
  EXPECT_EQ(config.adhoc_login.password, "s3cret");
  EXPECT_TRUE(config.http.allow.contains("192.168.1.20"));
  EXPECT_TRUE(config.http.allow.contains("::1"));
  EXPECT_FALSE(config.http.allow.contains("192.168.2.20"));
  EXPECT_TRUE(config.http.trusted_proxies.contains("127.0.0.1"));
  EXPECT_TRUE(config.warnings.empty());
  // without the file: on, no cap, the main login, everyone, no proxy
  fs::remove(folder_ / "vantor.conf");
  const auto plain = read_config(folder_);
  EXPECT_EQ(plain.adhoc, http::AdhocMode::On);
  EXPECT_EQ(plain.adhoc_max_bytes, 0u);
  EXPECT_TRUE(plain.adhoc_login.user.empty());
  EXPECT_TRUE(plain.http.allow.empty());
  EXPECT_TRUE(plain.http.trusted_proxies.empty());
}

}  // namespace
}  // namespace vantor::shell
