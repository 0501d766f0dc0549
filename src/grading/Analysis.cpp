#include "grading/Analysis.h"

#include "data/ScoreStatements.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace kaoshi {

namespace {

// Below this a variance or a score is taken as none: sums of halves and
// whole numbers leave no real spread smaller than this.
constexpr double kTiny = 1e-9;
constexpr double kDiscriminationFloor = 0.2;
constexpr double kFacilityFloor = 0.2;
constexpr double kFacilityCeiling = 0.9;
constexpr double kGroupShare = 0.27;

std::optional<double> ratio(double part, double whole)
{
    if (std::abs(whole) < kTiny)
        return std::nullopt;
    return part / whole;
}

// Population variance from a count, a sum and a sum of squares.
double variance(double n, double sum, double squares)
{
    const double mean = sum / n;
    return std::max(0.0, squares / n - mean * mean);
}

// The correlation of an item score x with the rest of its candidate's total
// (T − x), over the candidates who answered it.
std::optional<double> itemRestCorrelation(const QuestionSums &s)
{
    if (s.n < 2)
        return std::nullopt;
    const double restSum = s.t - s.x;
    const double restSquares = s.tt - 2 * s.xt + s.xx;
    const double crossSum = s.xt - s.xx;
    const double varX = variance(s.n, s.x, s.xx);
    const double varRest = variance(s.n, restSum, restSquares);
    if (varX < kTiny || varRest < kTiny)
        return std::nullopt;
    const double covariance = crossSum / s.n - (s.x / s.n) * (restSum / s.n);
    return std::clamp(covariance / std::sqrt(varX * varRest), -1.0, 1.0);
}

QString twoPlaces(double v) { return QString::number(v, 'f', 2); }

QStringList questionFlags(const QuestionAnalysis &q)
{
    QStringList flags;
    if (q.discrimination && *q.discrimination < kDiscriminationFloor)
        flags << QStringLiteral("区分度低：D=%1，低于0.2").arg(twoPlaces(*q.discrimination));
    if (q.facility && *q.facility < kFacilityFloor)
        flags << QStringLiteral("太难：P=%1，低于0.2").arg(twoPlaces(*q.facility));
    if (q.facility && *q.facility > kFacilityCeiling)
        flags << QStringLiteral("太易：P=%1，高于0.9").arg(twoPlaces(*q.facility));
    return flags;
}

// Options A … up to the last letter that the standard answer holds or that
// some answer of either group chose.
std::vector<OptionShare> optionShares(const QuestionSums &s, const QString &standardAnswer)
{
    int last = -1;
    for (int i = 0; i < kOptionLetters; ++i)
        if (standardAnswer.contains(QChar(u'A' + i)) || s.topLetter[i] > 0 || s.bottomLetter[i] > 0)
            last = i;
    std::vector<OptionShare> options;
    for (int i = 0; i <= last; ++i) {
        OptionShare o;
        o.letter = QChar(u'A' + i);
        o.correct = standardAnswer.contains(o.letter);
        o.top = ratio(s.topLetter[i], s.top);
        o.bottom = ratio(s.bottomLetter[i], s.bottom);
        o.attractsTheStrong = !o.correct && o.top && o.bottom && *o.top > *o.bottom + kTiny;
        options.push_back(o);
    }
    return options;
}

QuestionAnalysis analyseQuestion(const QuestionSums &s)
{
    QuestionAnalysis q;
    q.type = s.type;
    q.number = s.number;
    q.text = s.text;
    q.answered = int(s.n);
    q.fullMark = s.fullMark;
    if (q.fullMark && *q.fullMark > kTiny) {
        q.facility = s.x / s.n / *q.fullMark;
        const std::optional<double> top = ratio(s.topX, s.top * *q.fullMark);
        const std::optional<double> bottom = ratio(s.bottomX, s.bottom * *q.fullMark);
        if (top && bottom)
            q.discrimination = *top - *bottom;
    }
    q.itemRest = itemRestCorrelation(s);
    q.flags = questionFlags(q);
    if (q.type == QStringLiteral("单选") || q.type == QStringLiteral("多选"))
        q.options = optionShares(s, s.standardAnswer);
    return q;
}

// KR-20 / α = k/(k−1) · (1 − Σ item variances / variance of the totals), the
// variances over all candidates, an unanswered item counting 0.
Reliability paperReliability(const std::vector<QuestionAnalysis> &questions, const std::vector<QuestionSums> &sums,
                             const std::vector<double> &totals)
{
    Reliability result;
    const double n = double(totals.size());
    double itemVariances = 0;
    int items = 0;
    for (size_t i = 0; i < questions.size(); ++i) {
        if (!questions[i].fullMark)
            continue;
        ++items;
        itemVariances += variance(n, sums[i].x, sums[i].xx);
        // All or nothing: every x is 0 or 分值, so Σx² = 分值 · Σx.
        if (std::abs(sums[i].xx - *questions[i].fullMark * sums[i].x) > 1e-6)
            result.rightOrWrong = false;
    }
    if (totals.size() < 2 || items < 2)
        return result;
    const double sum = std::accumulate(totals.begin(), totals.end(), 0.0);
    const double squares = std::inner_product(totals.begin(), totals.end(), totals.begin(), 0.0);
    const double totalVariance = variance(n, sum, squares);
    if (totalVariance < kTiny)
        return result;
    result.value = double(items) / (items - 1) * (1 - itemVariances / totalVariance);
    return result;
}

} // namespace

int extremeGroupSize(int candidates)
{
    if (candidates < 2)
        return 0;
    return std::max(1, int(std::lround(kGroupShare * candidates)));
}

ResultSummary summariseTotals(std::vector<double> totals, double fullMark, const AnalysisSettings &settings)
{
    ResultSummary s;
    s.candidates = int(totals.size());
    s.fullMark = fullMark;
    if (totals.empty())
        return s;
    std::sort(totals.begin(), totals.end());
    const double n = double(totals.size());
    const double sum = std::accumulate(totals.begin(), totals.end(), 0.0);
    s.mean = sum / n;
    const size_t middle = totals.size() / 2;
    s.median = totals.size() % 2 ? totals[middle] : (totals[middle - 1] + totals[middle]) / 2;
    s.lowest = totals.front();
    s.highest = totals.back();
    if (totals.size() >= 2) {
        double squares = 0;
        for (double t : totals)
            squares += (t - *s.mean) * (t - *s.mean);
        s.standardDeviation = std::sqrt(squares / (n - 1));
    }
    if (fullMark > kTiny) {
        auto share = [&](double threshold) {
            const double line = threshold * fullMark - kTiny;
            return double(std::count_if(totals.begin(), totals.end(), [&](double t) { return t >= line; })) / n;
        };
        s.passRate = share(settings.passShare);
        s.excellentRate = share(settings.excellentShare);
    }
    return s;
}

std::vector<ScoreBand> scoreBands(const std::vector<double> &totals, double fullMark)
{
    std::vector<ScoreBand> bands;
    if (fullMark <= kTiny)
        return bands;
    for (int i = 0; i < 10; ++i)
        bands.push_back({fullMark * i / 10, fullMark * (i + 1) / 10, 0});
    for (double t : totals) {
        const int band = std::clamp(int(std::floor(t * 10 / fullMark + kTiny)), 0, 9);
        ++bands[size_t(band)].candidates;
    }
    return bands;
}

ResultAnalysis analyseResults(DataStore &store, const QString &occasion, const AnalysisSettings &settings)
{
    ResultAnalysis result;
    const AnalysisSums read = analysisSums(store, occasion, extremeGroupSize);
    const CandidateScores &candidates = read.candidates;
    if (candidates.error.isError()) {
        result.failure = QStringLiteral("成绩未能读出");
        result.reason = candidates.error.message;
        return result;
    }
    std::vector<double> totals;
    double fullMark = 0;
    for (const CandidateScore &c : candidates.rows) {
        totals.push_back(c.total);
        fullMark = std::max(fullMark, c.fullMark);
    }
    result.summary = summariseTotals(totals, fullMark, settings);
    result.bands = scoreBands(totals, fullMark);

    const QuestionSumsList &sums = read.questions;
    if (sums.error.isError()) {
        result = ResultAnalysis();
        result.failure = QStringLiteral("试题统计未能读出");
        result.reason = sums.error.message;
        return result;
    }
    for (const QuestionSums &s : sums.rows)
        result.questions.push_back(analyseQuestion(s));
    result.reliability = paperReliability(result.questions, sums.rows, totals);
    return result;
}

} // namespace kaoshi
