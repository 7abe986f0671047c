// Reading each object's stored body and comparing it with the upgrade's text.
#include "schema/object_forms.hpp"

#include "schema/schema_objects.hpp"
#include "text/ascii.hpp"

namespace vantor::schema {
namespace {

enum class Kind { Table, Procedure, Trigger, View };

struct Final {
  Object object;
  Kind kind;
};

// The objects in their final form; the first forms of the triggers are steps on the way.
constexpr Final kFinal[] = {
    {Object::CrInventory, Kind::Table},   {Object::DoPrice, Kind::Procedure},  {Object::CrProduct, Kind::Procedure},
    {Object::CrVPrices, Kind::View},      {Object::CrMyInv2, Kind::Procedure}, {Object::CrMyIte, Kind::Procedure},
    {Object::CrReserve, Kind::Procedure}, {Object::DoRoom, Kind::Procedure},   {Object::MinvTr1, Kind::Trigger},
    {Object::MinvTr2, Kind::Trigger},
};

std::string stored_select(Kind kind, const std::string& name) {
  switch (kind) {
    case Kind::Table:
      return "select cast('table' as blob sub_type text) from rdb$relations where rdb$relation_name = '" + name + "'";
    case Kind::Procedure:
      return "select rdb$procedure_source from rdb$procedures where rdb$procedure_name = '" + name + "'";
    case Kind::Trigger: return "select rdb$trigger_source from rdb$triggers where rdb$trigger_name = '" + name + "'";
    case Kind::View: return "select rdb$view_source from rdb$relations where rdb$relation_name = '" + name + "'";
  }
  return {};
}

// A stored body as the comparison sees it: line breaks as LF, no blanks at line ends.
std::string normalised(std::string_view body) {
  std::string out;
  std::size_t start = 0;
  while (start <= body.size()) {
    std::size_t end = body.find('\n', start);
    if (end == std::string_view::npos) end = body.size();
    std::string_view line = body.substr(start, end - start);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\r' || line.back() == '\t')) line.remove_suffix(1);
    out += line;
    if (end == body.size()) break;
    out += '\n';
    start = end + 1;
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

// text from the first whole word keyword (any case) on; empty when there is none.
std::string_view from_word(std::string_view text, std::string_view keyword) {
  const std::string lower = text::ascii_lowercase(text);
  for (auto at = lower.find(keyword); at != std::string::npos; at = lower.find(keyword, at + 1)) {
    const bool starts = at == 0 || text::is_blank(lower[at - 1]) || lower[at - 1] == ')';
    const std::size_t end = at + keyword.size();
    const bool ends = end == lower.size() || text::is_blank(lower[end]);
    if (starts && ends) return text.substr(at);
  }
  return {};
}

bool same_body(Kind kind, std::string_view stored, std::string_view ours) {
  if (kind == Kind::Table) return true;
  const std::string_view keyword = kind == Kind::View ? "select" : "begin";
  const std::string_view stored_body = from_word(stored, keyword);
  return !stored_body.empty() && normalised(stored_body) == normalised(from_word(ours, keyword));
}

}  // namespace

std::string named_object(std::string_view ddl) {
  std::string_view rest = ddl;
  for (int word = 0; word < 2; ++word) {
    while (!rest.empty() && text::is_blank(rest.front())) rest.remove_prefix(1);
    while (!rest.empty() && !text::is_blank(rest.front())) rest.remove_prefix(1);
  }
  while (!rest.empty() && text::is_blank(rest.front())) rest.remove_prefix(1);
  std::size_t length = 0;
  while (length < rest.size() && !text::is_blank(rest[length]) && rest[length] != '(') ++length;
  return text::ascii_uppercase(rest.substr(0, length));
}

bool is_earlier_doroom(std::string_view stored) { return normalised(stored) == normalised(earlier_doroom_body()); }

std::vector<ObjectForm> object_forms(const TextReader& read) {
  std::vector<ObjectForm> forms;
  for (const Final& final : kFinal) {
    const SchemaObject& object = schema_object(final.object);
    const std::string name = named_object(object.text);
    const auto stored = read(stored_select(final.kind, name));
    Form form = Form::Missing;
    if (stored) {
      form = same_body(final.kind, *stored, object.text) ? Form::New : Form::Earlier;
      if (form == Form::Earlier && final.object == Object::DoRoom && !is_earlier_doroom(*stored)) {
        form = Form::Own;
      }
    }
    forms.push_back({name, form});
  }
  return forms;
}

}  // namespace vantor::schema
