#pragma once
// Names of the files the print window writes for the user.
#include <QDateTime>
#include <QString>

namespace kaoshi {

// The folder "导出" of the data folder, where workbooks are written.
QString exportFolder(const QString &dataFolder);

// The title as a file name: characters that a file name cannot hold become
// "_"; fallback when the title is empty.
QString fileNameFromTitle(const QString &title, const QString &fallback);

// A new workbook's path in the folder: title and time, made unique with a
// counter when such a file exists already.
QString newWorkbookPath(const QString &folder, const QString &title, const QDateTime &now);

} // namespace kaoshi
