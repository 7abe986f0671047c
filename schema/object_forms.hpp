// Whether each object the upgrade installs has its new form in a database: the stored
// body compared with the text the upgrade sends (from its first BEGIN, or SELECT for
// the view; line breaks and blanks at line ends aside). The table counts once it is
// there. An ERP's own DOROOM is its own form, kept on purpose.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantor::schema {

enum class Form {
  New,      // as the upgrade installs it
  Earlier,  // there, with another body: not replaced
  Missing,  // not there: not installed
  Own,      // DOROOM as the ERP edited it
};

struct ObjectForm {
  std::string name;  // as the database names it: PPRICE, MINVENTORYTRIGGER1, ...
  Form form;
};

// The text of the first column of the one row of a select (nullopt: no row, or NULL).
using TextReader = std::function<std::optional<std::string>(std::string_view select)>;

// The form of every object the upgrade leaves, in the order it installs them.
std::vector<ObjectForm> object_forms(const TextReader& read);

// The object a DDL statement names (its third word, upper case):
// "CREATE PROCEDURE PPRICE (" and "drop procedure pprice" -> PPRICE.
std::string named_object(std::string_view ddl);

// Whether a stored DOROOM body is the one earlier versions installed (line breaks and
// blanks at line ends aside): the upgrade replaces that one and keeps any other.
bool is_earlier_doroom(std::string_view stored);

}  // namespace vantor::schema
