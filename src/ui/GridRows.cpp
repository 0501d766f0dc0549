#include "ui/GridRows.h"

namespace kaoshi {

int fittedRowCount(int rowCount, int target, const std::function<bool(int)> &rowHasText)
{
    if (target < 1)
        return rowCount;
    if (rowCount <= target)
        return target;
    int kept = rowCount;
    while (kept > target && !rowHasText(kept - 1))
        --kept;
    return kept;
}

} // namespace kaoshi
