// What the server starts with, read from port.txt and ip.txt in a folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

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

}  // namespace
}  // namespace vantor::shell
