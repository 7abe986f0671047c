// Taking and giving back room.
#include "http/byte_budget.hpp"

namespace vantor::http {

bool ByteBudget::try_take(std::size_t bytes) {
  std::size_t held = held_.load();
  for (;;) {
    if (held != 0 && held + bytes > limit_) return false;
    if (held_.compare_exchange_weak(held, held + bytes)) return true;
  }
}

void ByteBudget::release(std::size_t bytes) {
  released_ += bytes;
  const std::size_t after = held_ -= bytes;
  if (after < limit_ && wanted_.exchange(false) && on_room_) on_room_();
}

}  // namespace vantor::http
