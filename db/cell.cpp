// Column class helpers.
#include "db/cell.hpp"

namespace vantor::db {

bool is_blob_class(ColumnClass cls) { return cls == ColumnClass::LongText || cls == ColumnClass::Binary; }

}  // namespace vantor::db
