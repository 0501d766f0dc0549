#pragma once
// The results analysis of an occasion: how the candidates did (summary and
// score bands), how each question worked (得分率 P, 区分度 D, the item-rest
// correlation, the options chosen by the strongest and the weakest), and how
// reliable the paper is (KR-20 or Cronbach's α). The database adds up; this
// turns the sums into statistics. A value that cannot be computed (too few
// candidates, no spread, a 分值 of 0) is absent, never NaN.
//
// A candidate is one 考号 of one 场次. An answer scores as in grading (hand
// score, else full 分值 when right, else 0). Per question the statistics are
// over the candidates who answered it; a question a candidate did not answer
// counts 0 for that candidate in the reliability of the paper.
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace kaoshi {

class DataStore;

struct AnalysisSettings {
    double passShare = 0.6;       // 及格: total ≥ this share of 满分
    double excellentShare = 0.85; // 优秀
};

struct ResultSummary {
    int candidates = 0;           // 人数
    double fullMark = 0;          // 满分: the largest paper's sum of 分值
    std::optional<double> mean, median, standardDeviation, highest, lowest;
    std::optional<double> passRate, excellentRate; // shares 0 … 1
};

// One tenth of 满分: [from, to), the last one including 满分.
struct ScoreBand {
    double from = 0;
    double to = 0;
    int candidates = 0;
};

struct OptionShare {
    QChar letter;
    bool correct = false;             // part of the standard answer
    std::optional<double> top, bottom; // share of the group's answers containing it
    bool attractsTheStrong = false;   // a wrong option the top group chose more
};

struct QuestionAnalysis {
    QString type;
    qint64 number = 0;
    QString text;
    int answered = 0;                  // 作答人数
    std::optional<double> fullMark;    // 分值; absent when the question is missing
    std::optional<double> facility;    // P
    std::optional<double> discrimination; // D
    std::optional<double> itemRest;    // corrected point-biserial
    QStringList flags;                 // why the question needs a look
    std::vector<OptionShare> options;  // 单选 and 多选 only
};

struct Reliability {
    bool rightOrWrong = true; // every item scored all or nothing: KR-20
    std::optional<double> value;
    QString name() const { return rightOrWrong ? QStringLiteral("KR-20") : QStringLiteral("Cronbach α"); }
};

struct ResultAnalysis {
    ResultSummary summary;
    std::vector<ScoreBand> bands;
    std::vector<QuestionAnalysis> questions;
    Reliability reliability;
    QString failure; // "" when everything was read
    QString reason;
};

// occasion "" analyses every occasion.
ResultAnalysis analyseResults(DataStore &store, const QString &occasion, const AnalysisSettings &settings);

// The parts, on values already read.
ResultSummary summariseTotals(std::vector<double> totals, double fullMark, const AnalysisSettings &settings);
std::vector<ScoreBand> scoreBands(const std::vector<double> &totals, double fullMark);
// The top and bottom groups: 27% of the candidates each, at least one; none
// with fewer than two candidates.
int extremeGroupSize(int candidates);

} // namespace kaoshi
