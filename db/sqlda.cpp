// XSQLDA memory and per-variable buffers.
#include "db/sqlda.hpp"

#include <cstring>
#include <new>

namespace vantor::db {
namespace {

std::size_t data_size(const XSQLVAR& var) {
  switch (var.sqltype & ~1) {
    case SQL_VARYING: return static_cast<std::size_t>(var.sqllen) + 2;
    case SQL_TEXT: return var.sqllen > 0 ? static_cast<std::size_t>(var.sqllen) : 1;  // '' is CHAR(0)
    default: return var.sqllen > 0 ? static_cast<std::size_t>(var.sqllen) : 8;
  }
}

}  // namespace

Sqlda::Sqlda(short capacity) { reserve(capacity); }

void Sqlda::reserve(short count) {
  if (count < 1) count = 1;
  auto* raw = static_cast<XSQLDA*>(::operator new(XSQLDA_LENGTH(count)));
  std::memset(raw, 0, XSQLDA_LENGTH(count));
  raw->version = SQLDA_VERSION1;
  raw->sqln = count;
  sqlda_.reset(raw);
  buffers_.assign(static_cast<std::size_t>(count), {});
  indicators_.assign(static_cast<std::size_t>(count), 0);
}

void Sqlda::allocate_outputs() {
  for (int i = 0; i < count(); ++i) {
    XSQLVAR& v = var(i);
    buffers_[i].assign(data_size(v), 0);
    v.sqldata = buffers_[i].data();
    v.sqltype |= 1;  // always ask for the null indicator
    v.sqlind = &indicators_[i];
  }
}

char* Sqlda::input_buffer(int index, std::size_t size) {
  auto& buffer = buffers_[index];
  if (buffer.size() < size) buffer.resize(size);
  return buffer.data();
}

}  // namespace vantor::db
