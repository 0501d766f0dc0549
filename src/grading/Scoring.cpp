#include "grading/Scoring.h"

#include "data/AnswerTable.h"
#include "data/WorkTable.h"

namespace kaoshi {

bool isDetailMode(const QString &number, const QString &occasion)
{
    return !number.isEmpty() && !occasion.isEmpty();
}

bool isRightAnswer(const QString &answer, const QString &standardAnswer) { return answer == standardAnswer; }

TotalsResult gradeTotals(DataStore &store, const QString &number, const QString &occasion)
{
    TotalsResult result;
    if (!rebuildWorkTable(store)) {
        result.failure = QStringLiteral("评分表未能重建");
        result.reason = store.lastError().message;
        return result;
    }
    const std::optional<std::vector<CandidateTotal>> totals = readTotals(store, number, occasion);
    if (!totals) {
        result.failure = QStringLiteral("总分未能读出");
        result.reason = store.lastError().message;
        return result;
    }
    for (const CandidateTotal &total : *totals)
        result.rows.push_back({total.number, total.occasion, total.name, total.total});
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
        if (isRightAnswer(row.answer, row.standardAnswer)) {
            row.score = detail.score;
            result.total += detail.score;
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

} // namespace kaoshi
