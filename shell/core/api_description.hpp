// The API description of the program's routes, with the answers' keys as the database's
// columns make them: made once on an attachment of its own (the statements are prepared,
// never run).
#pragma once

#include <string>

#include "db/database_settings.hpp"

namespace vantor::shell {

// Throws with the client's message when the database cannot be reached.
std::string api_description(const std::string& database, const db::DatabaseSettings& settings);

}  // namespace vantor::shell
