// How long the program waits on the database, in one place: every wait on it has a bound.
#pragma once

#include <chrono>
#include <string>

namespace vantor::db {

struct DatabaseSettings {
  // The login of every attachment.
  std::string user = "SYSDBA";
  std::string password = "masterkey";
  // A write waits this long for a row lock that another transaction holds, and a
  // "/room" pass this long for the one of another request.
  std::chrono::seconds lock_timeout{10};
  // Attaching gives up after this long when the database host does not answer.
  std::chrono::seconds connect_timeout{10};
  // The link probe makes a round trip this often...
  std::chrono::milliseconds probe_interval{2000};
  // ...and counts the link as down when one takes longer than this.
  std::chrono::milliseconds probe_timeout{5000};
  // An attachment idle longer than this makes a round trip (bounded by probe_timeout)
  // before it is lent: a firewall may have forgotten its link meanwhile.
  std::chrono::milliseconds idle_check{5000};
  // A request's round trip outstanding longer than this is looked up from the server's
  // side: one the server is not running is cut.
  std::chrono::milliseconds round_trip_silence{5000};
};

}  // namespace vantor::db
