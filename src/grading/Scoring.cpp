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
    for (; !rows.atEnd(); rows.next()) {
        result.rows.push_back({rows.value(QStringLiteral("考号")).toText(), rows.value(QStringLiteral("场次")).toText(),
                               rows.value(QStringLiteral("姓名")).toText(),
                               rows.value(QStringLiteral("总分")).toNumber()});
    }
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
    RowSet rows = queryAnswerDetails(store, number, occasion);
    for (; !rows.atEnd(); rows.next()) {
        DetailRow row;
        row.questionNumber = rows.value(QStringLiteral("题号")).toInteger();
        row.type = rows.value(QStringLiteral("题型")).toText();
        row.question = rows.value(QStringLiteral("题目")).toText();
        row.standardAnswer = rows.value(QStringLiteral("标准答案")).toText();
        row.answer = rows.value(QStringLiteral("考生答案")).toText();
        row.number = rows.value(QStringLiteral("考号")).toText();
        row.occasion = rows.value(QStringLiteral("场次")).toText();
        row.name = rows.value(QStringLiteral("姓名")).toText();
        if (const FieldValue hand = rows.value(QStringLiteral("阅卷得分")); !hand.isNull()) {
            row.score = hand.toNumber();
            row.byHand = true;
        } else if (isRightAnswer(row.answer, row.standardAnswer)) {
            row.score = rows.value(QStringLiteral("分值")).toNumber();
        }
        result.total += row.score.value_or(0);
        result.rows.push_back(std::move(row));
    }
    if (rows.failed()) {
        result.rows.clear();
        result.total = 0;
        result.failure = QStringLiteral("答题记录未能读出");
        result.reason = rows.error().message;
    }
    return result;
}

} // namespace kaoshi
