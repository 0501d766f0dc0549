#pragma once
// One page with a bar chart: a title, an axis of whole numbers with its
// grid lines, one bar per value with the value written on it and its label
// underneath. What is painted is laid out first, so the places of the bars
// and their numbers can be checked without a painter.
#include "print/PageSource.h"

#include <QList>
#include <QRectF>
#include <QString>

namespace kaoshi {

struct ChartBar {
    QString label;
    int value = 0;
};

struct ChartText {
    QRectF rect;
    QString text;
};

// Where everything of the chart goes on the page, in 0.1 mm.
struct ChartDrawing {
    ChartText title;
    QRectF plot;               // the area of the bars, the axes on its left and bottom
    QList<QRectF> bars;        // one per value, from the bottom of the plot
    QList<ChartText> values;   // the value of each bar, just above it
    QList<ChartText> labels;   // the label of each bar, under the plot
    QList<double> gridLines;   // heights of the axis marks
    QList<ChartText> axisMarks;
    ChartText axisTitle;
};

class BarChartPage final : public PageSource
{
public:
    BarChartPage(const QPageLayout &paper, const QString &title, QList<ChartBar> bars, const QString &axisTitle);

    const ChartDrawing &drawing() const { return m_drawing; }

    QPageLayout pageLayout() const override { return m_paper; }
    int pageCount() const override { return 1; }
    void paintPage(QPainter &painter, int index) const override;

private:
    QPageLayout m_paper;
    ChartDrawing m_drawing;
};

// The largest mark of an axis that holds `highest` in about five steps of
// 1, 2 or 5 times a power of ten, and that step.
struct AxisScale {
    int top = 1;
    int step = 1;
};
AxisScale axisScale(int highest);

} // namespace kaoshi
