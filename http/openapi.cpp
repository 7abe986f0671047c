// The API description.
#include "http/openapi.hpp"

#include "encode/json_encoders.hpp"
#include "http/request_context.hpp"
#include "http/route_table.hpp"
#include "text/json_string.hpp"

namespace vantor::http {
namespace {

// A JSON value, printed with two blanks of indentation as JSON.stringify(value, null, 2).
struct Node {
  enum class Kind { Raw, Array, Object } kind = Kind::Object;
  std::string raw;  // a string with its quotes, a number, true or false
  std::vector<std::string> keys;
  std::vector<Node> values;

  static Node text(std::string_view value) { return {Kind::Raw, text::json_quoted(value), {}, {}}; }
  static Node literal(std::string value) { return {Kind::Raw, std::move(value), {}, {}}; }
  static Node array() { return {Kind::Array, {}, {}, {}}; }
  Node& set(std::string key, Node value) {
    keys.push_back(std::move(key));
    values.push_back(std::move(value));
    return *this;
  }
  Node& set(std::string key, std::string_view value) { return set(std::move(key), text(value)); }
  Node& add(Node value) {
    values.push_back(std::move(value));
    return *this;
  }

  void print(std::string& out, int depth) const {
    if (kind == Kind::Raw) {
      out += raw;
      return;
    }
    const bool object = kind == Kind::Object;
    out += object ? '{' : '[';
    if (values.empty()) {
      out += object ? '}' : ']';
      return;
    }
    const std::string indent(static_cast<std::size_t>(depth + 1) * 2, ' ');
    for (std::size_t i = 0; i < values.size(); ++i) {
      out += i == 0 ? "\n" : ",\n";
      out += indent;
      if (object) out += text::json_quoted(keys[i]) + ": ";
      values[i].print(out, depth + 1);
    }
    out += "\n" + std::string(static_cast<std::size_t>(depth) * 2, ' ') + (object ? '}' : ']');
  }
};

constexpr std::string_view kJson = "text/json; charset=utf-8";
constexpr std::string_view kPage = "text/html; charset=utf-8";
constexpr std::string_view kError = "text/html; charset=ISO-8859-1";
constexpr std::string_view kErrorText = "Some Error !!";

const char* const kOverview =
    "Every route answers GET (and POST with a form body, read as the query string) with status 200; "
    "what the client got is told by the body. JSON answers go out as \"text/json; charset=utf-8\" and "
    "follow rules of their own: every number with exactly two decimals (12.50), text values with their "
    "double quotes blanked and a blank for an empty one, slashes written as \\\\/, backslashes doubled, "
    "apostrophes blanked; control characters inside strings (the line breaks of a Base64 picture) stay raw "
    "unless the server runs with json_escape_controls = on. Paths are matched without regard to case; a "
    "path without a route gets the fallback answer. Beside its data, a route may answer: the error answer "
    "\"Some Error !!\" (text/html; charset=ISO-8859-1) when the request fails (a bad parameter, a "
    "statement the database refuses, a row lock held past the lock timeout); the empty answer (no "
    "Content-Type, no body) when the database cannot be reached within its bounds, or a write's outcome "
    "is unknown: ask again and look; the fallback answer \"Bye Bye \" (text/json; charset=utf-8) where its "
    "route says so.";

std::string_view format_text(ParamFormat format) {
  switch (format) {
    case ParamFormat::Text: return "text, as sent";
    case ParamFormat::WholeNumber: return "a whole number: digits, optionally signed";
    case ParamFormat::Number: return "a decimal number with \".\" as its separator";
    case ParamFormat::DayMonthYear: return "a date as dd/mm/yyyy";
    case ParamFormat::DayFirstDate:
      return "a date as dd?mm?yyyy: its 3rd and 6th characters are dropped, whatever they are";
    case ParamFormat::YearFirstDate: return "a date as yyyy?mm?dd; more characters are ignored (a date-time works)";
    case ParamFormat::Statement:
      return "an SQL statement; \"select \" is put before one that does not start with a statement's first word";
  }
  return "text";
}

Node parameter_schema(ParamFormat format) {
  Node schema;
  schema.set("type", "string");
  if (format == ParamFormat::WholeNumber) schema.set("pattern", "^[+-]?[0-9]+$");
  if (format == ParamFormat::Number) schema.set("pattern", "^[+-]?[0-9]*\\.?[0-9]+$");
  if (format == ParamFormat::DayMonthYear) schema.set("pattern", "^[0-9]{2}/[0-9]{2}/[0-9]{4}$");
  return schema;
}

Node parameters(const Route& route) {
  Node list = Node::array();
  int position = 0;
  for (const RouteParam& param : route.params) {
    ++position;
    Node entry;
    entry.set("name", param.name).set("in", "query").set("required", Node::literal("false"));
    entry.set("description", parameter_description(route, param, position))
        .set("schema", parameter_schema(param.format));
    if (route.reading == ParamReading::Positional) entry.set("x-position", Node::literal(std::to_string(position)));
    list.add(std::move(entry));
  }
  return list;
}

Node value_schema(encode::ValueForm form) {
  Node schema;
  switch (form) {
    case encode::ValueForm::Text: schema.set("type", "string").set("description", "text; a blank when empty"); break;
    case encode::ValueForm::Number:
      schema.set("type", "number").set("description", "written with exactly two decimals, as 12.50");
      break;
    case encode::ValueForm::Date: schema.set("type", "string").set("description", "a date as yyyy-MM-dd"); break;
    case encode::ValueForm::Picture:
      schema.set("type", "string")
          .set("contentEncoding", "base64")
          .set("contentMediaType", "image/jpeg")
          .set("description",
               "a JPEG picture in Base64's MIME form (lines of 76 characters ending in CR LF, raw inside the "
               "string unless json_escape_controls = on); a blank when the item has none; the pair is left out "
               "when the bytes are no JPEG picture");
      break;
  }
  return schema;
}

Node rows_schema(const Route& route, const ColumnsOf& columns_of) {
  Node item;
  item.set("type", "object");
  if (!route.rows) {  // the caller's own statement: its own columns
    Node values;
    values.set("type", Node::array().add(Node::text("string")).add(Node::text("number")));
    return Node().set("type", "array").set("items", item.set("additionalProperties", std::move(values)));
  }
  const auto columns = columns_of(*route.rows);
  const bool lower = route.answer == AnswerForm::LowerKeys;
  const auto keys = lower ? encode::lower_keys_of(columns) : encode::stored_names_of(columns);
  Node properties;
  Node required = Node::array();
  for (const auto& key : keys) {
    properties.set(key.key, value_schema(key.form));
    // a row that fails is left out whole by one encoder, kept in part by the other
    if (lower && key.form != encode::ValueForm::Picture) required.add(Node::text(key.key));
  }
  item.set("properties", std::move(properties));
  if (!required.values.empty()) item.set("required", std::move(required));
  item.set("additionalProperties", Node::literal("false"));
  return Node().set("type", "array").set("items", std::move(item));
}

// What each kind of answer is, with its exact bytes and when it comes.
Node answers(const Route& route) {
  Node list = Node::array();
  const auto answer = [&](std::string_view name, std::string_view bytes, std::string_view media, std::string when) {
    Node entry;
    entry.set("answer", name).set("bytes", bytes);
    entry.set("mediaType", media.empty() ? Node::literal("null") : Node::text(media));
    list.add(std::move(entry.set("when", when)));
  };
  if (route.client_statement()) {
    answer("fallback", kFallbackAnswer, kJson,
           "adhoc = off, the statement ran longer than adhoc_timeout, or its answer was bigger than adhoc_max_bytes");
  }
  answer("error", kErrorText, kError,
         "the request failed: a bad parameter, a statement the database refused, a row lock held past "
         "lock_timeout");
  answer("empty", "", "",
         route.writes == Writes::Yes
             ? "the database could not be reached within its bounds, or the write's outcome is unknown: ask again "
               "and look"
             : "the database could not be reached within its bounds");
  return list;
}

Node success_content(const Route& route, const ColumnsOf& columns_of) {
  Node content;
  if (route.answer == AnswerForm::Page) {
    content.set(std::string(kPage), Node().set("schema", Node().set("type", "string")));
  } else if (route.answer == AnswerForm::Confirmation) {
    content.set(
        std::string(kJson),
        Node().set("schema",
                   Node().set("type", "string").set("description", "not JSON: a line of text ending in \"Done\"")));
  } else {
    content.set(std::string(kJson), Node().set("schema", rows_schema(route, columns_of)));
  }
  content.set(std::string(kError), Node().set("schema", Node().set("type", "string").set("const", kErrorText)));
  return content;
}

}  // namespace

std::string parameter_description(const Route& route, const RouteParam& param, int position) {
  std::string description =
      std::string(format_text(param.format)) + ". When missing or empty: " + std::string(param.when_missing) + ".";
  if (route.reading != ParamReading::Positional) return description + " Looked up by name, without regard to case.";
  const char* suffix = position == 1 ? "st" : position == 2 ? "nd" : position == 3 ? "rd" : "th";
  return description + " Read by position: the " + std::to_string(position) + suffix +
         " parameter of the query string, whatever its name.";
}

std::string route_description(const Route& route) {
  std::string text = std::string(route.purpose) + ".";
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
  if (route.writes == Writes::Yes) {
    text +=
        " This GET request writes to the database: each request writes again (a client that got no answer "
        "should look before it sends again).";
  }
  if (route.writes == Writes::AsTheStatementDoes) {
    text += " It writes when the statement does, as the server's adhoc setting lets it.";
  }
  if (route.may_wait_on_lock()) text += " It may wait up to lock_timeout for a row lock another transaction holds.";
  if (route.reading == ParamReading::Positional) {
    text += " Its parameters are read by their position in the query string, not by their names.";
  }
  return text;
}

namespace {

Node operation(const Route& route, const ColumnsOf& columns_of) {
  Node response;
  response.set("description", "the answer (status 200 whatever happened; the body tells)");
  response.set("content", success_content(route, columns_of));
  Node get;
  get.set("operationId", route.label).set("summary", route.purpose).set("description", route_description(route));
  if (!route.params.empty()) get.set("parameters", parameters(route));
  get.set("responses", Node().set("200", std::move(response)));
  get.set("x-writes", Node::literal(route.writes == Writes::No ? "false" : "true"));
  get.set("x-answers", answers(route));
  return get;
}

}  // namespace

std::string openapi_document(const ColumnsOf& columns_of, const std::string& version) {
  Node info;
  info.set("title", "Vantor API Server").set("version", version).set("description", kOverview);
  Node paths;
  for (const Route& route : route_table()) {
    paths.set(std::string(route.path), Node().set("get", operation(route, columns_of)));
  }
  Node document;
  document.set("openapi", "3.1.0").set("info", std::move(info));
  document.set("servers", Node::array().add(Node().set("url", "http://localhost:8080")));
  document.set("paths", std::move(paths));
  std::string out;
  document.print(out, 0);
  return out + "\n";
}

}  // namespace vantor::http
