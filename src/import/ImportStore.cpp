#include "import/ImportStore.h"

#include "data/DataStore.h"
#include "data/TextRules.h"

namespace kaoshi {

std::optional<QSet<QString>> existingQuestionTexts(DataStore &store, const QString &type)
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

StoreOutcome storeImportedQuestions(DataStore &store, const QString &type,
                                    const std::vector<QuestionValues> &rows)
{
    StoreOutcome outcome;
    // The highest number is read inside the unit, so the new numbers follow it.
    Transaction unit(store);
    std::optional<qint64> highest;
    if (!unit.isOpen() || !(highest = bank::maxNumber(store, type)) ||
        !bank::insertQuestions(store, type, *highest + 1, rows) || !unit.commit()) {
        outcome.reason = unit.error().isError() ? unit.error().message : store.errorString();
        return outcome;
    }
    outcome.stored = true;
    outcome.count = qint64(rows.size());
    return outcome;
}

} // namespace kaoshi
