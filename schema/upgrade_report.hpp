// What the upgrade tells the operator: before it starts, how many other attachments the
// database has (what they use may not be replaceable); at its end, each object that has
// not its new form, and why.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "schema/object_forms.hpp"

namespace vantor::schema {

// Why statements on an object failed, by the object's name, in the order they failed.
using Failures = std::map<std::string, std::vector<std::string>>;

// others: the other attachments; nullopt when the login may not count them.
std::string starting_line(std::optional<long> others);

// "update finished", or "update finished: " and one note per object that has not its
// new form, such as "PPRICE not replaced: in use by 2 other attachments", "MYITE not
// installed: <the server's message>" or "DOROOM kept: the database's own version".
std::string finished_line(const std::vector<ObjectForm>& forms, const Failures& failures, std::optional<long> others);

}  // namespace vantor::schema
