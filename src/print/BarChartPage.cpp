#include "print/BarChartPage.h"

#include "print/PaperLayout.h"
#include "print/PaperPages.h"

#include <QPainter>

namespace kaoshi {

namespace {

// Sizes in 0.1 mm.
constexpr double kTitleSize = 60;
constexpr double kTextSize = 35;
constexpr double kTitleGap = 60;
constexpr double kAxisWidth = 150;  // marks of the axis, left of the plot
constexpr double kLabelHeight = 80; // labels of the bars, under the plot
constexpr double kBarShare = 0.6;   // of the room each bar has
const QColor kBarColour(90, 130, 200);
const QColor kGridColour(200, 200, 200);

PaperFont font(double size, bool hei) { return {hei ? PaperFont::Hei : PaperFont::Song, size, hei}; }

ChartDrawing layOut(const QRectF &printable, const QString &title, const QList<ChartBar> &bars,
                    const QString &axisTitle)
{
    ChartDrawing drawing;
    drawing.title = {QRectF(printable.left(), printable.top(), printable.width(), kTitleSize * 1.5), title};
    const double top = drawing.title.rect.bottom() + kTitleGap + kTextSize * 1.5;
    // The chart takes the upper part of the page; it reads best wider than high.
    const double height = qMin(printable.bottom() - kLabelHeight - top, printable.width() * 0.6);
    drawing.plot = QRectF(printable.left() + kAxisWidth, top, printable.width() - kAxisWidth, height);
    drawing.axisTitle = {QRectF(printable.left(), top - kTextSize * 1.5, kAxisWidth * 2, kTextSize * 1.3),
                         axisTitle};

    int highest = 0;
    for (const ChartBar &bar : bars)
        highest = qMax(highest, bar.value);
    const AxisScale scale = axisScale(highest);
    const QRectF &plot = drawing.plot;
    for (int mark = 0; mark <= scale.top; mark += scale.step) {
        const double y = plot.bottom() - plot.height() * mark / scale.top;
        drawing.gridLines << y;
        drawing.axisMarks << ChartText{QRectF(printable.left(), y - kTextSize, kAxisWidth - 20, kTextSize * 2),
                                       QString::number(mark)};
    }
    const double room = bars.isEmpty() ? plot.width() : plot.width() / bars.size();
    for (int i = 0; i < bars.size(); ++i) {
        const double height = plot.height() * bars[i].value / scale.top;
        const double left = plot.left() + room * i + room * (1 - kBarShare) / 2;
        const QRectF bar(left, plot.bottom() - height, room * kBarShare, height);
        drawing.bars << bar;
        drawing.values << ChartText{QRectF(plot.left() + room * i, bar.top() - kTextSize * 1.4, room,
                                           kTextSize * 1.3),
                                    QString::number(bars[i].value)};
        drawing.labels << ChartText{QRectF(plot.left() + room * i, plot.bottom() + 10, room, kLabelHeight - 10),
                                    bars[i].label};
    }
    return drawing;
}

void drawText(QPainter &painter, const ChartText &text, int alignment)
{
    painter.drawText(text.rect, alignment | Qt::TextSingleLine, text.text);
}

} // namespace

AxisScale axisScale(int highest)
{
    // At least four marks, so that a class of one or two still reads as a chart.
    const int wanted = qMax(4, highest);
    int step = 1;
    for (int power = 1; step * 5 < wanted; power *= 10) {
        for (const int factor : {1, 2, 5}) {
            step = factor * power;
            if (step * 5 >= wanted)
                break;
        }
    }
    const int top = (wanted + step - 1) / step * step;
    // Room above the highest bar for its number.
    return {top == highest ? top + step : top, step};
}

BarChartPage::BarChartPage(const QPageLayout &paper, const QString &title, QList<ChartBar> bars,
                           const QString &axisTitle)
    : m_paper(paper)
{
    const QRectF inside = paper.paintRect(QPageLayout::Millimeter);
    const QRectF printable(inside.topLeft() * 10, inside.size() * 10);
    m_drawing = layOut(printable, title, bars, axisTitle);
}

void BarChartPage::paintPage(QPainter &painter, int index) const
{
    if (index != 0)
        return;
    const ChartDrawing &d = m_drawing;
    painter.save();
    painter.setFont(paperQFont(font(kTitleSize, true)));
    painter.setPen(Qt::black);
    drawText(painter, d.title, Qt::AlignHCenter | Qt::AlignVCenter);

    painter.setFont(paperQFont(font(kTextSize, false)));
    QPen grid(kGridColour);
    grid.setWidthF(2);
    for (int i = 0; i < d.gridLines.size(); ++i) {
        painter.setPen(grid);
        painter.drawLine(QPointF(d.plot.left(), d.gridLines[i]), QPointF(d.plot.right(), d.gridLines[i]));
        painter.setPen(Qt::black);
        drawText(painter, d.axisMarks[i], Qt::AlignRight | Qt::AlignVCenter);
    }
    drawText(painter, d.axisTitle, Qt::AlignLeft | Qt::AlignVCenter);

    painter.setPen(Qt::NoPen);
    painter.setBrush(kBarColour);
    for (const QRectF &bar : d.bars)
        painter.drawRect(bar);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(Qt::black);
    for (const ChartText &value : d.values)
        drawText(painter, value, Qt::AlignHCenter | Qt::AlignBottom);
    for (const ChartText &label : d.labels)
        drawText(painter, label, Qt::AlignHCenter | Qt::AlignTop);

    QPen axis(Qt::black);
    axis.setWidthF(4);
    painter.setPen(axis);
    painter.drawLine(d.plot.bottomLeft(), d.plot.bottomRight());
    painter.drawLine(d.plot.bottomLeft(), d.plot.topLeft());
    painter.restore();
}

} // namespace kaoshi
