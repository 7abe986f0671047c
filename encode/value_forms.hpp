// The forms in which the encoders read a value of the current row: its text form, its
// numeric value, its date value and, for the page, its float value. A value that has no
// such form raises ValueError, which the encoders' guards catch.
#pragma once

#include <stdexcept>
#include <string>

#include "db/cell.hpp"
#include "text/calendar.hpp"

namespace vantor::encode {

class ValueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Empty for NULL; a date-time as "dd/mm/yyyy hh:nn:ss" (time left out at midnight).
// Blob columns have no text form here: their bytes are read separately.
std::string text_form(const db::Cell& cell);
// Whether the text form is empty: NULL, or a string without characters.
bool has_empty_text_form(const db::Cell& cell);
// Numbers as they are, dates as days since 30 December 1899, Booleans as -1 or 0,
// strings read as numbers. Blobs and strings that are no number fail.
double numeric_value(const db::Cell& cell);
// Date-time columns (NULL gives day 0) and strings that read as dates; others fail.
text::DateTime date_value(const db::Cell& cell);
// As numeric_value, but NULL numbers and dates give 0, a NULL string fails, and
// Booleans fail.
double float_value(const db::Cell& cell);

}  // namespace vantor::encode
