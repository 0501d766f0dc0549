#pragma once
// Pagination of a report and what each page shows, in page coordinates of
// 0.1 mm from the paper's top-left corner. The header (title and column
// titles) heads every page; the body rows follow, so many per page as the
// report asks for or the page holds. A painter draws the pages on any paged
// device (printer, preview, PDF).
#include "print/ReportDocument.h"

#include <QLineF>
#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>

namespace kaoshi {

// Paper size, portrait, in 0.1 mm, for paper codes 1 … 8; A4 for any other code.
QSizeF paperSize(int paperCode);

struct PageGeometry {
    QSizeF paper;      // as oriented
    QMarginsF margins; // left, top, right, bottom
    double printableWidth() const { return paper.width() - margins.left() - margins.right(); }
    double printableHeight() const { return paper.height() - margins.top() - margins.bottom(); }
};

// The report's page: paper and orientation of the options, margins left 15 mm,
// top, right and bottom 10 mm.
PageGeometry reportPage(const ReportOptions &options);

struct ReportText {
    QRectF rect;
    QString text;
    QString fontName;
    double fontSize = 0; // em height, 0.1 mm
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignCenter;
};

struct ReportPage {
    QList<ReportText> texts;
    QList<QLineF> lines;
    ReportText pageNumber;
};

class ReportLayout
{
public:
    // The layout reads the document, which must outlive it.
    ReportLayout(const ReportDocument &document, const PageGeometry &page);
    ReportLayout(ReportDocument &&, const PageGeometry &) = delete;

    // Factor applied to every length and font size of the table.
    double scale() const { return m_scale; }
    // Factor applied to the column widths: the scale, or more when a table of
    // many columns is spread to the paper width.
    double columnScale() const { return m_columnScale; }
    int rowsPerPage() const { return m_rowsPerPage; }
    // At least 1: a report without body rows still prints its header.
    int pageCount() const;
    // First body row of a page (0-based) and how many it holds.
    int firstRow(int page) const { return page * m_rowsPerPage; }
    int rowCount(int page) const;
    ReportPage page(int index) const;

    // Width of the ticked columns above which the columns are spread to the
    // paper width: what the blank report's A4 portrait page with 23 mm
    // margins holds.
    static constexpr int kFitWidth = 1640;
    // Rows above the first body row, column titles included.
    static int headHeight();

private:
    const ReportDocument &m_document;
    PageGeometry m_page;
    double m_scale = 1;
    double m_columnScale = 1;
    int m_rowsPerPage = 1;
};

} // namespace kaoshi
