#include "import/ImportStore.h"

#include "bank/QuestionPictures.h"
#include "data/DataStore.h"
#include "data/PictureLocation.h"
#include "data/PictureTable.h"
#include "data/Schema.h"
#include "import/DocxPackage.h"

#include <QDir>
#include <QFile>

namespace kaoshi {

bank::QuestionTextIndex &BankTexts::of(QuestionType type)
{
    std::unique_ptr<bank::QuestionTextIndex> &texts = m_banks[size_t(typeIndex(type))];
    if (!texts)
        texts = std::make_unique<bank::QuestionTextIndex>(m_store, type);
    return *texts;
}

// The files a store has copied out of the document so far; removed again
// unless the store is kept.
class CopiedPictures
{
public:
    explicit CopiedPictures(PictureTarget target) : m_target(std::move(target)), m_stamp(pictureStamp(m_target.now)) {}
    ~CopiedPictures()
    {
        if (!m_kept)
            for (const QString &file : m_files)
                QFile::remove(file);
    }
    CopiedPictures(const CopiedPictures &) = delete;
    CopiedPictures &operator=(const CopiedPictures &) = delete;
    void keep() { m_kept = true; }

    // Copies the pictures of one question; their stored locations.
    std::optional<QList<PictureRecord>> copy(const QList<RawPicture> &pictures, QString *error)
    {
        QList<PictureRecord> records;
        for (const RawPicture &picture : pictures) {
            if (!m_opened && !(m_opened = m_package.open(m_target.documentPath, error)))
                return std::nullopt;
            if (!QDir(m_target.programDir).mkpath(kImageFolder)) {
                *error = QStringLiteral("无法建立图片文件夹image");
                return std::nullopt;
            }
            QByteArray bytes;
            if (!m_package.read(picture.entry, bytes, error))
                return std::nullopt;
            const QString location = uniquePictureLocation(
                m_stamp + u'-' + QString::number(++m_counter), picture.extension,
                [this](const QString &l) { return QFile::exists(pictureFile(m_target.programDir, l)); });
            QFile file(pictureFile(m_target.programDir, location));
            if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                *error = QStringLiteral("无法写入图片") + file.fileName() + QStringLiteral("：") + file.errorString();
                return std::nullopt;
            }
            m_files << file.fileName();
            if (file.write(bytes) != bytes.size() || !file.flush()) {
                *error = QStringLiteral("无法写入图片") + file.fileName() + QStringLiteral("：") + file.errorString();
                return std::nullopt;
            }
            records.append({picture.summary, location});
        }
        return records;
    }

private:
    PictureTarget m_target;
    QString m_stamp;
    DocxPackage m_package;
    bool m_opened = false;
    int m_counter = 0;
    QStringList m_files;
    bool m_kept = false;
};

ImportRun::ImportRun(DataStore &store, BankTexts &texts, QuestionType chosen)
    : m_store(store), m_texts(texts), m_preview(chosen)
{
}

ImportRun::~ImportRun()
{
    // The unit is rolled back before the files it would have named go.
    m_unit.reset();
    m_copies.reset();
}

bool ImportRun::fail()
{
    if (m_failure.isEmpty())
        m_failure = m_store.errorString();
    m_unit.reset(); // rolls back whatever was stored
    m_copies.reset(); // and removes the pictures copied for it
    return false;
}

bool ImportRun::beginStore(bool includeDuplicates, const PictureTarget &pictures)
{
    m_includeDuplicates = includeDuplicates;
    m_copies = std::make_unique<CopiedPictures>(pictures);
    m_unit = std::make_unique<Transaction>(m_store);
    if (!m_unit->isOpen())
        return fail();
    return true;
}

void ImportRun::add(std::vector<RawQuestion> questions)
{
    if (m_next == m_queue.size()) {
        m_queue.clear();
        m_next = 0;
    }
    m_queue.reserve(m_queue.size() + questions.size());
    for (const RawQuestion &question : questions)
        m_queue.push_back(checkQuestion(m_preview.type(), question));
}

size_t ImportRun::comparableRows() const
{
    // Up to the first usable row whose bank's texts are not all copied yet.
    for (size_t i = m_next; i < m_queue.size(); ++i) {
        const PreviewRow &row = m_queue[i];
        if (row.status == RowStatus::Ready && !m_texts.of(*row.type).isComplete())
            return i;
    }
    return m_queue.size();
}

bool ImportRun::markPresent(size_t end)
{
    for (const QuestionType type : allQuestionTypes()) {
        QStringList candidates;
        for (size_t i = m_next; i < end; ++i)
            if (m_queue[i].status == RowStatus::Ready && m_queue[i].type == type)
                candidates << m_queue[i].values.text;
        if (candidates.isEmpty())
            continue;
        const std::optional<QSet<QString>> present = m_texts.of(type).present(candidates);
        if (!present) {
            m_failure = QStringLiteral("无法读取") + typeCaption(type) + QStringLiteral("题库：") + m_store.errorString();
            return false;
        }
        for (size_t i = m_next; i < end; ++i)
            if (m_queue[i].status == RowStatus::Ready && m_queue[i].type == type &&
                present->contains(m_queue[i].values.text))
                m_queue[i].status = RowStatus::Duplicate;
    }
    return true;
}

bool ImportRun::storeChosen(size_t end)
{
    for (const QuestionType type : allQuestionTypes()) {
        std::vector<QuestionValues> values;
        std::vector<QList<PictureRecord>> pictures;
        for (size_t i = m_next; i < end; ++i) {
            const PreviewRow &row = m_queue[i];
            if (row.type != type || !ImportPreview::isStored(row, m_includeDuplicates))
                continue;
            values.push_back(row.values);
            const std::optional<QList<PictureRecord>> copied = m_copies->copy(row.pictures, &m_failure);
            if (!copied)
                return false;
            pictures.push_back(*copied);
        }
        if (values.empty())
            continue;
        // Each slice follows the highest 题号 so far, the slices before it
        // included, so the file's order is kept.
        const std::optional<qint64> first = bank::appendQuestions(m_store, type, values);
        if (!first)
            return false;
        for (size_t i = 0; i < pictures.size(); ++i)
            if (!pictures[i].isEmpty() && !pictures::insert(m_store, type, FieldValue(*first + qint64(i)), pictures[i]))
                return false;
        m_stored += qint64(values.size());
    }
    return true;
}

std::optional<bool> ImportRun::proceed()
{
    if (!m_failure.isEmpty())
        return std::nullopt;
    const size_t end = comparableRows();
    if (end == m_next && waiting()) {
        // The bank's texts are copied a step at a time before its rows are compared.
        const QuestionType type = *m_queue[m_next].type;
        if (!m_texts.of(type).fill()) {
            m_failure = QStringLiteral("无法读取") + typeCaption(type) + QStringLiteral("题库：") + m_store.errorString();
            fail();
            return std::nullopt;
        }
        return false;
    }
    if (!markPresent(end) || (m_unit && !storeChosen(end))) {
        fail();
        return std::nullopt;
    }
    for (size_t i = m_next; i < end; ++i)
        m_preview.add(std::move(m_queue[i]));
    m_next = end;
    if (waiting())
        return false;
    m_queue.clear();
    m_next = 0;
    return true;
}

bool ImportRun::take(std::vector<RawQuestion> questions)
{
    add(std::move(questions));
    for (;;) {
        const std::optional<bool> done = proceed();
        if (!done)
            return false;
        if (*done)
            return true;
    }
}

StoreOutcome ImportRun::finishStore(const ImportPreview &previewed)
{
    StoreOutcome outcome;
    if (m_unit && !m_preview.sameCounts(previewed))
        m_failure = QStringLiteral("文件在预览之后有了改动，请重新选择文件再导入");
    if (!m_failure.isEmpty() || !m_unit) {
        fail();
        outcome.reason = m_failure;
        return outcome;
    }
    if (!m_unit->commit()) {
        m_failure = m_unit->error().message;
        fail();
        outcome.reason = m_failure;
        return outcome;
    }
    m_unit.reset();
    m_copies->keep();
    m_copies.reset();
    outcome.stored = true;
    outcome.count = m_stored;
    return outcome;
}

} // namespace kaoshi
