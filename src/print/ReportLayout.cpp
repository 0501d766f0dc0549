#include "print/ReportLayout.h"

#include <cmath>

namespace kaoshi {

namespace {

constexpr double kPageNumberFontSize = 35;

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

int ReportLayout::headHeight()
{
    int height = ReportDocument::kRowHeight;
    for (int h : ReportDocument::kHeadRowHeights)
        height += h;
    return height;
}

ReportLayout::ReportLayout(const ReportDocument &document, const PageGeometry &page)
    : m_document(document), m_page(page)
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
        // The rows asked for fit on the page, shrunk when they must be.
        const double needed = headHeight() + double(o.rowsPerPage) * ReportDocument::kRowHeight;
        m_scale = qMin(m_scale, printableHeight / needed);
        m_rowsPerPage = o.rowsPerPage;
    } else {
        const double room = printableHeight / m_scale - headHeight();
        m_rowsPerPage = qMax(1, int(std::floor(room / ReportDocument::kRowHeight)));
    }
    // Many columns are spread over the paper width; text and rows keep their size.
    m_columnScale = ReportDocument::kColumnWidth * ticked > kFitWidth ? printableWidth / width : m_scale;
}

int ReportLayout::pageCount() const
{
    const int rows = m_document.bodyRowCount();
    return qMax(1, (rows + m_rowsPerPage - 1) / m_rowsPerPage);
}

int ReportLayout::rowCount(int page) const
{
    if (page < 0 || page >= pageCount())
        return 0;
    return qBound(0, m_document.bodyRowCount() - firstRow(page), m_rowsPerPage);
}

ReportPage ReportLayout::page(int index) const
{
    const ReportDocument &doc = m_document;
    const ReportOptions &o = doc.options();
    const double s = m_scale;
    ReportPage page;

    // Column edges, after the spacer column.
    QList<double> edges{m_page.margins.left() + ReportDocument::kSpacerWidth * m_columnScale};
    for (int c = 0; c < doc.columnCount(); ++c)
        edges << edges.last() + doc.columnWidth(c) * m_columnScale;
    const double left = edges.first();
    const double right = edges.last();
    const double rowHeight = ReportDocument::kRowHeight * s;
    const double bodyFont = o.bodyFontSize * s;

    double y = m_page.margins.top();
    const auto *head = ReportDocument::kHeadRowHeights;
    y += (head[0] + head[1]) * s;
    page.texts.append({QRectF(left, y, right - left, head[2] * s), o.title, o.titleFontName, o.titleFontSize * s,
                       true, Qt::AlignCenter});
    y += (head[2] + head[3]) * s;

    const double tableTop = y;
    for (int c = 0; c < doc.columnCount(); ++c)
        page.texts.append({QRectF(edges[c], y, edges[c + 1] - edges[c], rowHeight), doc.columnTitle(c),
                           ReportDocument::kBodyFontName, bodyFont, false, Qt::AlignCenter});
    y += rowHeight;

    const int first = firstRow(index);
    const int rows = rowCount(index);
    for (int r = first; r < first + rows; ++r) {
        for (int c = 0; c < doc.columnCount(); ++c) {
            const QString text = doc.text(r, c);
            if (!text.isEmpty())
                page.texts.append({QRectF(edges[c], y, edges[c + 1] - edges[c], rowHeight), text,
                                   ReportDocument::kBodyFontName, bodyFont, false, Qt::AlignCenter});
        }
        y += rowHeight;
    }
    const double tableBottom = y;

    // Every style frames the table and rules off the column titles.
    const bool rowLines = lineStyleRulesRows(o.lineStyle);
    const bool columnLines = lineStyleRulesColumns(o.lineStyle);
    page.lines << QLineF(left, tableTop, right, tableTop) << QLineF(left, tableBottom, right, tableBottom)
               << QLineF(left, tableTop, left, tableBottom) << QLineF(right, tableTop, right, tableBottom);
    if (rows > 0)
        page.lines << QLineF(left, tableTop + rowHeight, right, tableTop + rowHeight);
    if (rowLines)
        for (int r = 1; r < rows; ++r) {
            const double line = tableTop + rowHeight * (r + 1);
            page.lines << QLineF(left, line, right, line);
        }
    if (columnLines)
        for (int c = 1; c < doc.columnCount(); ++c)
            page.lines << QLineF(edges[c], tableTop, edges[c], tableBottom);

    page.pageNumber = {QRectF(0, m_page.paper.height() - m_page.margins.bottom(), m_page.paper.width(),
                              m_page.margins.bottom()),
                       QStringLiteral("第 %1 页，共 %2 页").arg(index + 1).arg(pageCount()),
                       ReportDocument::kBodyFontName, kPageNumberFontSize, false, Qt::AlignCenter};
    return page;
}

} // namespace kaoshi
