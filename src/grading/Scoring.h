#pragma once
// Grading of the stored answers. An answer earns the hand score a marker gave
// it; without one, its question's full 分值 when the candidate's answer text
// equals its standard answer text, and nothing otherwise. With a candidate
// number or an occasion left empty the database sums the totals per 考号, 场次
// and 姓名 in one grouped statement; with both given, that candidate's answers
// of that occasion are marked one by one.
#include "data/FieldValue.h"
#include "data/QuestionType.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

namespace kaoshi {

class DataStore;
class RowSource;
struct AnswerDetail;

// Totals when either filter is empty, details when both are given. The
// texts are taken exactly as typed or chosen.
bool isDetailMode(const QString &number, const QString &occasion);

struct TotalsRow {
    QString number;   // 考号
    QString occasion; // 场次
    QString name;     // 姓名
    double total = 0; // 总分
};

struct TotalsResult {
    std::vector<TotalsRow> rows;
    // What failed ("" when nothing did) and the engine's reason.
    QString failure;
    QString reason;
};

// The totals, filtered by whichever text is given: every candidate, occasion
// and name with answers, 0 where nothing was right. The work table 临时 is
// neither read nor written.
TotalsResult gradeTotals(DataStore &store, const QString &number, const QString &occasion);

struct DetailRow {
    qint64 questionNumber = 0; // 题号
    QString type;              // 题型
    QString question;          // 题目
    QString standardAnswer;    // 标准答案
    QString answer;            // 考生答案
    QString number;            // 考号
    QString occasion;          // 场次
    QString name;              // 姓名
    // The hand score when there is one, else the question's 分值 when the
    // answer is right; nothing otherwise.
    std::optional<double> score;
    bool byHand = false; // the score is a marker's
};

struct DetailResult {
    std::vector<DetailRow> rows;
    double total = 0; // the sum of the scores present
    QString failure;
    QString reason;
};

// The answers of one candidate for one occasion, in the order of the banks
// and by 题号. An answer whose question is missing from its bank shows empty
// texts and is right (scoring 0) only when the answer is empty as well.
DetailResult scoreDetails(DataStore &store, const QString &number, const QString &occasion);

// One answer as its row of the list: its texts and its score.
DetailRow detailRowOf(const AnswerDetail &detail);

// The same answers read as they come into view (a window at a time, by
// keyset): the list of a candidate with a million answers shows at once. A
// row is marked when its score is a marker's. Their total is a DetailTotal.
struct DetailListing {
    std::shared_ptr<RowSource> rows;
    QString failure;
    QString reason;
};
DetailListing detailListing(DataStore &store, const QString &number, const QString &occasion,
                            std::function<QStringList(const DetailRow &)> cellsOf);

// The total of the same answers (the sum of the scores present), summed by
// the database a slice of answers at a time, bank by bank in 题号 order, so
// that a window can show a million answers at once and their total when it
// is done, and answer the user meanwhile.
class DetailTotal
{
public:
    static constexpr qint64 kSliceAnswers = 5000;

    DetailTotal(DataStore &store, QString number, QString occasion, qint64 sliceAnswers = kSliceAnswers);
    ~DetailTotal();

    // Sums on for about `budgetMs` (at least one slice); false when the
    // answers could not be read (failure() and reason() say why).
    bool advance(qint64 budgetMs);
    // Sums the rest.
    bool finish() { return advance(std::numeric_limits<qint64>::max()); }
    bool finished() const { return m_bank >= m_banks.size(); }
    double total() const { return m_total; }
    static QString failure() { return QStringLiteral("总分未能算出"); }
    QString reason() const { return m_reason; }

private:
    std::unique_ptr<DataStore> m_reader; // the sums read on a connection of their own where there is one
    DataStore &m_store;
    QString m_number;
    QString m_occasion;
    qint64 m_slice;
    std::vector<QuestionType> m_banks;
    size_t m_bank = 0;
    FieldValue m_after; // the last 题号 summed in the current bank
    double m_total = 0;
    QString m_reason;
};

// Whether an answer is right: the texts are equal, character for character.
bool isRightAnswer(const QString &answer, const QString &standardAnswer);

} // namespace kaoshi
