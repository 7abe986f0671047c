// With json_escape_controls on, every JSON answer is RFC 8259 JSON: Python's json.loads
// and Node's JSON.parse read it, and the strings they read are those a lenient parser
// reads from the answer as it is by default (raw line breaks in a Base64 picture).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "http/route_table.hpp"
#include "tests/support/route_examples.hpp"
#include "tests/support/run_command.hpp"
#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

// One request for each route that answers JSON and writes nothing.
std::vector<std::string> json_targets() {
  std::vector<std::string> targets;
  for (const auto& route : http::route_table()) {
    if (route.answer == http::AnswerForm::Page || route.answer == http::AnswerForm::Confirmation) continue;
    if (route.writes == http::Writes::Yes) continue;
    targets.push_back(route_examples().at(std::string(route.path)));
  }
  return targets;
}

void write_file(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

TEST(JsonForParsers, EveryRouteHasAnExample) {
  for (const auto& route : http::route_table())
    EXPECT_TRUE(route_examples().count(std::string(route.path))) << route.path;
}

TEST(JsonForParsers, EscapedAnswersAreReadByEveryParserAsTheLenientOneReadsTheDefault) {
  TestServer server;
  const auto targets = json_targets();
  const auto folder = std::filesystem::temp_directory_path() / ("vantor-json-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  std::size_t with_controls = 0;
  for (std::size_t i = 0; i < targets.size(); ++i) {
    SCOPED_TRACE(targets[i]);
    server.options().json_escape_controls = false;
    const std::string raw = server.body(targets[i]);
    server.options().json_escape_controls = true;
    const std::string escaped = server.body(targets[i]);
    ASSERT_EQ(raw.front(), '[') << raw;
    with_controls += raw != escaped ? 1 : 0;
    write_file(folder / (std::to_string(i) + ".raw"), raw);
    write_file(folder / (std::to_string(i) + ".escaped"), escaped);
  }
  server.options().json_escape_controls = false;
  EXPECT_GE(with_controls, 1u);  // the picture's line breaks at least
  const auto picture = static_cast<std::size_t>(
      std::find(targets.begin(), targets.end(), route_examples().at("/product_images")) - targets.begin());

  const std::string count = std::to_string(targets.size());
  const auto python = run_command(
      "/usr/bin/python3 -c '\nimport json, sys\nfolder, n = sys.argv[1], int(sys.argv[2])\n"
      "for i in range(n):\n"
      "    raw = open(f\"{folder}/{i}.raw\", encoding=\"utf-8\", newline=\"\").read()\n"
      "    escaped = open(f\"{folder}/{i}.escaped\", encoding=\"utf-8\", newline=\"\").read()\n"
      "    assert json.loads(escaped) == json.loads(raw, strict=False), i\n"
      "print(\"python read\", n)' " +
      folder.string() + " " + count);
  EXPECT_EQ(python.second, 0) << python.first;
  const auto node = run_command(
      "node -e '\nconst fs = require(\"fs\");\nconst [folder, n] = process.argv.slice(1);\n"
      "for (let i = 0; i < Number(n); i++) JSON.parse(fs.readFileSync(`${folder}/${i}.escaped`, \"utf8\"));\n"
      "console.log(\"node read\", n);' " +
      folder.string() + " " + count);
  EXPECT_EQ(node.second, 0) << node.first;
  // and the answer as it is by default is what strict parsers refuse
  const auto refused = run_command("node -e 'JSON.parse(require(\"fs\").readFileSync(process.argv[1], \"utf8\"))' " +
                                   (folder / (std::to_string(picture) + ".raw")).string());
  EXPECT_NE(refused.second, 0);
  EXPECT_NE(refused.first.find("control character"), std::string::npos) << refused.first;
  if (!HasFailure()) std::filesystem::remove_all(folder);  // kept to look at otherwise
}

}  // namespace
}  // namespace vantor::test
