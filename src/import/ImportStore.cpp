#include "import/ImportStore.h"

#include "data/DataStore.h"
#include "data/PictureLocation.h"
#include "data/PictureTable.h"
#include "data/Schema.h"
#include "data/TextRules.h"
#include "bank/QuestionPictures.h"
#include "import/DocxPackage.h"

#include <QDir>
#include <QFile>

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

// The files an import has copied so far; removed again unless the import is kept.
class CopiedPictures
{
public:
    explicit CopiedPictures(QString programDir) : m_programDir(std::move(programDir)) {}
    ~CopiedPictures()
    {
        if (!m_kept)
            for (const QString &file : m_files)
                QFile::remove(file);
    }
    void keep() { m_kept = true; }

    // Copies every picture out of the document; the stored locations, one
    // list per question.
    bool copy(const QString &documentPath, const std::vector<ImportedQuestion> &questions, const QDateTime &now,
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
                if (!QDir(m_programDir).mkpath(kImageFolder)) {
                    *error = QStringLiteral("无法建立图片文件夹image");
                    return false;
                }
                QByteArray bytes;
                if (!package.read(picture.entry, bytes, error))
                    return false;
                const QString location = uniquePictureLocation(
                    stamp + u'-' + QString::number(++counter), picture.extension,
                    [this](const QString &l) { return QFile::exists(pictureFile(m_programDir, l)); });
                QFile file(pictureFile(m_programDir, location));
                if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                    *error = QStringLiteral("无法写入图片") + file.fileName() + QStringLiteral("：") + file.errorString();
                    return false;
                }
                m_files << file.fileName();
                if (file.write(bytes) != bytes.size() || !file.flush()) {
                    *error = QStringLiteral("无法写入图片") + file.fileName() + QStringLiteral("：") + file.errorString();
                    return false;
                }
                records[q].append({picture.summary, location});
            }
        }
        return true;
    }

private:
    QString m_programDir;
    QStringList m_files;
    bool m_kept = false;
};

} // namespace

StoreOutcome storeImportBatch(DataStore &store, const QString &programDir, const QString &documentPath,
                              const std::vector<ImportedQuestion> &questions, const QDateTime &now)
{
    StoreOutcome outcome;
    CopiedPictures copies(programDir);
    std::vector<QList<PictureRecord>> records;
    if (!copies.copy(documentPath, questions, now, records, &outcome.reason))
        return outcome;

    Transaction unit(store);
    const auto failed = [&] {
        outcome.reason = unit.error().isError() ? unit.error().message : store.errorString();
        return outcome;
    };
    if (!unit.isOpen())
        return failed();
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
    copies.keep();
    outcome.stored = true;
    outcome.count = qint64(questions.size());
    return outcome;
}

} // namespace kaoshi
