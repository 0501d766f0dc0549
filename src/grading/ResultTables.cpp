#include "grading/ResultTables.h"

#include "data/TextRules.h"

#include <cmath>

namespace kaoshi {

namespace {

constexpr int kShortText = 20;

TableCell cell(const QString &text) { return {text, QString()}; }
TableCell number(double value) { return cell(numberToText(value)); }
TableCell statistic(const std::optional<double> &value, int decimals) { return cell(statisticText(value, decimals)); }
// A share shown as a percentage.
TableCell percent(const std::optional<double> &share)
{
    return statistic(share ? std::optional<double>(*share * 100) : std::nullopt, 1);
}

QString shortText(const QString &text)
{
    const QString flat = QString(text).replace(u'\n', u' ').simplified();
    return flat.size() <= kShortText ? flat : flat.left(kShortText) + QStringLiteral("…");
}

} // namespace

QString statisticText(const std::optional<double> &value, int decimals)
{
    if (!value || !std::isfinite(*value))
        return kNotComputable;
    const double scale = std::pow(10.0, decimals);
    double rounded = std::round(*value * scale) / scale;
    if (rounded == 0)
        rounded = 0; // no "-0"
    return numberToText(rounded);
}

QString bandLabel(const ScoreBand &band)
{
    return numberToText(std::round(band.from * 10) / 10) + QStringLiteral("~") +
           numberToText(std::round(band.to * 10) / 10);
}

ResultTable summaryTable(const ResultAnalysis &analysis, const AnalysisSettings &settings)
{
    const ResultSummary &s = analysis.summary;
    ResultTable table{QStringLiteral("成绩汇总"), {QStringLiteral("项目"), QStringLiteral("数值")}, {}};
    auto add = [&](const QString &item, TableCell value) { table.rows.push_back({cell(item), std::move(value)}); };
    add(QStringLiteral("人数"), number(s.candidates));
    add(QStringLiteral("满分"), number(s.fullMark));
    add(QStringLiteral("平均分"), statistic(s.mean, 2));
    add(QStringLiteral("中位数"), statistic(s.median, 2));
    add(QStringLiteral("标准差"), statistic(s.standardDeviation, 2));
    add(QStringLiteral("最高分"), statistic(s.highest, 2));
    add(QStringLiteral("最低分"), statistic(s.lowest, 2));
    add(QStringLiteral("及格率(%)，≥%1%满分").arg(numberToText(settings.passShare * 100)), percent(s.passRate));
    add(QStringLiteral("优秀率(%)，≥%1%满分").arg(numberToText(settings.excellentShare * 100)),
        percent(s.excellentRate));
    add(QStringLiteral("信度 ") + analysis.reliability.name(), statistic(analysis.reliability.value, 3));
    return table;
}

ResultTable bandTable(const ResultAnalysis &analysis)
{
    ResultTable table{QStringLiteral("分数段"), {QStringLiteral("分数段"), QStringLiteral("人数")}, {}};
    for (const ScoreBand &band : analysis.bands)
        table.rows.push_back({cell(bandLabel(band)), number(band.candidates)});
    return table;
}

ResultTable questionTable(const ResultAnalysis &analysis)
{
    ResultTable table{QStringLiteral("试题分析"),
                      {QStringLiteral("题型"), QStringLiteral("题号"), QStringLiteral("题目"), QStringLiteral("作答人数"),
                       QStringLiteral("满分"), QStringLiteral("得分率P"), QStringLiteral("区分度D"),
                       QStringLiteral("相关系数"), QStringLiteral("标记")},
                      {}};
    for (const QuestionAnalysis &q : analysis.questions) {
        const QString note = q.flags.join(QStringLiteral("；"));
        table.rows.push_back({cell(q.type), number(double(q.number)), cell(shortText(q.text)), number(q.answered),
                              statistic(q.fullMark, 2), statistic(q.facility, 3), statistic(q.discrimination, 3),
                              statistic(q.itemRest, 3),
                              {q.flags.isEmpty() ? QString() : QStringLiteral("需复查"), note}});
    }
    return table;
}

ResultTable optionTable(const ResultAnalysis &analysis)
{
    ResultTable table{QStringLiteral("选项分析"),
                      {QStringLiteral("题型"), QStringLiteral("题号"), QStringLiteral("选项"), QStringLiteral("正确答案"),
                       QStringLiteral("高分组(%)"), QStringLiteral("低分组(%)"), QStringLiteral("标记")},
                      {}};
    const QString strong = QStringLiteral("高分组选择这个错误选项多于低分组");
    for (const QuestionAnalysis &q : analysis.questions) {
        for (const OptionShare &o : q.options) {
            table.rows.push_back({cell(q.type), number(double(q.number)), cell(QString(o.letter)),
                                  cell(o.correct ? QStringLiteral("√") : QString()), percent(o.top), percent(o.bottom),
                                  {o.attractsTheStrong ? QStringLiteral("干扰项异常") : QString(),
                                   o.attractsTheStrong ? strong : QString()}});
        }
    }
    return table;
}

} // namespace kaoshi
