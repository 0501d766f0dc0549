#pragma once
// A list grid as a screen reader meets it: a table of every row of the list
// (not of the window its view holds), the column titles as its header row,
// each cell named by its text and placed by its row in the whole list.
namespace kaoshi {

class ListGrid;

// Makes every list grid answer with that table (once per program).
void installGridAccessible();

// The child number of a cell of the table (row 0: the titles).
int gridAccessibleChild(const ListGrid &grid, int row, int column);

} // namespace kaoshi
