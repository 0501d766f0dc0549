#pragma once
// Reads back the first worksheet of a workbook: cell reference ("A1") → text.
#include <QMap>
#include <QString>

namespace kaoshi::test {

// Empty when the file is no workbook.
QMap<QString, QString> worksheetCells(const QString &path);

} // namespace kaoshi::test
