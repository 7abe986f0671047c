// The settings table is the one place for a key and its default: the README's table, the
// shipped vantor.conf, --help and the server's own defaults must all agree with it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "shell/core/settings_file.hpp"
#include "shell/core/settings_table.hpp"

namespace vantor::shell {
namespace {

std::string source_file(const std::string& name) {
  const char* root = std::getenv("VANTOR_SOURCE_DIR");
  std::ifstream file(std::string(root != nullptr ? root : VANTOR_SOURCE_DIR_DEFAULT) + "/" + name);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

std::map<std::string, std::string> table_defaults() {
  std::map<std::string, std::string> defaults;
  for (const Setting& setting : settings_table()) defaults[std::string(setting.key)] = setting.default_text;
  return defaults;
}

TEST(SettingsTable, TheReadmeTableNamesEveryKeyWithItsDefault) {
  // rows of the form | `key` | default | meaning |
  const std::regex row(R"(\n\| `([a-z_]+)` \| ([^|]*[^ |]) \| [^\n]*)");
  std::string readme = source_file("README.md");
  const auto section = readme.find("\n## Configuration");
  ASSERT_NE(section, std::string::npos);
  readme = readme.substr(section, readme.find("\n## ", section + 1) - section);
  std::map<std::string, std::string> documented;
  for (std::sregex_iterator it(readme.begin(), readme.end(), row), end; it != end; ++it) {
    documented[(*it)[1]] = (*it)[2];
  }
  EXPECT_EQ(documented, table_defaults());
}

TEST(SettingsTable, TheShippedFileShowsEveryKeyAndEveryDefaultValue) {
  const std::regex line(R"(\n# ([a-z_]+) = ([^ \n]+))");
  const std::string shipped = source_file("packaging/vantor.conf");
  std::map<std::string, std::string> shown;
  for (std::sregex_iterator it(shipped.begin(), shipped.end(), line), end; it != end; ++it) {
    shown[(*it)[1]] = (*it)[2];
  }
  for (const Setting& setting : settings_table()) {
    SCOPED_TRACE(std::string(setting.key));
    const auto found = shown.find(std::string(setting.key));
    ASSERT_NE(found, shown.end());
    if (!setting.default_value.empty()) {
      EXPECT_EQ(found->second, setting.default_value);
    }
    shown.erase(found);
  }
  EXPECT_TRUE(shown.empty()) << shown.begin()->first << " is not a key";
}

TEST(SettingsTable, HelpNamesEveryKeyWithItsDefault) {
  const std::string help = settings_help();
  for (const Setting& setting : settings_table()) {
    const std::string_view value = setting.default_value.empty() ? setting.placeholder : setting.default_value;
    EXPECT_NE(help.find("  " + std::string(setting.key) + " = " + std::string(value)), std::string::npos)
        << setting.key;
  }
}

// The structs keep their own defaults for code that builds them directly (the tests):
// they must be the table's.
TEST(SettingsTable, TheDefaultsOfTheStructsAreTheTables) {
  ServerConfig built;
  ServerConfig applied;
  applied.db.lock_timeout = std::chrono::seconds(99);  // so that the defaults must set it
  apply_defaults(applied);
  EXPECT_EQ(applied.db.lock_timeout, built.db.lock_timeout);
  EXPECT_EQ(applied.db.connect_timeout, built.db.connect_timeout);
  EXPECT_EQ(applied.db.probe_interval, built.db.probe_interval);
  EXPECT_EQ(applied.db.probe_timeout, built.db.probe_timeout);
  EXPECT_EQ(applied.db.idle_check, built.db.idle_check);
  EXPECT_EQ(applied.db.round_trip_silence, built.db.round_trip_silence);
  EXPECT_EQ(applied.adhoc_timeout, built.adhoc_timeout);
  EXPECT_EQ(applied.db.user, built.db.user);
  EXPECT_EQ(applied.http.stop_grace, built.http.stop_grace);
  EXPECT_EQ(applied.http.answer_budget, built.http.answer_budget);
  EXPECT_EQ(applied.http.queue_bound, built.http.queue_bound);
  EXPECT_EQ(applied.no_check_digit, built.no_check_digit);
  EXPECT_EQ(applied.access_log, built.access_log);
  EXPECT_EQ(applied.echo, built.echo);
  EXPECT_EQ(applied.adhoc, built.adhoc);
  EXPECT_EQ(applied.adhoc_max_bytes, built.adhoc_max_bytes);
}

}  // namespace
}  // namespace vantor::shell
