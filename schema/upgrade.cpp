// The upgrade sequence, step by step.
#include "schema/upgrade.hpp"

#include <initializer_list>
#include <mutex>
#include <optional>
#include <string_view>

#include "db/attachment_pool.hpp"
#include "db/db_error.hpp"
#include "text/latin1.hpp"
#include "db/transaction.hpp"
#include "db/upgrade_gate.hpp"
#include "schema/schema_statements.hpp"

namespace vantor::schema {
namespace {

// A connection that opens itself when a statement runs while it is closed; every
// statement commits on its own.
class UpgradeConnection {
 public:
  UpgradeConnection(SchemaUpgrade::Connector connect, db::TransactionKind kind)
      : connect_(std::move(connect)), kind_(kind) {}

  void connect() {
    if (!attachment_.attached()) attachment_ = connect_();
  }
  void disconnect() { attachment_.detach(); }

  // Runs the statements in one transaction; throws on the first failure (nothing of
  // the group is kept then).
  void execute(std::initializer_list<std::string_view> texts) {
    connect();
    db::Transaction transaction(attachment_, kind_);
    for (std::string_view text : texts) attachment_.execute_immediate(transaction, text::utf8_to_latin1(text));
    transaction.commit();
  }

 private:
  SchemaUpgrade::Connector connect_;
  db::TransactionKind kind_;
  db::Attachment attachment_;
};

std::string_view text_of(std::string_view name) { return schema_statement(name).text; }

// Runs the statements of one step in order, each committing on its own; the first
// failure ends the step silently. Returns whether the whole step succeeded.
bool step(UpgradeConnection& connection, std::initializer_list<std::string_view> texts) {
  try {
    for (std::string_view text : texts) connection.execute({text});
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

SchemaUpgrade::SchemaUpgrade(Connector main, Connector ddl) : main_(std::move(main)), ddl_(std::move(ddl)) {}

SchemaUpgrade::SchemaUpgrade(const std::string& database)
    : SchemaUpgrade([database] { return db::Attachment::attach(database); },
                    [database] { return db::Attachment::attach(database); }) {}

UpgradeOutcome SchemaUpgrade::run() {
  UpgradeConnection main(main_, db::TransactionKind::ReadWrite);
  UpgradeConnection ddl(ddl_, db::TransactionKind::ReadWriteNoWait);
  try {
    ddl.connect();  // checked before anything is dropped
  } catch (const std::exception& failure) {
    return {false, std::string("update stopped, nothing changed: the DDL connection cannot be opened: ") +
                       failure.what()};
  }
  try {
    step(ddl, {text_of("crmyinv2")});                                              // 1
    step(main, {"alter table minventory add note varchar(20)"});                    // 2
    if (!step(ddl, {text_of("crmyite")})) {                                        // 3
      step(main, {"drop procedure product"});                                       // 3.1
      step(ddl, {text_of("crproduct")});                                           // 3.2
      step(main, {"drop procedure MOBRSERVE"});                                     // 3.3
      step(ddl, {text_of("CRRESERVE")});                                           // 3.4
      step(ddl, {text_of("doroom")});                                              // 3.5
    }
    step(ddl, {"drop  VIEW VPRICES"});                                              // 4
    step(ddl, {text_of("crvprices")});                                             // 5
    step(ddl, {"DROP TRIGGER MINVENTORYTRIGGER1", "DROP TRIGGER MINVENTORYTRIGGER2"});  // 6
    step(ddl, {"ALTER TABLE MINVENTORY ALTER COLUMN DESCR1 TYPE VARCHAR(102)"});    // 7
    ddl.disconnect();
    step(main, {"alter table minventory add pack mycurr"});                         // 8
    step(main, {"alter table minventory add note varchar(20)"});                    // 9
    step(main, {"alter table minventory add item varchar(20)"});                    // 10
    step(main, {"drop procedure pprice"});                                          // 11
    step(main, {"drop procedure MYINV"});                                           // 12
    step(main, {"drop procedure MYITE"});                                           // 13
    step(main, {text_of("DOPRICE")});                                              // 14
    step(main, {text_of("crinventory")});                                          // 15
    step(main, {text_of("crinvtr")});                                              // 16
    step(ddl, {text_of("crmyite")});                                               // 17
    step(main, {text_of("crinvtr2")});                                             // 18
    step(main, {"ALTER TABLE MINVENTORY  ADD CONSTRAINT MINVENTORYPRIMARYKEY1  PRIMARY KEY (ID)"});  // 19
    step(main, {"CREATE ASCENDING INDEX MINVENTORYINDEX1 ON MINVENTORY (DEVICEID)",
                "CREATE ASCENDING INDEX MINVENTORYINDEX2 ON MINVENTORY (BARCODE)"});  // 20
    step(main, {"alter table minventory add costus mycurr"});                       // 21
    // 22: one transaction, so a failure of the second cannot leave every QTY raised
    try {
      main.execute({"update minventory set qty=qty+1", "update minventory set qty=qty-1"});
    } catch (const std::exception&) {
    }
    step(ddl, {text_of("crmyinv2")});                                              // 23
    ddl.connect();
    step(ddl, {"DROP TRIGGER MINVENTORYTRIGGER1", "DROP TRIGGER MINVENTORYTRIGGER2"});  // 24
    step(ddl, {text_of("MINVTR1"), text_of("MINVTR2")});                           // 25
    ddl.disconnect();
  } catch (const std::exception& failure) {
    return {false, std::string("update stopped: ") + failure.what()};
  }
  return {true, "update finished"};
}

UpgradeOutcome RzBitBtn2Click(db::UpgradeGate& gate, db::AttachmentPool& pool) {
  std::lock_guard hold(gate);
  pool.detach_all();
  const auto outcome = SchemaUpgrade(pool.database()).run();
  pool.detach_all();  // statements prepared before are stale
  return outcome;
}

}  // namespace vantor::schema
