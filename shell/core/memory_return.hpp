// Memory freed after a burst of big answers or bodies goes back to the system. The heap
// is one arena that keeps what it frees for the next answer (see the allocator's tuning
// at start); once the burst is over, what it keeps is handed back.
#pragma once

#include <cstddef>

namespace vantor::http {
class HttpServer;
}

namespace vantor::shell {

class MemoryReturn {
 public:
  // Called every few seconds on the server's loop: trims the heap when much was given
  // back since the last look and little is held now.
  void look(const http::HttpServer& server);
  std::size_t trims() const noexcept { return trims_; }

 private:
  std::size_t released_seen_ = 0;
  std::size_t trims_ = 0;
};

}  // namespace vantor::shell
