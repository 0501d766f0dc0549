#include "import/ImportStore.h"

#include "data/DataStore.h"
#include "data/PictureTable.h"
#include "data/TextRules.h"
#include "bank/PictureFiles.h"
#include "bank/QuestionPictures.h"
#include "import/DocxPackage.h"

namespace kaoshi {

std::optional<QSet<QString>> existingQuestionTexts(DataStore &store, QuestionType type)
{
    const std::optional<QStringList> texts = bank::questionTexts(store, type);
    if (!texts)
        return std::nullopt;
    QSet<QString> trimmed;
    trimmed.reserve(texts->size());
    for (const QString &text : *texts)
        trimmed.insert(trimSpaces(text));
    return trimmed;
}

StoreOutcome storeImportedQuestions(DataStore &store, QuestionType type,
                                    const std::vector<QuestionValues> &rows)
{
    StoreOutcome outcome;
    if (!bank::appendQuestions(store, type, rows)) {
        outcome.reason = store.errorString();
        return outcome;
    }
    outcome.stored = true;
    outcome.count = qint64(rows.size());
    return outcome;
}

namespace {

// Takes every picture out of the document into the pictures written by the
// import, under new names made from `now`; the stored locations, one list
// per question.
bool takePictures(PictureFiles &files, PictureWrites &writes, const QString &documentPath,
                  const std::vector<ImportedQuestion> &questions, const QDateTime &now,
                  std::vector<QList<PictureRecord>> &records, QString *error)
{
    records.assign(questions.size(), {});
    DocxPackage package;
    bool opened = false;
    const QString stamp = pictureStamp(now);
    int counter = 0;
    for (size_t q = 0; q < questions.size(); ++q) {
        for (const RawPicture &picture : questions[q].pictures) {
            if (!opened && !(opened = package.open(documentPath, error)))
                return false;
            QByteArray bytes;
            if (!package.read(picture.entry, bytes, error))
                return false;
            const QString location =
                uniquePictureLocation(stamp + u'-' + QString::number(++counter), picture.extension,
                                      [&files](const QString &l) { return files.isTaken(l); });
            if (!writes.putBytes(location, bytes)) {
                *error = files.store().errorString();
                return false;
            }
            records[q].append({picture.summary, location});
        }
    }
    return true;
}

} // namespace

StoreOutcome storeImportBatch(DataStore &store, const QString &programDir, const QString &documentPath,
                              const std::vector<ImportedQuestion> &questions, const QDateTime &now)
{
    StoreOutcome outcome;
    Transaction unit(store);
    const auto failed = [&] {
        outcome.reason = unit.error().isError() ? unit.error().message : store.errorString();
        return outcome;
    };
    if (!unit.isOpen())
        return failed();
    const std::unique_ptr<PictureFiles> files = pictureFilesFor(store, programDir);
    PictureWrites writes(*files);
    std::vector<QList<PictureRecord>> records;
    if (!takePictures(*files, writes, documentPath, questions, now, records, &outcome.reason))
        return outcome;
    for (const QuestionType type : allQuestionTypes()) {
        std::vector<QuestionValues> values;
        std::vector<size_t> indexes;
        for (size_t q = 0; q < questions.size(); ++q)
            if (questions[q].type == type) {
                values.push_back(questions[q].values);
                indexes.push_back(q);
            }
        if (values.empty())
            continue;
        const std::optional<qint64> first = bank::appendQuestions(store, type, values);
        if (!first)
            return failed();
        for (size_t i = 0; i < indexes.size(); ++i)
            if (!records[indexes[i]].isEmpty() &&
                !pictures::insert(store, type, FieldValue(*first + qint64(i)), records[indexes[i]]))
                return failed();
    }
    if (!unit.commit())
        return failed();
    writes.placeAll();
    outcome.stored = true;
    outcome.count = qint64(questions.size());
    return outcome;
}

} // namespace kaoshi
