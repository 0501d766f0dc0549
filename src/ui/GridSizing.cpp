#include "ui/GridSizing.h"

#include "ui/ListGrid.h"

namespace kaoshi {

void ColumnProportions::capture(const ListGrid &grid, double gridWidth)
{
    m_proportions.assign(size_t(grid.columnCount()), 0.0);
    if (gridWidth <= 0)
        return;
    for (int c = 0; c < grid.columnCount(); ++c)
        m_proportions[size_t(c)] = double(grid.columnWidth(c)) / gridWidth;
}

void ColumnProportions::apply(ListGrid &grid, int gridWidth) const
{
    for (int c = 0; c < grid.columnCount() && size_t(c) < m_proportions.size(); ++c)
        grid.setColumnWidth(c, int(m_proportions[size_t(c)] * double(gridWidth)));
}

void fitGridToWindow(ListGrid &grid, QSize window, QSize margin, const ColumnProportions &proportions)
{
    const int width = window.width() - margin.width();
    const int height = window.height() - margin.height();
    grid.resize(qMax(width, 0), qMax(height, 0));
    proportions.apply(grid, width);
    const int target = int(double(height) / double(kGridRowHeight));
    grid.setRowCount(fittedRowCount(grid.rowCount(), target, [&grid](int row) { return grid.rowHasText(row); }));
}

} // namespace kaoshi
