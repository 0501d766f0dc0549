// The results analysis without windows, against values worked out by hand
// for ten candidates and six questions: ties, an unanswered 多选, hand scores
// of a 问答, a distractor the strong chose, and a question that does not
// separate. Then the cases where a statistic cannot be computed.
#include "support/AnswerRows.h"
#include "support/TestDatabase.h"

#include "data/HandScoreTable.h"
#include "grading/Analysis.h"
#include "grading/ResultTables.h"
#include "grading/Scoring.h"

#include <gtest/gtest.h>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

// 单选1 A (2), 单选2 B (2), 多选1 AC (3), 判断1 √ (1), 判断2 × (1), 问答1 北京 (5):
// 满分 14. Candidate totals: C01 14, C02 9.5, C03 9, C04 9, C05 11, C06 6,
// C07 4, C08 1, C09 4.5, C10 0.5. Top group (27% of 10 = 3): C01, C05, C02;
// bottom group: C07, C08, C10.
struct Fixture {
    TestDatabase db;
    explicit Fixture(bool withFreeAnswers = true)
    {
        db.addQuestion("单选", {1, "单选题一", "A", {}, 2});
        db.addQuestion("单选", {2, "单选题二", "B", {}, 2});
        db.addQuestion("多选", {1, "多选题", "AC", {}, 3});
        db.addQuestion("判断", {1, "判断题一", "√", {}, 1});
        db.addQuestion("判断", {2, "判断题二", "×", {}, 1});
        db.addQuestion("问答", {1, "首都是哪里", "北京", {}, 5});
        db.addQuestion("问答", {2, "没有人答的题", "无", {}, 5});
        const QStringList single1 = QString("A A A A B A C B A D").split(' ');
        const QStringList single2 = QString("B B C B B A B A C A").split(' ');
        const QStringList multiple = QString("AC ACD AC A AC ABC C AB - B").split(' ');
        const QStringList judge1 = QString("√ √ × √ √ √ × √ × ×").split(' ');
        const QStringList judge2 = QString("× √ × × √ × × √ × √").split(' ');
        const QStringList free = QString("甲 乙 丙 丁 北京 戊 己 庚 辛 壬").split(' ');
        const double hand[] = {5, 4.5, 3, 3, -1, 2, 1, 0, 1.5, 0.5}; // -1: none, C05 is right as typed
        for (int i = 0; i < 10; ++i) {
            const QString c = QStringLiteral("C%1").arg(i + 1, 2, 10, QChar('0'));
            const QString name = QStringLiteral("考生%1").arg(i + 1);
            auto add = [&](qint64 n, const QString &type, const QString &answer) {
                EXPECT_TRUE(addAnswers(db.store(), {{c, "一", name, n, type, answer}}));
            };
            add(1, "单选", single1[i]);
            add(2, "单选", single2[i]);
            if (multiple[i] != "-")
                add(1, "多选", multiple[i]);
            add(1, "判断", judge1[i]);
            add(2, "判断", judge2[i]);
            if (withFreeAnswers) {
                add(1, "问答", free[i]);
                if (hand[i] >= 0)
                    EXPECT_TRUE(storeHandScore(db.store(), {c, "一", name, 1, {}, {}, {}, 5, {}}, hand[i],
                                               QDateTime(QDate(2026, 12, 1), QTime(9, 0))));
            }
        }
    }
};

const QuestionAnalysis &question(const ResultAnalysis &a, const QString &type, qint64 number)
{
    for (const QuestionAnalysis &q : a.questions)
        if (q.type == type && q.number == number)
            return q;
    static const QuestionAnalysis none;
    ADD_FAILURE() << "no question " << type.toStdString() << number;
    return none;
}

QString optionsOf(const QuestionAnalysis &q)
{
    QStringList parts;
    for (const OptionShare &o : q.options)
        parts << QStringLiteral("%1%2:%3/%4%5")
                     .arg(o.letter)
                     .arg(o.correct ? "*" : "")
                     .arg(statisticText(o.top, 3), statisticText(o.bottom, 3))
                     .arg(o.attractsTheStrong ? "!" : "");
    return parts.join(' ');
}

} // namespace

TEST(Analysis, SummaryAndBandsOfTheFixture)
{
    Fixture f;
    const ResultAnalysis a = analyseResults(f.db.store(), "一", AnalysisSettings{});
    ASSERT_EQ(a.failure, QString());
    const ResultSummary &s = a.summary;
    EXPECT_EQ(s.candidates, 10);
    EXPECT_DOUBLE_EQ(s.fullMark, 14);
    EXPECT_DOUBLE_EQ(*s.mean, 6.85);
    EXPECT_DOUBLE_EQ(*s.median, 7.5);
    EXPECT_NEAR(*s.standardDeviation, 4.390963, 1e-6);
    EXPECT_DOUBLE_EQ(*s.highest, 14);
    EXPECT_DOUBLE_EQ(*s.lowest, 0.5);
    EXPECT_DOUBLE_EQ(*s.passRate, 0.5);       // ≥ 8.4: 14, 11, 9.5, 9, 9
    EXPECT_DOUBLE_EQ(*s.excellentRate, 0.1);  // ≥ 11.9: 14
    std::vector<int> counts;
    for (const ScoreBand &band : a.bands)
        counts.push_back(band.candidates);
    EXPECT_EQ(counts, (std::vector<int>{2, 0, 1, 1, 1, 0, 3, 1, 0, 1})); // 14 falls in the last band
    EXPECT_EQ(bandLabel(a.bands[6]), "8.4~9.8");

    // The thresholds are the teacher's: 40% (5.6) and 100%.
    const ResultAnalysis other = analyseResults(f.db.store(), "", AnalysisSettings{0.4, 1.0});
    EXPECT_DOUBLE_EQ(*other.summary.passRate, 0.6);
    EXPECT_DOUBLE_EQ(*other.summary.excellentRate, 0.1);
}

TEST(Analysis, QuestionsWithFacilityDiscriminationAndItemRestCorrelation)
{
    Fixture f;
    const ResultAnalysis a = analyseResults(f.db.store(), "一", AnalysisSettings{});
    ASSERT_EQ(a.questions.size(), 6u); // the question nobody answered is not among them
    QStringList order;
    for (const QuestionAnalysis &q : a.questions)
        order << q.type + QString::number(q.number);
    EXPECT_EQ(order, (QStringList{"单选1", "单选2", "多选1", "判断1", "判断2", "问答1"}));
    const struct {
        QString type;
        qint64 number;
        int answered;
        double p, d, r;
    } expected[] = {
        {"单选", 1, 10, 0.6, 0.666667, 0.333333},
        {"单选", 2, 10, 0.5, 0.666667, 0.456743},
        {"多选", 1, 9, 0.333333, 0.666667, 0.450694},
        {"判断", 1, 10, 0.6, 0.666667, 0.360497},
        {"判断", 2, 10, 0.6, 0.0, 0.150723},
        {"问答", 1, 10, 0.51, 0.866667, 0.886686},
    };
    for (const auto &e : expected) {
        const QuestionAnalysis &q = question(a, e.type, e.number);
        SCOPED_TRACE(e.type.toStdString() + std::to_string(e.number));
        EXPECT_EQ(q.answered, e.answered);
        EXPECT_NEAR(*q.facility, e.p, 1e-5);
        EXPECT_NEAR(*q.discrimination, e.d, 1e-5);
        EXPECT_NEAR(*q.itemRest, e.r, 1e-4);
    }
    // Only 判断2 fails to separate; none is too easy or too hard.
    EXPECT_EQ(question(a, "判断", 2).flags, QStringList{"区分度低：D=0.00，低于0.2"});
    for (const QuestionAnalysis &q : a.questions)
        if (q.type + QString::number(q.number) != "判断2")
            EXPECT_TRUE(q.flags.isEmpty()) << q.type.toStdString() << q.number;

    // Options: the share of each group's answers containing the letter; D of
    // 多选1 was chosen by one of the strong (C02 "ACD") and none of the weak.
    EXPECT_EQ(optionsOf(question(a, "单选", 1)), "A*:0.667/0 B:0.333/0.333 C:0/0.333 D:0/0.333");
    EXPECT_EQ(optionsOf(question(a, "多选", 1)), "A*:1/0.333 B:0/0.667 C*:1/0.333 D:0.333/0!");
    EXPECT_TRUE(question(a, "判断", 1).options.empty());
    EXPECT_TRUE(question(a, "问答", 1).options.empty());

    // Hand scores of halves make it Cronbach's α; without the 问答 every item
    // is right or wrong: KR-20.
    EXPECT_FALSE(a.reliability.rightOrWrong);
    EXPECT_EQ(a.reliability.name(), "Cronbach α");
    EXPECT_NEAR(*a.reliability.value, 0.688085, 1e-5);
    Fixture choices(false);
    const ResultAnalysis kr = analyseResults(choices.db.store(), "一", AnalysisSettings{});
    EXPECT_EQ(kr.reliability.name(), "KR-20");
    EXPECT_NEAR(*kr.reliability.value, 0.405616, 1e-5);
}

TEST(Analysis, TablesKeepNumbersAsNumbersAndMarkWhatNeedsALook)
{
    Fixture f;
    const AnalysisSettings settings;
    const ResultAnalysis a = analyseResults(f.db.store(), "一", settings);
    const ResultTable summary = summaryTable(a, settings);
    QStringList lines;
    for (const auto &row : summary.rows)
        lines << row[0].text + "=" + row[1].text;
    EXPECT_EQ(lines, (QStringList{"人数=10", "满分=14", "平均分=6.85", "中位数=7.5", "标准差=4.39", "最高分=14",
                                  "最低分=0.5", "及格率(%)，≥60%满分=50", "优秀率(%)，≥85%满分=10",
                                  "信度 Cronbach α=0.688"}));
    const ResultTable questions = questionTable(a);
    ASSERT_EQ(questions.rows.size(), 6u);
    const auto &judge2 = questions.rows[4];
    EXPECT_EQ(judge2[5].text, "0.6");
    EXPECT_EQ(judge2[6].text, "0");
    EXPECT_EQ(judge2[8].text, "需复查");
    EXPECT_EQ(judge2[8].note, "区分度低：D=0.00，低于0.2");
    EXPECT_TRUE(questions.rows[0][8].note.isEmpty());
    const ResultTable options = optionTable(a);
    int marked = 0;
    for (const auto &row : options.rows)
        marked += !row[6].note.isEmpty();
    EXPECT_EQ(marked, 1);
    EXPECT_EQ(bandTable(a).rows.size(), 10u);
}

TEST(Analysis, WhatCannotBeComputedIsAbsent)
{
    const auto hasNone = [](const ResultAnalysis &a) {
        for (const QuestionAnalysis &q : a.questions)
            if (q.discrimination || q.itemRest)
                return false;
        return !a.reliability.value && !a.summary.standardDeviation;
    };
    {
        SCOPED_TRACE("no answers");
        TestDatabase db;
        const ResultAnalysis a = analyseResults(db.store(), "", AnalysisSettings{});
        EXPECT_EQ(a.failure, QString());
        EXPECT_EQ(a.summary.candidates, 0);
        EXPECT_FALSE(a.summary.mean || a.summary.median || a.summary.passRate);
        EXPECT_TRUE(a.bands.empty());
        EXPECT_TRUE(a.questions.empty());
        EXPECT_TRUE(hasNone(a));
        const ResultTable summary = summaryTable(a, AnalysisSettings{});
        EXPECT_EQ(summary.rows[2][1].text, "—");
        EXPECT_EQ(summary.rows[9][1].text, "—");
    }
    {
        SCOPED_TRACE("one candidate");
        TestDatabase db;
        db.addQuestion("单选", {1, "题", "A", {}, 2});
        db.addQuestion("单选", {2, "题", "B", {}, 2});
        addAnswers(db.store(), {{"K1", "一", "甲", 1, "单选", "A"}, {"K1", "一", "甲", 2, "单选", "C"}});
        const ResultAnalysis a = analyseResults(db.store(), "", AnalysisSettings{});
        EXPECT_EQ(a.summary.candidates, 1);
        EXPECT_DOUBLE_EQ(*a.summary.mean, 2);
        EXPECT_DOUBLE_EQ(*a.summary.passRate, 0);
        EXPECT_TRUE(hasNone(a));
        EXPECT_DOUBLE_EQ(*a.questions[0].facility, 1);
        EXPECT_EQ(questionTable(a).rows[0][6].text, "—");
        EXPECT_EQ(questionTable(a).rows[0][8].note, "太易：P=1.00，高于0.9");
        EXPECT_EQ(questionTable(a).rows[1][8].note, "太难：P=0.00，低于0.2");
    }
    {
        SCOPED_TRACE("all the same total, and a 分值 of 0");
        TestDatabase db;
        db.addQuestion("判断", {1, "题", "√", {}, 1});
        db.addQuestion("判断", {2, "零分题", "√", {}, 0});
        for (const QString c : {"K1", "K2", "K3", "K4"})
            addAnswers(db.store(), {{c, "一", c, 1, "判断", "√"}, {c, "一", c, 2, "判断", "×"}});
        const ResultAnalysis a = analyseResults(db.store(), "", AnalysisSettings{});
        EXPECT_EQ(a.summary.candidates, 4);
        EXPECT_DOUBLE_EQ(*a.summary.standardDeviation, 0);
        EXPECT_FALSE(a.reliability.value);
        ASSERT_EQ(a.questions.size(), 2u);
        EXPECT_DOUBLE_EQ(*a.questions[0].discrimination, 0);
        EXPECT_FALSE(a.questions[0].itemRest);
        EXPECT_FALSE(a.questions[1].facility); // a 分值 of 0
        EXPECT_FALSE(a.questions[1].discrimination);
        EXPECT_EQ(questionTable(a).rows[1][5].text, "—");
    }
    {
        SCOPED_TRACE("a 满分 of 0");
        TestDatabase db;
        db.addQuestion("判断", {1, "零分题", "√", {}, 0});
        addAnswers(db.store(), {{"K1", "一", "甲", 1, "判断", "√"}, {"K2", "一", "乙", 1, "判断", "×"}});
        const ResultAnalysis a = analyseResults(db.store(), "", AnalysisSettings{});
        EXPECT_TRUE(a.bands.empty());
        EXPECT_FALSE(a.summary.passRate);
    }
}

TEST(Analysis, AFailedReadIsReportedNotTakenAsNoResults)
{
    Fixture f;
    ASSERT_TRUE(f.db.store().execute("alter table 多选 rename to 旧多选"));
    const ResultAnalysis a = analyseResults(f.db.store(), "", AnalysisSettings{});
    EXPECT_FALSE(a.failure.isEmpty());
    EXPECT_TRUE(a.reason.contains("多选")) << a.reason.toStdString();
    EXPECT_EQ(a.summary.candidates, 0);
}

TEST(HandScores, TotalsAndDetailsUseThemAndOneStatementKeepsEach)
{
    Fixture f;
    auto answers = freeAnswers(f.db.store(), "一");
    ASSERT_TRUE(answers);
    ASSERT_EQ(answers->size(), 10u);
    EXPECT_EQ((*answers)[0].number, "C01");
    EXPECT_DOUBLE_EQ(*(*answers)[0].score, 5);
    EXPECT_FALSE((*answers)[4].score); // C05 has none
    EXPECT_DOUBLE_EQ((*answers)[4].fullMark, 5);
    EXPECT_EQ(f.db.count("阅卷"), 9);
    // A second score replaces the first.
    ASSERT_TRUE(storeHandScore(f.db.store(), (*answers)[0], 2.5, QDateTime(QDate(2026, 12, 2), QTime(10, 0))));
    EXPECT_EQ(f.db.count("阅卷"), 9);
    EXPECT_EQ(f.db.text("select 得分 || ' ' || 阅卷时间 from 阅卷 where 考号='C01'"), "2.5 2026-12-02 10:00:00");
    const TotalsResult totals = gradeTotals(f.db.store(), "C01", "");
    ASSERT_EQ(totals.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(totals.rows[0].total, 11.5);
    const DetailResult c01 = scoreDetails(f.db.store(), "C01", "一");
    EXPECT_DOUBLE_EQ(c01.total, 11.5);
    EXPECT_TRUE(c01.rows.back().byHand);
    EXPECT_DOUBLE_EQ(*c01.rows.back().score, 2.5);
    EXPECT_FALSE(c01.rows.front().byHand);
    // Without a hand score the answer is compared: C05 typed the standard answer.
    const DetailResult c05 = scoreDetails(f.db.store(), "C05", "一");
    EXPECT_FALSE(c05.rows.back().byHand);
    EXPECT_DOUBLE_EQ(*c05.rows.back().score, 5);
    // Refused: nothing changes and the caller hears of it.
    f.db.refuse("阅卷", "update");
    EXPECT_FALSE(storeHandScore(f.db.store(), (*answers)[0], 1, QDateTime::currentDateTime()));
    EXPECT_TRUE(f.db.store().lastError().message.contains("拒绝写入"));
    EXPECT_EQ(f.db.text("select 得分 from 阅卷 where 考号='C01'"), "2.5");
}
