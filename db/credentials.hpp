// The fixed login of both connections; no login dialog, nothing configurable.
#pragma once

namespace vantor::db {

inline constexpr const char* kUserName = "SYSDBA";
inline constexpr const char* kPassword = "masterkey";
// Dialect 1: a DATE carries a time of day, wide exact numerics are doubles.
inline constexpr unsigned short kSqlDialect = 1;

}  // namespace vantor::db
