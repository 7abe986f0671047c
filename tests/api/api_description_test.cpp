// The API description and the reference for client developers: both are current (made
// again and compared; VANTOR_REGENERATE=1 writes them), the description passes Redocly's
// linter, and real answers from the test database fit it.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "encode/finish_response.hpp"
#include "http/openapi.hpp"
#include "http/request_context.hpp"
#include "http/route_table.hpp"
#include "tests/support/route_examples.hpp"
#include "tests/support/run_command.hpp"
#include "tests/support/server_process.hpp"
#include "tests/support/test_server.hpp"

namespace vantor::test {
namespace {

std::filesystem::path source_dir() {
  const char* root = std::getenv("VANTOR_SOURCE_DIR");
  return root != nullptr ? root : VANTOR_SOURCE_DIR_DEFAULT;
}

std::string read_file(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const std::filesystem::path& file, const std::string& text) {
  std::ofstream(file, std::ios::binary) << text;
}

// A document of the repository is what was made now; with VANTOR_REGENERATE set it is
// written anew instead.
void expect_current(const std::string& name, const std::string& made) {
  const auto file = source_dir() / name;
  if (std::getenv("VANTOR_REGENERATE") != nullptr) write_file(file, made);
  EXPECT_TRUE(read_file(file) == made) << name << " is not what the program makes now: run the api_tests with "
                                       << "VANTOR_REGENERATE=1 and look at the difference";
}

TEST(ApiDescription, TheDocumentInTheRepositoryIsWhatTheProgramPrints) {
  TestDatabase database;
  ServerProcess program(std::nullopt, database.connection_string(), "vantor-server", {.arguments = {"--openapi"}});
  ASSERT_EQ(program.wait_for_exit(), 0) << program.error();
  expect_current("docs/openapi.json", program.output());
}

TEST(ApiDescription, RedoclysLinterFindsNothingWrong) {
  const auto api = source_dir() / "tests/api";
  const auto [output, status] =
      run_command("cd " + api.string() + " && node_modules/.bin/redocly lint --config redocly.yaml " +
                  (source_dir() / "docs/openapi.json").string());
  EXPECT_EQ(status, 0) << output;
}

TEST(ApiDescription, RealAnswersFitTheDescription) {
  TestServer server;
  server.options().json_escape_controls = true;
  const auto folder = std::filesystem::temp_directory_path() / ("vantor-api-" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  int n = 0;
  const auto keep = [&](std::string_view route, std::string_view kind, const std::string& target) {
    const auto answer = server.get(target);
    const auto base = folder / std::to_string(n++);
    write_file(base.string() + ".path", std::string(route));
    write_file(base.string() + ".kind", std::string(kind));
    write_file(base.string() + ".type", answer.header("Content-Type"));
    write_file(base.string() + ".body", answer.body);
  };
  for (const auto& route : http::route_table()) {
    const bool rows = route.answer == http::AnswerForm::LowerKeys || route.answer == http::AnswerForm::StoredNames;
    if (rows && route.writes != http::Writes::Yes)
      keep(route.path, "data", route_examples().at(std::string(route.path)));
  }
  keep("/price", "error", "/price?code=123456789012345678901");
  keep("/whqty", "error", "/whqty?code=" + std::string(30, '9'));
  server.options().adhoc = http::AdhocMode::Off;
  keep("/myjson", "fallback", "/myjson?query=*+from+company");
  server.options().adhoc = http::AdhocMode::On;
  const auto [output, status] =
      run_command("/usr/bin/python3 " + (source_dir() / "tests/api/check_answers.py").string() + " " +
                  (source_dir() / "docs/openapi.json").string() + " " + folder.string());
  EXPECT_EQ(status, 0) << output;
  std::cout << output;
  // the empty answer has no bytes and no Content-Type
  EXPECT_EQ(encode::empty_answer().body, "");
  EXPECT_EQ(encode::empty_answer().content_type, "");
  std::filesystem::remove_all(folder);
}

// The reference for people: each route with its purpose, its parameters, and an example
// request with its answer from the test database.
std::string reference(TestServer& server) {
  std::string out =
      "# API reference\n\n"
      "Made from the route table by `tests/api/api_description_test.cpp` (run the `api_tests` with\n"
      "`VANTOR_REGENERATE=1` to write it again); the examples are real answers from the test database.\n"
      "The same facts, with every answer's keys and value forms, are in [openapi.json](openapi.json)\n"
      "(OpenAPI 3.1; also at `/openapi.json` on the admin listener and from `vantor-server --openapi`).\n\n"
      "Every route answers status 200; the body tells what happened. Beside its data a route may\n"
      "answer \"Some Error !!\" (`text/html; charset=ISO-8859-1`) when the request fails, or the empty\n"
      "answer (no Content-Type, no body) when the database cannot be reached; the routes that run the\n"
      "caller's statement answer \"Bye Bye \" (`text/json; charset=utf-8`) when they are closed, too\n"
      "slow or too big. JSON answers are written by the server's own rules: numbers with two\n"
      "decimals, `\\/` for a slash, apostrophes and a text's double quotes blanked, control\n"
      "characters raw inside strings unless `json_escape_controls = on`.\n";
  for (const auto& route : http::route_table()) {
    out += "\n## " + std::string(route.path) + "\n\n" + http::route_description(route) + "\n";
    if (!route.params.empty()) {
      out += "\n| # | parameter | how it is read |\n|---|---|---|\n";
      int position = 0;
      for (const auto& param : route.params) {
        ++position;
        out += "| " + std::to_string(position) + " | `" + std::string(param.name) + "` | " +
               http::parameter_description(route, param, position) + " |\n";
      }
    }
    const std::string& target = route_examples().at(std::string(route.path));
    const auto answer = server.get(target);
    std::string body = answer.body;
    if (body.size() > 700) body = body.substr(0, 700) + "…(" + std::to_string(answer.body.size()) + " bytes in all)";
    out += "\n`GET " + target + "` answers `" + answer.header("Content-Type") + "`:\n\n```\n" + body + "\n```\n";
  }
  return out;
}

TEST(ApiReference, TheReferenceInTheRepositoryIsCurrent) {
  TestServer server;
  expect_current("docs/api.md", reference(server));
}

}  // namespace
}  // namespace vantor::test
