#pragma once
// Reading what an import compares against, and storing the imported rows.
#include "data/BankTable.h"

#include <QSet>
#include <optional>
#include <vector>

namespace kaoshi {

class DataStore;

// The 题目 of every question in the bank, trimmed; nothing when the bank
// cannot be read (the store's last error says why).
std::optional<QSet<QString>> existingQuestionTexts(DataStore &store, QuestionType type);

struct StoreOutcome {
    bool stored = false;
    qint64 count = 0;
    QString reason; // the engine's reason when nothing was stored
};

// Adds the questions to the bank in one unit of work, numbered after the
// bank's highest 题号 in their order (bank::appendQuestions). Either all are
// stored or none is.
StoreOutcome storeImportedQuestions(DataStore &store, QuestionType type,
                                    const std::vector<QuestionValues> &rows);

} // namespace kaoshi
