#pragma once
// Reads back the first worksheet of a workbook: cell reference ("A1") → text,
// and which cells are stored as numbers.
#include <QMap>
#include <QSet>
#include <QString>

namespace kaoshi::test {

// Empty when the file is no workbook.
QMap<QString, QString> worksheetCells(const QString &path);
// The references of the cells stored as numbers (no type, or type "n").
QSet<QString> numberCells(const QString &path);

} // namespace kaoshi::test
