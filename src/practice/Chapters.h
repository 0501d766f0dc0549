#pragma once
#include <QStringList>

namespace kaoshi {

class DataStore;

// The distinct chapters of the four banks in the store's sort order; a
// question without a chapter contributes one empty caption.
QStringList listChapters(DataStore &store);

} // namespace kaoshi
