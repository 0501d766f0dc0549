#include "grading/Scoring.h"

#include "data/AnswerTable.h"
#include "data/ScoreStatements.h"

namespace kaoshi {

bool isDetailMode(const QString &number, const QString &occasion)
{
    return !number.isEmpty() && !occasion.isEmpty();
}

bool isRightAnswer(const QString &answer, const QString &standardAnswer) { return answer == standardAnswer; }

TotalsResult gradeTotals(DataStore &store, const QString &number, const QString &occasion)
{
    TotalsResult result;
    RowSet rows = queryTotals(store, number, occasion);
    for (; !rows.atEnd(); rows.next())
        result.rows.push_back({rows.value(1).toText(), rows.value(2).toText(), rows.value(3).toText(),
                               rows.value(4).toNumber()});
    if (rows.failed()) {
        result.rows.clear();
        result.failure = QStringLiteral("总分未能读出");
        result.reason = rows.error().message;
    }
    return result;
}

DetailResult scoreDetails(DataStore &store, const QString &number, const QString &occasion)
{
    DetailResult result;
    const std::optional<std::vector<AnswerDetail>> details = readAnswerDetails(store, number, occasion);
    if (!details) {
        result.failure = QStringLiteral("答题记录未能读出");
        result.reason = store.lastError().message;
        return result;
    }
    for (const AnswerDetail &detail : *details) {
        DetailRow row{detail.questionNumber, detail.type, detail.question, detail.standardAnswer, detail.answer,
                      detail.number, detail.occasion, detail.name, std::nullopt};
        if (detail.handScore) {
            row.score = detail.handScore;
            row.byHand = true;
        } else if (isRightAnswer(row.answer, row.standardAnswer)) {
            row.score = detail.score;
        }
        result.total += row.score.value_or(0);
        result.rows.push_back(std::move(row));
    }
    return result;
}

} // namespace kaoshi
