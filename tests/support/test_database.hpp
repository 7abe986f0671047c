// Fresh test databases for tests that touch the database: each is a copy of a template
// made by the test command, reached through the Firebird server on localhost.
#pragma once

#include <memory>

#include <string>
#include <string_view>
#include <vector>

namespace vantor::test {

enum class Template {
  Erp,       // the ERP objects and the test data only
  Upgraded,  // the same after the schema upgrade ran twice
};

// Folder of the test databases (VANTOR_TEST_DB_DIR).
std::string test_db_dir();

enum class Access { Read, Write };

class TestDatabase {
 public:
  explicit TestDatabase(Template source = Template::Upgraded);
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;
  ~TestDatabase();

  const std::string& path() const { return path_; }
  std::string connection_string() const { return "localhost:" + path_; }

  // Runs statements (no parameters) in one transaction and commits; throws DbError.
  void execute(std::string_view sql) const;
  // The rows of a select, each value as text: NULL as "<null>", numbers in their
  // shortest form, dates as yyyy-mm-dd with " hh:mm:ss" unless at midnight.
  // A select that writes (a procedure that updates) needs Access::Write.
  std::vector<std::vector<std::string>> rows(std::string_view sql, Access access = Access::Read) const;
  // The first value of the first row ("<none>" when there is no row).
  std::string scalar(std::string_view sql) const;

 private:
  std::string path_;
};

// A second attachment that changes rows and keeps its transaction open, as an ERP user
// in an open edit does: the rows stay locked until release().
class RowLock {
 public:
  RowLock(const TestDatabase& database, std::string_view update);
  ~RowLock();
  // Commits (or rolls back) and so releases the rows.
  void release(bool commit = false);

 private:
  struct Held;
  std::unique_ptr<Held> held_;
};

}  // namespace vantor::test
