#pragma once
// How a list window fits its grid to its own size: the grid keeps its place
// and fills the window less a margin, every column keeps the proportion of
// the grid width captured when the grid was set up, and the row count follows
// the height without ever dropping a row that holds text.
#include "ui/GridRows.h"

#include <QSize>
#include <vector>

namespace kaoshi {

class ListGrid;

inline constexpr int kGridRowHeight = 24;
inline constexpr int kGridDefaultColumnWidth = 100;

class ColumnProportions
{
public:
    // One proportion per column: its present width over gridWidth.
    void capture(const ListGrid &grid, double gridWidth);
    // Sets every column to trunc(proportion × gridWidth); 0 hides it.
    void apply(ListGrid &grid, int gridWidth) const;

private:
    std::vector<double> m_proportions;
};

// Resizes the grid to the window size less `margin` and applies the
// proportions; the rows then fill the height: blank rows are added up to
// height ÷ row height (title row included), and only trailing blank rows are
// taken away, so a listing is never cut and stays reachable by scrolling.
void fitGridToWindow(ListGrid &grid, QSize window, QSize margin, const ColumnProportions &proportions);

} // namespace kaoshi
