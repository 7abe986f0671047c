// The operator console on the admin listener:
//   GET  /                 the page (its script and style at /console.js, /console.css)
//   GET  /console/state    the server's state, the routes' figures and the chart, as JSON
//   GET  /console/events   the live feed, as Server-Sent Events
//   GET  /console/picture  the last picture an answer carried, as Base64
//   POST /console/update   runs the schema upgrade (its lines come in the feed)
//   POST /console/nocheck  "on" or "off": "No Check Digit"
// Who may watch and act: see console_access.hpp.
#pragma once

#include <optional>

#include "http/http_request.hpp"

namespace vantor::shell {

class Application;

// The answer when the request is the console's; nothing when it is not.
std::optional<http::HttpAnswer> console_answer(const http::HttpRequest& request, Application& application);

// The page's assets, built into the program.
extern const char* const kConsoleHtml;
extern const char* const kConsoleScript;
extern const char* const kConsoleStyle;

}  // namespace vantor::shell
