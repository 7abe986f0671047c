// How the server's column types map to column classes and to the basic kinds that a
// declared column must match.
#pragma once

#include <ibase.h>

#include <string>

#include "db/cell.hpp"

namespace vantor::db {

enum class BasicKind { Text, WholeNumber, RealNumber, DateTime, Binary, Boolean, Other };

ColumnClass class_of(const XSQLVAR& var);
BasicKind basic_kind_of(const XSQLVAR& var);
BasicKind basic_kind_of(ColumnClass cls);

// Reads the value of var into a cell of class target; text goes through buffer.
Cell read_cell(const XSQLVAR& var, ColumnClass target, std::string& buffer);

}  // namespace vantor::db
