#include "import/ImportStore.h"

#include "data/DataStore.h"
#include "data/TextRules.h"

namespace kaoshi {

QSet<QString> existingQuestionTexts(DataStore &store, const QString &type)
{
    QSet<QString> texts;
    RecordCursor bank = store.openCursor(type, CursorKind::Table);
    QString text;
    for (bool more = bank.first(); more; more = bank.next())
        if (bank.readText(QStringLiteral("题目"), text))
            texts.insert(trimSpaces(text));
    return texts;
}

StoreOutcome storeImportedQuestions(DataStore &store, const QString &type,
                                    const std::vector<QuestionValues> &rows)
{
    StoreOutcome outcome;
    DataStore::Transaction unit(store);
    RecordCursor bank = store.openCursor(type, CursorKind::Table);
    qint64 number = maxQuestionNumber(store, type);
    for (const QuestionValues &values : rows) {
        if (!insertQuestion(bank, ++number, values)) {
            outcome.reason = QStringLiteral("数据库拒绝写入");
            return outcome;
        }
    }
    bank.close();
    if (!unit.commit()) {
        outcome.reason = QStringLiteral("数据库拒绝写入");
        return outcome;
    }
    outcome.stored = true;
    outcome.count = qint64(rows.size());
    return outcome;
}

} // namespace kaoshi
