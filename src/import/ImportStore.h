#pragma once
// One pass over the questions of a file: the preview, which checks and
// counts every row, or the store, which reads the file a second time, checks
// every row again and stores the chosen ones in one unit of work. A file may
// fill any of the four banks (a document's section headings name them); the
// questions each bank already holds are told through the database.
#include "data/BankTable.h"
#include "import/ImportPreview.h"

#include <QDateTime>
#include <array>
#include <memory>
#include <vector>

namespace kaoshi {

class DataStore;

struct StoreOutcome {
    bool stored = false;
    qint64 count = 0;
    QString reason; // the engine's reason when nothing was stored
};

// The texts of the banks an import compares against: each bank's copied into
// the database when a row of it first comes (bank::QuestionTextIndex), and
// kept for the next pass over the same file.
class BankTexts
{
public:
    explicit BankTexts(DataStore &store) : m_store(store) {}
    bank::QuestionTextIndex &of(QuestionType type);

private:
    DataStore &m_store;
    std::array<std::unique_ptr<bank::QuestionTextIndex>, kQuestionTypeCount> m_banks;
};

// Where the pictures of a Word document are copied to when it is stored: the
// folder image of programDir, under new names made from `now`.
struct PictureTarget {
    QString programDir;
    QString documentPath;
    QDateTime now;
};

class CopiedPictures;

class ImportRun
{
public:
    // chosen: the bank of rows that no heading places. texts outlives the run.
    ImportRun(DataStore &store, BankTexts &texts, QuestionType chosen);
    ~ImportRun();

    // Makes this pass the store: the unit of work begins, and every ready
    // row (and every row already in its bank when includeDuplicates) is
    // stored, each bank's numbered after its highest 题号 in the file's order
    // (bank::appendQuestions, a slice at a time, inside the one unit). A
    // question's pictures are copied out of the document as it is stored and
    // written as its 图片 rows in the same unit; every file copied is removed
    // again unless the unit is kept.
    bool beginStore(bool includeDuplicates, const PictureTarget &pictures = {});
    bool isStoring() const { return m_unit != nullptr; }

    // Questions read from the file, to be worked through by proceed().
    void add(std::vector<RawQuestion> questions);
    bool waiting() const { return m_next < m_queue.size(); }
    // Works through what was added: true once all of it is done; false when
    // it stopped after copying a step of a bank's texts (call again);
    // nothing when the database failed (failure() says why).
    std::optional<bool> proceed();
    // add and proceed to the end.
    bool take(std::vector<RawQuestion> questions);

    const ImportPreview &preview() const { return m_preview; }
    QString failure() const { return m_failure; }

    // Ends the store: kept when the file read as it did in `previewed`;
    // otherwise, or on any failure, nothing is stored.
    StoreOutcome finishStore(const ImportPreview &previewed);

private:
    bool fail();
    size_t comparableRows() const;
    bool markPresent(size_t end);
    bool storeChosen(size_t end);

    DataStore &m_store;
    BankTexts &m_texts;
    ImportPreview m_preview;
    std::vector<PreviewRow> m_queue;
    size_t m_next = 0;
    std::unique_ptr<Transaction> m_unit;
    std::unique_ptr<CopiedPictures> m_copies;
    bool m_includeDuplicates = false;
    qint64 m_stored = 0;
    QString m_failure;
};

} // namespace kaoshi
