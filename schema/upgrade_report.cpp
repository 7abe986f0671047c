// The upgrade's first and last lines.
#include "schema/upgrade_report.hpp"

namespace vantor::schema {
namespace {

std::string attachments_text(long count) {
  return std::to_string(count) + (count == 1 ? " other attachment" : " other attachments");
}

// The cause among the failures of an object's statements: another attachment using it;
// else the first failure that is not a CREATE finding the object still there (that one
// only follows from an earlier failure to drop it); else the last one.
std::string reason(const std::vector<std::string>& failures, std::optional<long> others) {
  for (const auto& failure : failures) {
    if (failure.find("is in use") != std::string::npos) {
      return others && *others > 0 ? "in use by " + attachments_text(*others) : "in use";
    }
  }
  for (const auto& failure : failures) {
    if (failure.find("already exists") == std::string::npos) return failure;
  }
  return failures.empty() ? std::string() : failures.back();
}

std::string note_of(const ObjectForm& object, const Failures& failures, std::optional<long> others) {
  if (object.form == Form::Own) return object.name + " kept: the database's own version";
  std::string note = object.name + (object.form == Form::Missing ? " not installed" : " not replaced");
  const auto failed = failures.find(object.name);
  const std::string why = failed == failures.end() ? std::string() : reason(failed->second, others);
  return why.empty() ? note : note + ": " + why;
}

}  // namespace

std::string starting_line(std::optional<long> others) {
  if (!others) return "update starting: the other attachments to the database cannot be counted";
  if (*others == 0) return "update starting: no other attachments to the database";
  return "update starting: " + attachments_text(*others) + " to the database; what they use may not be replaceable";
}

std::string finished_line(const std::vector<ObjectForm>& forms, const Failures& failures, std::optional<long> others) {
  std::string notes;
  for (const ObjectForm& object : forms) {
    if (object.form == Form::New) continue;
    notes += (notes.empty() ? "" : "; ") + note_of(object, failures, others);
  }
  return notes.empty() ? "update finished" : "update finished: " + notes;
}

}  // namespace vantor::schema
