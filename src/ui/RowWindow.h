#pragma once
// Which rows of a long list a view holds, and where it scrolls to, counted
// in rows of the whole list. A table view keeps a few bytes per row of its
// model, so a list of millions is shown through a window of a few thousand
// rows that moves with the rows on screen.
#include <QAbstractItemView>

namespace kaoshi {

struct RowWindow {
    int first = 0; // the row of the whole list at the window's top
    int count = 0;

    bool holds(int row) const { return row >= first && row < first + count; }
    // Rows from..to (both included, clipped to the list) are held.
    bool holdsSpan(int from, int to, int total) const;
};

// A window of `size` rows with `visible` rows from `top` in its middle,
// kept inside the list of `total` rows.
RowWindow windowAround(int top, int visible, int total, int size);

// The highest top row: the last row at the bottom of a screen of `visible` rows.
int lastTop(int visible, int total);

// The top row that shows `row` as the hint asks, for a screen of `visible`
// rows now starting at `top`.
int topShowing(int row, int top, int visible, int total, QAbstractItemView::ScrollHint hint);

} // namespace kaoshi
