#include "import/ImportStore.h"

#include "data/DataStore.h"
#include "data/TextRules.h"

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

} // namespace kaoshi
