#pragma once
// Reading a run of stored rows a window at a time in a fixed order: by one
// key column, then by the row identity (or by the row identity alone). A
// window goes on from a position already met, so that a listing of millions
// reads only the rows it shows, at any place in the list.
#include "data/DataStore.h"

#include <optional>

namespace kaoshi {

// A place in the order of a run: the key (题号) and the row identity.
struct ListPosition {
    FieldValue number; // the key; null in a run ordered by the row identity alone
    qint64 rowId = 0;
};

struct KeysetQuery {
    QString columns;     // the select list (values bound first)
    Values columnValues;
    QString from;        // the table, and any joins
    QString where;       // which rows form the run (values bound next)
    Values whereValues;
    QString key;         // the order column; "" for the row identity alone
    QString rowId;       // the row identity column
};

// Up to `limit` rows, skipping `offset`: after `from` in ascending order, or
// before it in descending order when `backwards`; from the first (or last)
// row without `from`.
RowSet readKeysetWindow(DataStore &store, const KeysetQuery &query, const std::optional<ListPosition> &from,
                        bool backwards, qint64 offset, qint64 limit);
// How many rows the run holds; nothing when they cannot be counted.
std::optional<qint64> countKeysetRows(DataStore &store, const KeysetQuery &query);

} // namespace kaoshi
