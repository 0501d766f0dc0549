#include "print/ReportLayout.h"

#include <cmath>

namespace kaoshi {

namespace {

constexpr double kPageNumberFontSize = 35;
// Cell texts keep 0.8 mm from the column lines and 1 mm from the row lines.
constexpr double kCellPadding = 8;
constexpr double kCellVerticalPadding = 10;
constexpr double kEpsilon = 1e-6;

} // namespace

QSizeF paperSize(int paperCode)
{
    switch (paperCode) {
    case 1: return {2970, 4200};
    case 3: return {1480, 2100};
    case 4: return {2500, 3540};
    case 5: return {1820, 2570};
    case 6: return {2150, 2750};
    case 7: return {1460, 2150};
    case 8: return {970, 1510};
    default: return {2100, 2970};
    }
}

PageGeometry reportPage(const ReportOptions &options)
{
    QSizeF paper = paperSize(options.paperCode);
    if (options.landscape)
        paper.transpose();
    return {paper, QMarginsF(150, 100, 100, 100)};
}

QStringList ReportPage::allTexts() const
{
    QStringList result;
    for (const ReportText &text : texts)
        result << text.text;
    for (const ReportCell &cell : cells)
        result << cell.lines.join(QString());
    return result;
}

int ReportLayout::headHeight()
{
    int height = ReportDocument::kRowHeight;
    for (int h : ReportDocument::kHeadRowHeights)
        height += h;
    return height;
}

ReportLayout::ReportLayout(const ReportDocument &document, const PageGeometry &page, const CharWidths &widths)
    : m_document(document), m_widths(widths), m_page(page)
{
    const ReportOptions &o = document.options();
    const double width = document.tableWidth();
    const double printableWidth = qMax(1.0, page.printableWidth());
    const double printableHeight = qMax(1.0, page.printableHeight());
    const int ticked = document.columnCount() - (o.serialColumn ? 1 : 0);

    // A table wider than the paper is shrunk to it, so that no column is cut off.
    if (width > printableWidth)
        m_scale = printableWidth / width;
    if (o.rowsPerPage > 0) {
        // The rows asked for fit on the page, shrunk when they must be, but
        // never too small to read.
        const double needed = headHeight() + double(o.rowsPerPage) * ReportDocument::kRowHeight;
        m_scale = qMin(m_scale, qMax(kSmallestScale, printableHeight / needed));
        m_rowsPerPage = o.rowsPerPage;
    }
    // Many columns are spread over the paper width; text and rows keep their size.
    m_columnScale = ReportDocument::kColumnWidth * ticked > kFitWidth ? printableWidth / width : m_scale;

    m_edges << m_page.margins.left() + ReportDocument::kSpacerWidth * m_columnScale;
    for (int c = 0; c < document.columnCount(); ++c)
        m_edges << m_edges.last() + document.columnWidth(c) * m_columnScale;
}

std::vector<QList<TextLine>> ReportLayout::rowLines(int row, std::vector<QString> *texts) const
{
    const double font = m_document.options().bodyFontSize * m_scale;
    const double padding = 2 * kCellPadding * m_scale;
    std::vector<QList<TextLine>> lines(size_t(m_document.columnCount()));
    if (texts)
        texts->resize(lines.size());
    for (int c = 0; c < m_document.columnCount(); ++c) {
        const QString text = m_document.text(row, c);
        const double width = (m_edges[c + 1] - m_edges[c] - padding) / font;
        lines[size_t(c)] = wrapText(text, width, m_widths);
        if (texts)
            (*texts)[size_t(c)] = text;
    }
    return lines;
}

int ReportLayout::lineCount(int row) const
{
    if (row != m_measuredRow) {
        int most = 1;
        for (const QList<TextLine> &lines : rowLines(row))
            most = qMax(most, int(lines.size()));
        m_measuredRow = row;
        m_measuredLines = most;
    }
    return m_measuredLines;
}

double ReportLayout::pieceHeight(int lines, bool wholeRow) const
{
    const double font = m_document.options().bodyFontSize * m_scale;
    const double text = lines * m_widths.lineSpacing() * font + 2 * kCellVerticalPadding * m_scale;
    return wholeRow ? qMax(double(ReportDocument::kRowHeight) * m_scale, text) : text;
}

double ReportLayout::bodyRoom() const { return m_page.printableHeight() - headHeight() * m_scale; }

bool ReportLayout::layOutNextPage() const
{
    if (m_complete)
        return false;
    const int bodyRows = m_document.bodyRowCount();
    const double room = bodyRoom();
    const double lineHeight = m_widths.lineSpacing() * m_document.options().bodyFontSize * m_scale;
    Cursor c = m_next;
    double used = 0;
    int placed = 0;
    while (c.row < bodyRows && (m_rowsPerPage == 0 || placed < m_rowsPerPage)) {
        const int lines = lineCount(c.row);
        const int remaining = lines - c.line;
        const double height = pieceHeight(remaining, c.line == 0);
        if (used + height <= room + kEpsilon) {
            used += height;
            ++placed;
            c = {c.row + 1, 0};
            continue;
        }
        if (placed > 0 && height <= room + kEpsilon)
            break; // the whole row begins the next page
        // A row taller than a page: the lines this page still holds, at least one.
        const int fit = int(std::floor((room - used - 2 * kCellVerticalPadding * m_scale) / lineHeight + kEpsilon));
        if (fit < 1 && placed > 0)
            break;
        ++placed;
        c.line += qBound(1, fit, remaining);
        if (c.line >= lines)
            c = {c.row + 1, 0};
        break;
    }
    m_starts.push_back(m_next);
    m_next = c;
    m_complete = c.row >= bodyRows;
    return true;
}

bool ReportLayout::ensurePage(int page) const
{
    while (int(m_starts.size()) <= page && layOutNextPage()) {
    }
    return page >= 0 && page < int(m_starts.size());
}

int ReportLayout::pagesKnown() const
{
    ensurePage(0);
    return int(m_starts.size());
}

int ReportLayout::pageCount() const
{
    while (layOutNextPage()) {
    }
    return int(m_starts.size());
}

ReportLayout::Span ReportLayout::span(int page) const
{
    if (!ensurePage(page))
        return {m_next, m_next};
    const size_t i = size_t(page);
    return {m_starts[i], i + 1 < m_starts.size() ? m_starts[i + 1] : m_next};
}

int ReportLayout::firstRow(int page) const { return span(page).from.row; }

int ReportLayout::rowCount(int page) const
{
    const Span s = span(page);
    return s.to.row - s.from.row + (s.to.line > 0 ? 1 : 0);
}

ReportPage ReportLayout::page(int index) const
{
    const ReportDocument &doc = m_document;
    const ReportOptions &o = doc.options();
    const double s = m_scale;
    ReportPage page;
    page.bodyFontSize = o.bodyFontSize * s;
    page.lineHeight = m_widths.lineSpacing() * page.bodyFontSize;

    const QList<double> &edges = m_edges;
    const double left = edges.first();
    const double right = edges.last();
    const double titleRowHeight = ReportDocument::kRowHeight * s;

    double y = m_page.margins.top();
    const auto *head = ReportDocument::kHeadRowHeights;
    y += (head[0] + head[1]) * s;
    page.texts.append({QRectF(left, y, right - left, head[2] * s), o.title, o.titleFontName, o.titleFontSize * s,
                       true, Qt::AlignCenter});
    y += (head[2] + head[3]) * s;

    const double tableTop = y;
    for (int c = 0; c < doc.columnCount(); ++c)
        page.texts.append({QRectF(edges[c], y, edges[c + 1] - edges[c], titleRowHeight), doc.columnTitle(c),
                           ReportDocument::kBodyFontName, page.bodyFontSize, false, Qt::AlignCenter});
    y += titleRowHeight;

    // The rows and pieces of rows on this page.
    const Span range = span(index);
    QList<double> rowBottoms;
    std::vector<QString> texts;
    for (int r = range.from.row; r < range.to.row || (r == range.to.row && range.to.line > 0); ++r) {
        const std::vector<QList<TextLine>> lines = rowLines(r, &texts);
        const int firstLine = r == range.from.row ? range.from.line : 0;
        int lastLine = 1;
        for (const QList<TextLine> &column : lines)
            lastLine = qMax(lastLine, int(column.size()));
        if (r == range.to.row)
            lastLine = range.to.line;
        const double height = pieceHeight(lastLine - firstLine, firstLine == 0);
        for (int c = 0; c < doc.columnCount(); ++c) {
            ReportCell cell{QRectF(edges[c], y, edges[c + 1] - edges[c], height), {}};
            const QList<TextLine> &column = lines[size_t(c)];
            for (int l = firstLine; l < lastLine && l < column.size(); ++l)
                cell.lines << texts[size_t(c)].mid(column[l].start, column[l].length);
            if (!cell.lines.isEmpty())
                page.cells.append(cell);
        }
        y += height;
        rowBottoms << y;
    }
    const double tableBottom = y;

    // Every style frames the table and rules off the column titles.
    const bool rowLines = lineStyleRulesRows(o.lineStyle);
    const bool columnLines = lineStyleRulesColumns(o.lineStyle);
    page.lines << QLineF(left, tableTop, right, tableTop) << QLineF(left, tableBottom, right, tableBottom)
               << QLineF(left, tableTop, left, tableBottom) << QLineF(right, tableTop, right, tableBottom);
    if (!rowBottoms.isEmpty())
        page.lines << QLineF(left, tableTop + titleRowHeight, right, tableTop + titleRowHeight);
    if (rowLines)
        for (qsizetype r = 0; r + 1 < rowBottoms.size(); ++r)
            page.lines << QLineF(left, rowBottoms[r], right, rowBottoms[r]);
    if (columnLines)
        for (int c = 1; c < doc.columnCount(); ++c)
            page.lines << QLineF(edges[c], tableTop, edges[c], tableBottom);

    // The count is said once it is known; a preview learns it as it pages on.
    page.pageNumber = {QRectF(0, m_page.paper.height() - m_page.margins.bottom(), m_page.paper.width(),
                              m_page.margins.bottom()),
                       m_complete ? QStringLiteral("第 %1 页，共 %2 页").arg(index + 1).arg(m_starts.size())
                                  : QStringLiteral("第 %1 页").arg(index + 1),
                       ReportDocument::kBodyFontName, kPageNumberFontSize, false, Qt::AlignCenter};
    return page;
}

} // namespace kaoshi
