#pragma once
// How many rows a list grid keeps when its window changes size.
#include <functional>

namespace kaoshi {

// How many rows a grid keeps when it should show `target` rows: blank rows
// are added up to the target, and only trailing blank rows are taken away.
// rowHasText(r) tells whether data row r (1-based) holds any text. A target
// below 1 is ignored.
int fittedRowCount(int rowCount, int target, const std::function<bool(int)> &rowHasText);

} // namespace kaoshi
