// Trimming the heap after a burst.
#include "shell/core/memory_return.hpp"

#include <malloc.h>

#include "http/http_server.hpp"

namespace vantor::shell {
namespace {

constexpr std::size_t kWorthTrimming = 32u * 1024 * 1024;
constexpr std::size_t kStillBusy = 16u * 1024 * 1024;

}  // namespace

void MemoryReturn::look(const http::HttpServer& server) {
  const std::size_t released = server.bytes_released();
  if (released - released_seen_ < kWorthTrimming) return;
  if (server.answer_bytes_held() + server.body_bytes_held() > kStillBusy) return;  // the burst goes on
  released_seen_ = released;
  malloc_trim(0);
  ++trims_;
}

}  // namespace vantor::shell
