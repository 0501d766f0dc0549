#include "ui/RowWindow.h"

#include <algorithm>

namespace kaoshi {

bool RowWindow::holdsSpan(int from, int to, int total) const
{
    from = std::max(from, 0);
    to = std::min(to, total - 1);
    return from > to || (holds(from) && holds(to));
}

RowWindow windowAround(int top, int visible, int total, int size)
{
    const int count = std::clamp(size, 0, std::max(total, 0));
    const int first = std::clamp(top + visible / 2 - count / 2, 0, std::max(total - count, 0));
    return {first, count};
}

int lastTop(int visible, int total) { return std::max(total - std::max(visible, 1), 0); }

int topShowing(int row, int top, int visible, int total, QAbstractItemView::ScrollHint hint)
{
    visible = std::max(visible, 1);
    int wanted = top;
    switch (hint) {
    case QAbstractItemView::PositionAtTop:
        wanted = row;
        break;
    case QAbstractItemView::PositionAtBottom:
        wanted = row - visible + 1;
        break;
    case QAbstractItemView::PositionAtCenter:
        wanted = row - visible / 2;
        break;
    case QAbstractItemView::EnsureVisible:
        if (row < top)
            wanted = row;
        else if (row >= top + visible)
            wanted = row - visible + 1;
        break;
    }
    return std::clamp(wanted, 0, lastTop(visible, total));
}

} // namespace kaoshi
