#pragma once
// Reading what an import compares against, and storing the imported rows.
#include "data/BankTable.h"
#include "import/QuestionSource.h"

#include <QDateTime>

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

// A question to store into its bank, with the pictures of the document it
// came from.
struct ImportedQuestion {
    QuestionType type;
    QuestionValues values;
    QList<RawPicture> pictures;
};

// Stores questions of any of the four banks in one unit of work, each bank's
// numbered after its highest 题号 in their order. The pictures of the
// document (`documentPath`, a .docx) get new names made from `now`; their
// bytes (kept by the server where it keeps the pictures) and their 图片 rows
// are stored in the same unit, and their files take their places in the
// folder image once it has committed. When anything fails, nothing is stored
// and no file is left behind.
StoreOutcome storeImportBatch(DataStore &store, const QString &programDir, const QString &documentPath,
                              const std::vector<ImportedQuestion> &questions, const QDateTime &now);

} // namespace kaoshi
