// A guest row held by another attachment, and the reservation that must wait for it.
#pragma once

#include <memory>
#include <string>

#include "tests/support/test_server.hpp"

namespace vantor::test {

// Guest 8000099 exists and is held by a second attachment: "/reserve?id=99" waits on it.
inline std::unique_ptr<RowLock> hold_guest_99(TestServer& server) {
  server.database().execute("insert into customer (cid, cname, mid) values (8000099, 'Held', 3)");
  return std::make_unique<RowLock>(server.database(), "update customer set cname = 'Edited' where cid = 8000099");
}

// The raw request of a reservation for guest 8000000 + id.
inline std::string reserve_request(int id) {
  return "GET /reserve?id=" + std::to_string(id) +
         "&name=Ali&tel=555&fromdate=20/12/2026&todate=22/12/2026&room=12&guests=2 HTTP/1.1\r\nHost: x\r\n\r\n";
}

}  // namespace vantor::test
