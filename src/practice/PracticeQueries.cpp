#include "practice/PracticeQueries.h"

#include "data/DataStore.h"
#include "data/KeysetRows.h"
#include "data/ScoreStatements.h"
#include "data/TextRules.h"

namespace kaoshi {

const QStringList &wrongListTitles()
{
    static const QStringList titles{QString(), QStringLiteral("题号"), QStringLiteral("题型"),
                                    QStringLiteral("题目"), QStringLiteral("标准答案"), QStringLiteral("练习答案")};
    return titles;
}

const std::vector<int> &wrongListWidths()
{
    static const std::vector<int> widths{0, 50, 50, 500, 70, 70};
    return widths;
}

std::shared_ptr<RowSource> wrongQuestionListing(DataStore &store)
{
    const auto cellsOf = [](const Question &question) {
        return QStringList{QString(),     question.number.toText(), typeCaption(question.type),
                           question.text, question.answer,          question.practiceAnswer};
    };
    // Bank by bank; in each, the rows without a 题号 come first, as the file
    // sorts them. Each run is counted now and read as it comes into view.
    // The counts go through every wrong question: on a connection of their own.
    const std::unique_ptr<DataStore> reader = openLightReader(store);
    std::vector<KeysetRun> runs;
    for (QuestionType type : allQuestionTypes()) {
        for (const bool numbered : {false, true}) {
            const std::optional<qint64> count = bank::wrongQuestionCount(reader ? *reader : store, type, numbered);
            if (!count) {
                if (reader)
                    store.noteFailure(reader->lastError().message);
                return nullptr;
            }
            runs.push_back({*count, [&store, type, numbered, cellsOf](const std::optional<ListPosition> &from,
                                                                      bool backwards, qint64 offset, qint64 limit)
                                -> std::optional<std::vector<KeysetRow>> {
                const auto questions = bank::wrongQuestionRows(store, type, numbered, from, backwards, offset, limit);
                if (!questions)
                    return std::nullopt;
                return questionRows(*questions, cellsOf);
            }});
        }
    }
    return std::make_shared<KeysetRows>(std::move(runs), kWrongListColumns);
}

} // namespace kaoshi
