#include "print/ReportDocument.h"

#include "data/TextRules.h"

#include <cmath>

namespace kaoshi {

namespace {

constexpr int kDefaultTitlePoints = 22;

// A whole number read from a text, truncated, between 0 and limit: a
// huge value in a settings file does not overflow.
int boundedNumber(const QString &text, double scale, int limit)
{
    const double number = textToNumber(text) * scale;
    return number > 0 ? int(qMin(number, double(limit))) : 0;
}

// A size text in 0.1 mm: the number truncated, scaled; 0 when it is no positive number.
int sizeFromText(const QString &text, int scale)
{
    constexpr int kLargestSize = 10000; // 1 m
    return boundedNumber(text, scale, kLargestSize);
}

// The ticked columns share 280 each in the proportions the list showed them
// in (a wide 题目, a narrow 分值); a column the list did not show gets the
// mean width of the others, and without widths every column is 280.
QList<int> proportionalWidths(const PrintTable &table, const ColumnList &ticked)
{
    QList<double> shown;
    double sum = 0;
    int known = 0;
    for (const ColumnEntry &entry : ticked) {
        const int width = table.columnWidth(entry.column);
        shown << width;
        if (width > 0) {
            sum += width;
            ++known;
        }
    }
    QList<int> widths;
    if (known == 0) {
        for (qsizetype i = 0; i < ticked.size(); ++i)
            widths << ReportDocument::kColumnWidth;
        return widths;
    }
    const double mean = sum / known;
    double total = 0;
    for (double &width : shown) {
        if (width <= 0)
            width = mean;
        total += width;
    }
    const double share = double(ReportDocument::kColumnWidth) * ticked.size() / total;
    for (double width : shown)
        widths << qMax(1, int(std::lround(width * share)));
    return widths;
}

} // namespace

ReportOptions reportOptions(const PrintSettings &settings)
{
    ReportOptions o;
    o.title = trimSpaces(settings.title);
    const QString font = settings.titleFont;
    if (!font.isEmpty()) {
        const int comma = font.indexOf(QLatin1Char(','));
        o.titleFontName = comma < 0 ? font : font.left(comma);
        const int size = comma < 0 ? 0 : sizeFromText(font.mid(comma + 1), 5);
        o.titleFontSize = size > 0 ? size : kDefaultTitlePoints * 5;
    }
    if (const int body = sizeFromText(settings.bodyFontSize, 1); body > 0)
        o.bodyFontSize = body;
    o.serialColumn = settings.serialColumn;
    o.lineStyle = settings.lineStyle >= 1 && settings.lineStyle <= 4 ? settings.lineStyle : 1;
    o.rowsPerPage = boundedNumber(settings.rowsPerPage, 1, ReportDocument::kMaxRowsPerPage);
    o.paperCode = settings.paper + 1;
    o.landscape = settings.orientation == 1;
    return o;
}

ReportDocument ReportDocument::build(const PrintTable &table, const ColumnList &ticked, const ReportOptions &options)
{
    ReportDocument doc;
    doc.m_options = options;
    if (options.serialColumn) {
        doc.m_titles << QStringLiteral("序号");
        doc.m_widths << kSerialWidth;
    }
    const QList<int> widths = proportionalWidths(table, ticked);
    for (qsizetype i = 0; i < ticked.size(); ++i) {
        doc.m_titles << ticked[i].title;
        doc.m_widths << widths[i];
    }
    for (const ColumnEntry &entry : ticked)
        doc.m_sourceColumns << entry.column;
    doc.m_table = table;
    doc.m_bodyRows = qMax(0, table.rowCount() - 1);
    return doc;
}

int ReportDocument::tableWidth() const
{
    int width = kSpacerWidth;
    for (int w : m_widths)
        width += w;
    return width;
}

QString ReportDocument::text(int bodyRow, int column) const
{
    if (bodyRow < 0 || bodyRow >= bodyRowCount())
        return QString();
    if (m_options.serialColumn) {
        if (column == 0)
            return bodyRow < bodyRowCount() - 1 ? QString::number(bodyRow + 1) : QString();
        --column;
    }
    if (column < 0 || column >= m_sourceColumns.size())
        return QString();
    return m_table.text(bodyRow + 1, m_sourceColumns[column]);
}

} // namespace kaoshi
