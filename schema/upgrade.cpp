// The upgrade sequence, step by step.
#include "schema/upgrade.hpp"

#include <unistd.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "db/db_error.hpp"
#include "db/statement.hpp"
#include "db/transaction.hpp"
#include "schema/object_forms.hpp"
#include "schema/schema_objects.hpp"
#include "schema/upgrade_report.hpp"
#include "text/latin1.hpp"

namespace vantor::schema {
namespace {

// A connection that opens itself when a statement runs while it is closed; every
// statement commits on its own.
class UpgradeConnection {
 public:
  UpgradeConnection(SchemaUpgrade::Connector connect, db::TransactionKind kind, Failures& failures)
      : connect_(std::move(connect)), kind_(kind), failures_(failures) {}

  void connect() {
    if (!attachment_.attached()) attachment_ = connect_();
  }
  void disconnect() { attachment_.detach(); }

  // The text of the one row a select gives (a blob or NULL in its first column), or
  // nullopt when there is no row or it is NULL.
  std::optional<std::string> read_text(std::string_view select) {
    connect();
    db::Transaction transaction(attachment_, db::TransactionKind::ReadOnly);
    db::Statement statement(attachment_, transaction, text::utf8_to_latin1(select));
    if (!statement.execute_single(transaction)) return std::nullopt;
    const XSQLVAR& column = statement.output(0);
    if ((column.sqltype & 1) != 0 && *column.sqlind < 0) return std::nullopt;
    return text::latin1_to_utf8(statement.read_blob(transaction, 0));
  }

  void note_failure(std::string_view statement, const std::exception& failure) {
    failures_[named_object(statement)].emplace_back(failure.what());
  }

  // Runs the statements in one transaction; throws on the first failure (nothing of
  // the group is kept then).
  void execute(std::initializer_list<std::string_view> texts) {
    connect();
    db::Transaction transaction(attachment_, kind_);
    for (std::string_view statement : texts) {
      attachment_.execute_immediate(transaction, text::utf8_to_latin1(statement));
    }
    transaction.commit();
  }

 private:
  SchemaUpgrade::Connector connect_;
  db::TransactionKind kind_;
  Failures& failures_;
  db::Attachment attachment_;
};

// Runs the statements of one step in order, each committing on its own; the first
// failure ends the step silently. Returns whether the whole step succeeded.
template <typename Texts>
bool run_step(UpgradeConnection& connection, const Texts& texts) {
  for (std::string_view text : texts) {
    try {
      connection.execute({text});
    } catch (const std::exception& failure) {
      connection.note_failure(text, failure);
      return false;
    }
  }
  return true;
}

bool step(UpgradeConnection& connection, std::initializer_list<std::string_view> texts) {
  return run_step(connection, texts);
}

// The two connections; an object is created on the one it names.
struct Connections {
  UpgradeConnection main;
  UpgradeConnection ddl;

  UpgradeConnection& of(Connection connection) { return connection == Connection::Main ? main : ddl; }
};

// Creates the objects of one step in order, on the connection they name.
bool install(Connections& connections, std::initializer_list<Object> objects) {
  std::vector<std::string_view> texts;
  for (Object object : objects) texts.push_back(schema_object(object).text);
  return run_step(connections.of(schema_object(*objects.begin()).connection), texts);
}

// Replaces a DOROOM that still has the body earlier versions installed with the mended
// one; a DOROOM that the ERP edited for itself is kept as it is.
void refresh_doroom(Connections& connections) {
  const SchemaObject& doroom = schema_object(Object::DoRoom);
  UpgradeConnection& connection = connections.of(doroom.connection);
  try {
    const auto stored =
        connection.read_text("select rdb$procedure_source from rdb$procedures where rdb$procedure_name = 'DOROOM'");
    if (!stored || !is_earlier_doroom(*stored)) return;
    std::string alter(doroom.text);
    alter.replace(0, std::string_view("CREATE").size(), "ALTER");
    connection.execute({alter});
  } catch (const std::exception& failure) {
    // like every step: its failure is swallowed and the sequence goes on
    connection.note_failure(doroom.text, failure);
  }
}

// Attachments to the database other than those of this process: whatever they hold
// prepared cannot be dropped or replaced.
std::optional<long> other_attachments(UpgradeConnection& main) {
  try {
    const auto count = main.read_text(
        "select cast(cast(count(*) as varchar(18)) as blob sub_type text) from mon$attachments "
        "where mon$system_flag = 0 and mon$attachment_id <> current_connection "
        "and coalesce(mon$remote_pid, 0) <> " +
        std::to_string(::getpid()));
    if (count) return std::stol(*count);
  } catch (const std::exception&) {
  }
  return std::nullopt;  // a login that may not see them
}

// "update finished", followed by each object that has not its new form, and why.
std::string checked_line(UpgradeConnection& main, const Failures& failures, std::optional<long> others) {
  std::vector<ObjectForm> forms;
  try {
    forms = object_forms([&](std::string_view select) { return main.read_text(select); });
  } catch (const std::exception& failure) {
    return std::string("update finished; its objects could not be checked: ") + failure.what();
  }
  return finished_line(forms, failures, others);
}

}  // namespace

SchemaUpgrade::SchemaUpgrade(Connector main, Connector ddl) : main_(std::move(main)), ddl_(std::move(ddl)) {}

SchemaUpgrade::SchemaUpgrade(const std::string& database, const db::DatabaseSettings& settings)
    : SchemaUpgrade([database, settings] { return db::Attachment::attach(database, settings); },
                    [database, settings] { return db::Attachment::attach(database, settings); }) {}

UpgradeOutcome SchemaUpgrade::run(const std::function<void(const std::string&)>& tell) {
  Failures failures;
  Connections connections{UpgradeConnection(main_, db::TransactionKind::ReadWrite, failures),
                          UpgradeConnection(ddl_, db::TransactionKind::ReadWriteNoWait, failures)};
  UpgradeConnection& main = connections.main;
  UpgradeConnection& ddl = connections.ddl;
  try {
    ddl.connect();  // checked before anything is dropped
  } catch (const std::exception& failure) {
    return {false,
            std::string("update stopped, nothing changed: the DDL connection cannot be opened: ") + failure.what()};
  }
  const auto others = other_attachments(main);
  if (tell) tell(starting_line(others));
  try {
    install(connections, {Object::CrMyInv2});                     // 1
    step(main, {"alter table minventory add note varchar(20)"});  // 2
    if (!install(connections, {Object::CrMyIte})) {               // 3
      step(main, {"drop procedure product"});                     // 3.1
      install(connections, {Object::CrProduct});                  // 3.2
      step(main, {"drop procedure MOBRSERVE"});                   // 3.3
      install(connections, {Object::CrReserve});                  // 3.4
      install(connections, {Object::DoRoom});                     // 3.5
    }
    refresh_doroom(connections);
    step(ddl, {"drop  VIEW VPRICES"});                                                  // 4
    install(connections, {Object::CrVPrices});                                          // 5
    step(ddl, {"DROP TRIGGER MINVENTORYTRIGGER1", "DROP TRIGGER MINVENTORYTRIGGER2"});  // 6
    step(ddl, {"ALTER TABLE MINVENTORY ALTER COLUMN DESCR1 TYPE VARCHAR(102)"});        // 7
    ddl.disconnect();
    step(main, {"alter table minventory add pack mycurr"});                                          // 8
    step(main, {"alter table minventory add note varchar(20)"});                                     // 9
    step(main, {"alter table minventory add item varchar(20)"});                                     // 10
    step(main, {"drop procedure pprice"});                                                           // 11
    step(main, {"drop procedure MYINV"});                                                            // 12
    step(main, {"drop procedure MYITE"});                                                            // 13
    install(connections, {Object::DoPrice});                                                         // 14
    install(connections, {Object::CrInventory});                                                     // 15
    install(connections, {Object::CrInvTr});                                                         // 16
    install(connections, {Object::CrMyIte});                                                         // 17
    install(connections, {Object::CrInvTr2});                                                        // 18
    step(main, {"ALTER TABLE MINVENTORY  ADD CONSTRAINT MINVENTORYPRIMARYKEY1  PRIMARY KEY (ID)"});  // 19
    step(main, {"CREATE ASCENDING INDEX MINVENTORYINDEX1 ON MINVENTORY (DEVICEID)",
                "CREATE ASCENDING INDEX MINVENTORYINDEX2 ON MINVENTORY (BARCODE)"});  // 20
    step(main, {"alter table minventory add costus mycurr"});                         // 21
    // 22: one transaction, so a failure of the second cannot leave every QTY raised
    try {
      main.execute({"update minventory set qty=qty+1", "update minventory set qty=qty-1"});
    } catch (const std::exception&) {
    }
    install(connections, {Object::CrMyInv2});  // 23
    ddl.connect();
    step(ddl, {"DROP TRIGGER MINVENTORYTRIGGER1", "DROP TRIGGER MINVENTORYTRIGGER2"});  // 24
    install(connections, {Object::MinvTr1, Object::MinvTr2});                           // 25
    ddl.disconnect();
  } catch (const std::exception& failure) {
    return {false, std::string("update stopped: ") + failure.what()};
  }
  return {true, checked_line(main, failures, others)};
}

}  // namespace vantor::schema
