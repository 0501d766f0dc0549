#pragma once
// One pass over the questions of a file for one bank: the preview, which
// checks and counts every row, or the store, which reads the file a second
// time, checks every row again and stores the chosen ones in one unit of
// work. The questions already in the bank are told through the database.
#include "data/BankTable.h"
#include "import/ImportPreview.h"

#include <memory>
#include <vector>

namespace kaoshi {

class DataStore;

struct StoreOutcome {
    bool stored = false;
    qint64 count = 0;
    QString reason; // the engine's reason when nothing was stored
};

class ImportRun
{
public:
    // texts: the bank's texts, filled or being filled; it outlives the run.
    ImportRun(DataStore &store, bank::QuestionTextIndex &texts, QuestionType type);
    ~ImportRun();

    // Makes this pass the store: the unit of work begins, and every ready
    // row (and every row already in the bank when includeDuplicates) is
    // stored, numbered after the bank's highest 题号 in the file's order
    // (bank::appendQuestions, a slice at a time, inside the one unit).
    bool beginStore(bool includeDuplicates);
    bool isStoring() const { return m_unit != nullptr; }

    // Checks (and in a store, stores) the next questions of the file. false:
    // the database failed; failure() says why.
    bool take(const std::vector<RawQuestion> &questions);
    const ImportPreview &preview() const { return m_preview; }
    QString failure() const { return m_failure; }

    // Ends the store: kept when the file read as it did in `previewed`;
    // otherwise, or on any failure, nothing is stored.
    StoreOutcome finishStore(const ImportPreview &previewed);

private:
    bool fail();

    DataStore &m_store;
    bank::QuestionTextIndex &m_texts;
    ImportPreview m_preview;
    std::unique_ptr<Transaction> m_unit;
    bool m_includeDuplicates = false;
    qint64 m_stored = 0;
    QString m_failure;
};

} // namespace kaoshi
