// Owner of one XSQLDA and the data and null-indicator buffers of its variables.
#pragma once

#include <ibase.h>

#include <memory>
#include <vector>

namespace vantor::db {

class Sqlda {
 public:
  explicit Sqlda(short capacity = 1);

  XSQLDA* get() noexcept { return sqlda_.get(); }
  const XSQLDA* get() const noexcept { return sqlda_.get(); }
  // Number of variables the statement has (valid after describe).
  short count() const noexcept { return sqlda_->sqld; }
  short capacity() const noexcept { return sqlda_->sqln; }
  XSQLVAR& var(int index) noexcept { return sqlda_->sqlvar[index]; }
  const XSQLVAR& var(int index) const noexcept { return sqlda_->sqlvar[index]; }

  // Grows to hold count variables; the descriptions are lost and must be read again.
  void reserve(short count);
  // Gives every output variable a data buffer of its described size and a null indicator.
  void allocate_outputs();
  // The buffer behind input variable index, resized to at least size bytes.
  char* input_buffer(int index, std::size_t size);
  short* indicator(int index) noexcept { return &indicators_[index]; }

 private:
  struct Free {
    void operator()(XSQLDA* p) const noexcept { ::operator delete(p); }
  };
  std::unique_ptr<XSQLDA, Free> sqlda_;
  std::vector<std::vector<char>> buffers_;
  std::vector<short> indicators_;
};

}  // namespace vantor::db
