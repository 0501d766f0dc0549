#pragma once
// "导出Word" of the bank list: the listed questions of a bank, with their
// pictures, written as a Word document into the folder 导出 of the program's
// data folder.
#include "import/DocxWriter.h"

#include <QDateTime>
#include <optional>
#include <span>

namespace kaoshi {

class DataStore;

// A new file in the folder: "<title>-yyyyMMdd-HHmmss<extension>", with a
// counter when such a file exists already.
QString newExportPath(const QString &folder, const QString &title, const QString &extension, const QDateTime &now);

// The questions with these row identities, in this order, with their picture
// rows, every picture found in the data folder's image folder (where the
// server keeps the pictures, fetched there); nothing when the bank cannot be
// read.
std::optional<std::vector<DocumentQuestion>> documentQuestions(DataStore &store, const QString &dataDir,
                                                               QuestionType type, std::span<const qint64> rowIds);

} // namespace kaoshi
