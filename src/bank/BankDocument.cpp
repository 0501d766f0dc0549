#include "bank/BankDocument.h"

#include "bank/PictureFiles.h"
#include "data/BankTable.h"
#include "data/DataStore.h"
#include "data/PictureTable.h"
#include "data/TextRules.h"
#include "print/ExportFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace kaoshi {

namespace {

constexpr size_t kRowsPerRead = 500;

} // namespace

QString newExportPath(const QString &folder, const QString &title, const QString &extension, const QDateTime &now)
{
    const QString stem = fileNameFromTitle(title, QStringLiteral("导出")) + u'-' +
                         now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QDir dir(folder);
    QString path = dir.filePath(stem + extension);
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2%3").arg(stem).arg(n).arg(extension));
    return path;
}

std::optional<std::vector<DocumentQuestion>> documentQuestions(DataStore &store, const QString &dataDir,
                                                               QuestionType type, std::span<const qint64> rowIds)
{
    QHash<qint64, size_t> position;
    position.reserve(qsizetype(rowIds.size()));
    for (size_t i = 0; i < rowIds.size(); ++i)
        position.insert(rowIds[i], i);
    std::vector<DocumentQuestion> questions(rowIds.size());
    std::vector<FieldValue> numbers(rowIds.size());
    for (size_t from = 0; from < rowIds.size(); from += kRowsPerRead) {
        const std::optional<std::vector<Question>> read =
            bank::questionsById(store, type, rowIds.subspan(from, qMin(kRowsPerRead, rowIds.size() - from)));
        if (!read)
            return std::nullopt;
        for (const Question &q : *read) {
            const auto at = position.constFind(q.rowId);
            if (at == position.constEnd())
                continue;
            questions[at.value()].values = {q.text, q.answer, q.explanation, q.score.toNumber(), q.chapter};
            numbers[at.value()] = q.number;
        }
    }
    const std::unique_ptr<PictureFiles> files = pictureFilesFor(store, dataDir);
    for (size_t i = 0; i < questions.size(); ++i) {
        if (numbers[i].isNull())
            continue;
        const std::optional<QList<PictureRecord>> pictures = pictures::load(store, type, numbers[i]);
        if (!pictures)
            return std::nullopt;
        questions[i].pictures = *pictures;
        // Each picture is fetched into the data folder before the document
        // is written; one that cannot be shown keeps its summary only.
        for (PictureRecord &picture : questions[i].pictures)
            if (files->fileToShow(picture.location).isEmpty())
                picture.location.clear();
    }
    return questions;
}

} // namespace kaoshi
