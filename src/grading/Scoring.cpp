#include "grading/Scoring.h"

#include "data/AnswerTable.h"
#include "data/KeysetRows.h"
#include "data/DataStore.h"
#include "data/ScoreStatements.h"

#include <QElapsedTimer>
#include <algorithm>

namespace kaoshi {

bool isDetailMode(const QString &number, const QString &occasion)
{
    return !number.isEmpty() && !occasion.isEmpty();
}

bool isRightAnswer(const QString &answer, const QString &standardAnswer) { return answer == standardAnswer; }

TotalsResult gradeTotals(DataStore &store, const QString &number, const QString &occasion)
{
    TotalsResult result;
    CandidateTotals totals = readCandidateTotals(store, number, occasion);
    if (totals.error.isError()) {
        result.failure = QStringLiteral("总分未能读出");
        result.reason = totals.error.message;
        return result;
    }
    result.rows.reserve(totals.rows.size());
    for (CandidateTotalRow &row : totals.rows)
        result.rows.push_back({std::move(row.number), std::move(row.occasion), std::move(row.name), row.total});
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
        DetailRow row = detailRowOf(detail);
        result.total += row.score.value_or(0);
        result.rows.push_back(std::move(row));
    }
    return result;
}

DetailRow detailRowOf(const AnswerDetail &detail)
{
    DetailRow row{detail.questionNumber, detail.type, detail.question, detail.standardAnswer, detail.answer,
                  detail.number, detail.occasion, detail.name, std::nullopt};
    if (detail.handScore) {
        row.score = detail.handScore;
        row.byHand = true;
    } else if (isRightAnswer(row.answer, row.standardAnswer)) {
        row.score = detail.score;
    }
    return row;
}

DetailListing detailListing(DataStore &store, const QString &number, const QString &occasion,
                            std::function<QStringList(const DetailRow &)> cellsOf)
{
    DetailListing listing;
    const auto fail = [&] {
        listing.failure = QStringLiteral("答题记录未能读出");
        listing.reason = store.lastError().message;
        return listing;
    };
    // The counts go through every answer: on a connection of their own.
    const std::unique_ptr<DataStore> reader = openLightReader(store);
    const std::optional<std::vector<AnswerRun>> runs = answerRuns(reader ? *reader : store, number, occasion);
    if (!runs) {
        if (reader)
            store.noteFailure(reader->lastError().message);
        return fail();
    }
    std::vector<KeysetRun> keysetRuns;
    for (const AnswerRun &run : *runs) {
        keysetRuns.push_back({run.count, [&store, number, occasion, run, cellsOf](
                                             const std::optional<ListPosition> &from, bool backwards, qint64 offset,
                                             qint64 limit) -> std::optional<std::vector<KeysetRow>> {
            const auto answers = answerRunRows(store, number, occasion, run, from, backwards, offset, limit);
            if (!answers)
                return std::nullopt;
            std::vector<KeysetRow> rows;
            rows.reserve(answers->size());
            for (const PlacedAnswer &answer : *answers) {
                const DetailRow row = detailRowOf(answer.detail);
                rows.push_back({answer.position, cellsOf(row), row.byHand});
            }
            return rows;
        }});
    }
    listing.rows = std::make_shared<KeysetRows>(std::move(keysetRuns), 0);
    return listing;
}

DetailTotal::DetailTotal(DataStore &store, QString number, QString occasion, qint64 sliceAnswers)
    : m_reader(openLightReader(store)), m_store(m_reader ? *m_reader : store), m_number(std::move(number)), m_occasion(std::move(occasion)),
      m_slice(std::max<qint64>(1, sliceAnswers)), m_banks(allQuestionTypes().begin(), allQuestionTypes().end())
{
}

DetailTotal::~DetailTotal() = default;

bool DetailTotal::advance(qint64 budgetMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!finished()) {
        const ScoreSlice slice = sumScoreSlice(m_store, m_number, m_occasion, m_banks[m_bank], m_after, m_slice);
        if (slice.error.isError()) {
            m_reason = slice.error.message;
            return false;
        }
        m_total += slice.sum;
        m_after = slice.last;
        // A slice that took the rest of its bank: the next bank follows.
        if (slice.last.isNull())
            ++m_bank;
        if (timer.elapsed() >= budgetMs)
            break;
    }
    return true;
}

} // namespace kaoshi
