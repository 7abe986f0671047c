// The server-side objects the upgrade installs: the inventory table and its triggers,
// the catalogue procedures and the price view, the posting and hotel procedures. Each
// is created by one statement on the connection it names.
#pragma once

#include <string_view>
#include <vector>

namespace vantor::schema {

// The upgrade's two connections: the main one, and the DDL one whose transactions do
// not wait on locks.
enum class Connection { Main, Ddl };

enum class Object {
  CrInventory,  // table MINVENTORY
  CrInvTr,      // trigger MINVENTORYTRIGGER1, first form
  CrInvTr2,     // trigger MINVENTORYTRIGGER2, first form
  MinvTr1,      // trigger MINVENTORYTRIGGER1, final form
  MinvTr2,      // trigger MINVENTORYTRIGGER2, final form
  DoPrice,      // procedure PPRICE
  CrProduct,    // procedure PRODUCT
  CrVPrices,    // view VPRICES
  CrMyInv2,     // procedure MYINV
  CrMyIte,      // procedure MYITE
  CrReserve,    // procedure MOBRSERVE
  DoRoom,       // procedure DOROOM (a booking across the whole range counts too)
};

struct SchemaObject {
  Object id;
  std::string_view name;
  Connection connection;
  std::string_view text;  // sent exactly as written
};

// Every object, in the order of their ids.
const std::vector<SchemaObject>& schema_objects();
const SchemaObject& schema_object(Object id);

// The stored body (from BEGIN) of the DOROOM that earlier versions installed: the
// upgrade replaces that one, and keeps a DOROOM that an ERP edited for itself.
std::string_view earlier_doroom_body();

}  // namespace vantor::schema
