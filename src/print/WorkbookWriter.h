#pragma once
// Writes a list into a spreadsheet workbook (.xlsx): the chosen columns in
// the chosen order, the column titles in the first row and every data row of
// the list below, each value as text.
#include "print/PrintTable.h"

#include <QList>
#include <QString>

namespace kaoshi {

// false, with the reason in *error, when the workbook could not be written
// completely; no partial file is left then.
bool writeWorkbook(const QString &path, const PrintTable &table, const QList<int> &columns, QString *error = nullptr);

} // namespace kaoshi
