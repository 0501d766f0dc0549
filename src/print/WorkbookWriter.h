#pragma once
// Writes a list into a spreadsheet workbook (.xlsx): the chosen columns in
// the chosen order, the column titles in the first row and every data row of
// the list below. A cell that a spreadsheet would read as a number when it
// is typed in is written as a number, so that scores add up; every other
// cell is written as text, so that 考号 001 keeps its zeros.
#include "print/PrintTable.h"

#include <QList>
#include <QString>

namespace kaoshi {

// A plain decimal ("12", "-3", "2.5", "0.75"): an optional minus, digits
// without a leading zero, an optional fraction, at most 15 significant
// digits (what a spreadsheet's number keeps). "001", "1e5", "1,000", " 5",
// "-0" and "12." stay text.
bool isPlainNumber(const QString &text);

// The text a cell holds: a NUL, which would end the text in the file, shows
// as the sign ␀, as in the question editor.
QString cellText(QString text);

// false, with the reason in *error, when the workbook could not be written
// completely; no partial file is left then.
bool writeWorkbook(const QString &path, const PrintTable &table, const QList<int> &columns, QString *error = nullptr);

} // namespace kaoshi
