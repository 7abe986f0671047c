// Server type -> column class, and XSQLVAR -> Cell.
#include "db/server_types.hpp"

#include <cmath>
#include <cstring>

#include "db/isc_time.hpp"
#include "text/latin1.hpp"

namespace vantor::db {
namespace {

template <typename T>
T load(const XSQLVAR& var) {
  T value;
  std::memcpy(&value, var.sqldata, sizeof(T));
  return value;
}

std::string_view raw_text(const XSQLVAR& var) {
  if ((var.sqltype & ~1) == SQL_VARYING) {
    const auto length = load<unsigned short>(var);
    return {var.sqldata + 2, length};
  }
  std::string_view text(var.sqldata, static_cast<std::size_t>(var.sqllen));
  // fixed-length values lose their trailing blanks
  const auto end = text.find_last_not_of(' ');
  return end == std::string_view::npos ? std::string_view{} : text.substr(0, end + 1);
}

std::int64_t load_whole(const XSQLVAR& var) {
  switch (var.sqltype & ~1) {
    case SQL_SHORT: return load<std::int16_t>(var);
    case SQL_LONG: return load<std::int32_t>(var);
    default: return load<std::int64_t>(var);
  }
}

double load_real(const XSQLVAR& var) {
  switch (var.sqltype & ~1) {
    case SQL_FLOAT: return load<float>(var);
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return load<double>(var);  // a scale on a double is never applied
    default: {
      const auto whole = static_cast<double>(load_whole(var));
      return var.sqlscale == 0 ? whole : whole / std::pow(10.0, -var.sqlscale);
    }
  }
}

void load_date_time(const XSQLVAR& var, Cell& cell) {
  switch (var.sqltype & ~1) {
    case SQL_TIMESTAMP: {
      const auto stamp = load<ISC_TIMESTAMP>(var);
      cell.date_time.day = day_from_isc(stamp.timestamp_date);
      cell.date_time.ticks = stamp.timestamp_time;
      break;
    }
    case SQL_TYPE_DATE: cell.date_time.day = day_from_isc(load<ISC_DATE>(var)); break;
    case SQL_TYPE_TIME: cell.date_time.ticks = load<ISC_TIME>(var); break;
    default: break;
  }
}

}  // namespace

ColumnClass class_of(const XSQLVAR& var) {
  switch (var.sqltype & ~1) {
    case SQL_VARYING: return ColumnClass::Text;
    case SQL_TEXT: return ColumnClass::FixedText;
    case SQL_SHORT:
    case SQL_LONG:
    case SQL_INT64:
      if (var.sqlscale == 0) {
        const int type = var.sqltype & ~1;
        return type == SQL_SHORT ? ColumnClass::Int16 : type == SQL_LONG ? ColumnClass::Int32 : ColumnClass::Int64;
      }
      return (var.sqltype & ~1) != SQL_INT64 && var.sqlscale >= -4 ? ColumnClass::Currency : ColumnClass::Decimal;
    case SQL_FLOAT: return ColumnClass::Float;
    case SQL_DOUBLE:
    case SQL_D_FLOAT: return ColumnClass::Double;
    case SQL_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TYPE_TIME: return ColumnClass::DateTime;
    case SQL_BLOB: return var.sqlsubtype == 1 ? ColumnClass::LongText : ColumnClass::Binary;
    case SQL_BOOLEAN: return ColumnClass::Boolean;
    default: return ColumnClass::Binary;
  }
}

BasicKind basic_kind_of(ColumnClass cls) {
  switch (cls) {
    case ColumnClass::Text:
    case ColumnClass::FixedText: return BasicKind::Text;
    case ColumnClass::Int16:
    case ColumnClass::Int32:
    case ColumnClass::Int64: return BasicKind::WholeNumber;
    case ColumnClass::Currency:
    case ColumnClass::Decimal:
    case ColumnClass::Double:
    case ColumnClass::Float: return BasicKind::RealNumber;
    case ColumnClass::DateTime: return BasicKind::DateTime;
    case ColumnClass::LongText:
    case ColumnClass::Binary: return BasicKind::Binary;
    case ColumnClass::Boolean: return BasicKind::Boolean;
  }
  return BasicKind::Other;
}

BasicKind basic_kind_of(const XSQLVAR& var) { return basic_kind_of(class_of(var)); }

Cell read_cell(const XSQLVAR& var, ColumnClass target, std::string& buffer) {
  Cell cell;
  cell.cls = target;
  if ((var.sqltype & ~1) == SQL_NULL || (var.sqlind != nullptr && *var.sqlind < 0)) return cell;
  cell.null = false;
  switch (basic_kind_of(target)) {
    case BasicKind::Text:
      buffer.clear();
      text::append_latin1_as_utf8(raw_text(var), buffer);
      cell.text = buffer;
      break;
    case BasicKind::WholeNumber:
    case BasicKind::Boolean:
      cell.whole = (var.sqltype & ~1) == SQL_BOOLEAN ? (*var.sqldata != 0 ? 1 : 0) : load_whole(var);
      break;
    case BasicKind::RealNumber:
      if (target == ColumnClass::Currency || target == ColumnClass::Decimal) {
        cell.whole = load_whole(var);
        cell.scale = -var.sqlscale;
      } else {
        cell.real = load_real(var);
      }
      break;
    case BasicKind::DateTime: load_date_time(var, cell); break;
    case BasicKind::Binary:
    case BasicKind::Other: break;  // blob contents are read on demand
  }
  return cell;
}

}  // namespace vantor::db
