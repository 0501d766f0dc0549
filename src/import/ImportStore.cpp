#include "import/ImportStore.h"

#include "bank/PictureFiles.h"
#include "bank/QuestionPictures.h"
#include "data/DataStore.h"
#include "data/PictureTable.h"
#include "import/DocxPackage.h"


namespace kaoshi {

bank::QuestionTextIndex &BankTexts::of(QuestionType type)
{
    std::unique_ptr<bank::QuestionTextIndex> &texts = m_banks[size_t(typeIndex(type))];
    if (!texts)
        texts = std::make_unique<bank::QuestionTextIndex>(m_store, type);
    return *texts;
}

// The pictures a store has taken out of the document so far: their bytes
// are kept with the database in the store's unit (where the server keeps
// the pictures) and their files wait beside their places in the folder
// image; they take their places when the store is kept, and are removed
// otherwise.
class CopiedPictures
{
public:
    CopiedPictures(DataStore &store, PictureTarget target)
        : m_target(std::move(target)), m_stamp(pictureStamp(m_target.now)),
          m_files(pictureFilesFor(store, m_target.programDir)), m_writes(*m_files)
    {
    }
    CopiedPictures(const CopiedPictures &) = delete;
    CopiedPictures &operator=(const CopiedPictures &) = delete;
    void keep() { m_writes.placeAll(); }

    // Copies the pictures of one question; their stored locations.
    std::optional<QList<PictureRecord>> copy(const QList<RawPicture> &pictures, QString *error)
    {
        QList<PictureRecord> records;
        for (const RawPicture &picture : pictures) {
            if (!m_opened && !(m_opened = m_package.open(m_target.documentPath, error)))
                return std::nullopt;
            QByteArray bytes;
            if (!m_package.read(picture.entry, bytes, error))
                return std::nullopt;
            const QString location = uniquePictureLocation(m_stamp + u'-' + QString::number(++m_counter),
                                                           picture.extension,
                                                           [this](const QString &l) { return m_files->isTaken(l); });
            if (!m_writes.putBytes(location, bytes)) {
                *error = m_files->store().errorString();
                return std::nullopt;
            }
            records.append({picture.summary, location});
        }
        return records;
    }

private:
    PictureTarget m_target;
    QString m_stamp;
    std::unique_ptr<PictureFiles> m_files;
    PictureWrites m_writes;
    DocxPackage m_package;
    bool m_opened = false;
    int m_counter = 0;
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
    m_copies = std::make_unique<CopiedPictures>(m_store, pictures);
    m_unit = std::make_unique<Transaction>(m_store);
    if (!m_unit->isOpen())
        return fail();
    return true;
}

void ImportRun::add(std::vector<PreviewRow> rows)
{
    if (m_next == m_queue.size()) {
        m_queue = std::move(rows);
        m_next = 0;
        return;
    }
    m_queue.insert(m_queue.end(), std::make_move_iterator(rows.begin()), std::make_move_iterator(rows.end()));
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

bool ImportRun::take(const std::vector<RawQuestion> &questions)
{
    std::vector<PreviewRow> rows;
    rows.reserve(questions.size());
    for (const RawQuestion &question : questions)
        rows.push_back(checkQuestion(m_preview.type(), question));
    add(std::move(rows));
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
