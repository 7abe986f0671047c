// Copies of the template databases, and small helpers to read and write them directly.
#include "tests/support/test_database.hpp"

#include <unistd.h>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "db/attachment.hpp"
#include "db/server_types.hpp"
#include "db/statement.hpp"
#include "db/transaction.hpp"
#include "text/calendar.hpp"
#include "text/latin1.hpp"

namespace vantor::test {
namespace {

std::string number_text(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof(buffer), value);
  return std::string(buffer, result.ptr);
}

std::string two_digits(int value) {
  const char digits[] = {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
  return std::string(digits, 2);
}

std::string value_text(const XSQLVAR& var, db::Statement& statement, db::Transaction& transaction, int column) {
  std::string buffer;
  const db::Cell cell = db::read_cell(var, db::class_of(var), buffer);
  if (cell.null) return "<null>";
  switch (cell.cls) {
    case db::ColumnClass::Text:
    case db::ColumnClass::FixedText: return std::string(cell.text);
    case db::ColumnClass::Int16:
    case db::ColumnClass::Int32:
    case db::ColumnClass::Int64:
    case db::ColumnClass::Boolean: return std::to_string(cell.whole);
    case db::ColumnClass::Currency:
    case db::ColumnClass::Decimal: {
      double value = static_cast<double>(cell.whole);
      for (int i = 0; i < cell.scale; ++i) value /= 10;
      return number_text(value);
    }
    case db::ColumnClass::Double:
    case db::ColumnClass::Float: return number_text(cell.real);
    case db::ColumnClass::DateTime: {
      const auto date = text::civil_from_days(cell.date_time.day);
      std::string text = std::to_string(date.year) + "-" + two_digits(date.month) + "-" + two_digits(date.day);
      if (cell.date_time.ticks != 0) {
        const unsigned seconds = cell.date_time.ticks / text::kTicksPerSecond;
        text += " " + two_digits(static_cast<int>(seconds / 3600)) + ":" +
                two_digits(static_cast<int>(seconds / 60 % 60)) + ":" + two_digits(static_cast<int>(seconds % 60));
      }
      return text;
    }
    case db::ColumnClass::LongText:
    case db::ColumnClass::Binary: return text::latin1_to_utf8(statement.read_blob(transaction, column));
  }
  return "?";
}

}  // namespace

std::string test_db_dir() {
  const char* dir = std::getenv("VANTOR_TEST_DB_DIR");
  return dir != nullptr ? dir : VANTOR_TEST_DB_DIR_DEFAULT;
}

TestDatabase::TestDatabase(Template source) {
  static std::atomic<int> counter{0};
  const std::string dir = test_db_dir();
  const std::string from = dir + (source == Template::Erp ? "/erp.fdb" : "/upgraded.fdb");
  path_ = dir + "/t" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + ".fdb";
  std::filesystem::copy_file(from, path_, std::filesystem::copy_options::overwrite_existing);
  std::filesystem::permissions(path_, std::filesystem::perms(0666));
}

TestDatabase::~TestDatabase() {
  std::error_code ignored;
  std::filesystem::remove(path_, ignored);
}

void TestDatabase::execute(std::string_view sql) const {
  auto attachment = db::Attachment::attach(connection_string());
  db::Transaction transaction(attachment, db::TransactionKind::ReadWrite);
  attachment.execute_immediate(transaction, text::utf8_to_latin1(sql));
  transaction.commit();
}

std::vector<std::vector<std::string>> TestDatabase::rows(std::string_view sql, Access access) const {
  auto attachment = db::Attachment::attach(connection_string());
  db::Transaction transaction(attachment,
                              access == Access::Write ? db::TransactionKind::ReadWrite : db::TransactionKind::ReadOnly);
  std::vector<std::vector<std::string>> result;
  {
    db::Statement statement(attachment, transaction, text::utf8_to_latin1(sql));
    statement.execute(transaction);
    while (statement.fetch()) {
      std::vector<std::string> row;
      for (int i = 0; i < statement.output_count(); ++i) {
        row.push_back(value_text(statement.output(i), statement, transaction, i));
      }
      result.push_back(std::move(row));
    }
  }
  transaction.commit();
  return result;
}

std::string TestDatabase::scalar(std::string_view sql) const {
  const auto all = rows(sql);
  return all.empty() || all.front().empty() ? "<none>" : all.front().front();
}

struct RowLock::Held {
  db::Attachment attachment;
  db::Transaction transaction;
};

RowLock::RowLock(const TestDatabase& database, std::string_view update) : held_(std::make_unique<Held>()) {
  held_->attachment = db::Attachment::attach(database.connection_string());
  held_->transaction = db::Transaction(held_->attachment, db::TransactionKind::ReadWrite);
  held_->attachment.execute_immediate(held_->transaction, update);
}

RowLock::~RowLock() { release(); }

void RowLock::release(bool commit) {
  if (!held_->transaction.active()) return;
  if (commit) {
    held_->transaction.commit();
  } else {
    held_->transaction.rollback();
  }
}

}  // namespace vantor::test
