#pragma once
// Pagination of a report and what each page shows, in page coordinates of
// 0.1 mm from the paper's top-left corner. The header (title and column
// titles) heads every page; the body rows follow, each as tall as its
// wrapped text needs (the fixed row height is the least), so many per page
// as the report asks for or the page holds. A row never breaks across pages
// unless it is taller than a page; then it goes on, line by line, on the next.
//
// Pages are laid out as they are asked for: the first page of a list of a
// million rows is known after reading the rows on it. A painter draws the
// pages on any paged device (printer, preview, PDF).
#include "print/ReportDocument.h"
#include "print/TextWrap.h"

#include <QLineF>
#include <QList>
#include <QMarginsF>
#include <QRectF>
#include <QSizeF>
#include <QStringList>
#include <vector>

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

// A text of the header or the page number, fitted into its box by the painter.
struct ReportText {
    QRectF rect;
    QString text;
    QString fontName;
    double fontSize = 0; // em height, 0.1 mm
    bool bold = false;
    Qt::Alignment alignment = Qt::AlignCenter;
};

// A body cell's lines on this page, each centred in the cell's width, the
// block centred in the cell's height.
struct ReportCell {
    QRectF rect;
    QStringList lines;
};

struct ReportPage {
    QList<ReportText> texts; // title and column titles
    QList<ReportCell> cells;
    double bodyFontSize = 0;
    double lineHeight = 0;
    QList<QLineF> lines;
    ReportText pageNumber;
    // Every text of the page, header and body, in order (for tests and checks).
    QStringList allTexts() const;
};

class ReportLayout
{
public:
    // The layout reads the document and measures with the widths of the body
    // font; both must outlive it.
    ReportLayout(const ReportDocument &document, const PageGeometry &page, const CharWidths &widths);
    ReportLayout(ReportDocument &&, const PageGeometry &, const CharWidths &) = delete;

    // Factor applied to every length and font size of the table.
    double scale() const { return m_scale; }
    // Factor applied to the column widths: the scale, or more when a table of
    // many columns is spread to the paper width.
    double columnScale() const { return m_columnScale; }
    // The most body rows a page holds; 0 when the page height alone decides.
    int rowsPerPage() const { return m_rowsPerPage; }

    // Pages laid out so far: at least 1.
    int pagesKnown() const;
    bool isComplete() const { return m_complete; }
    // Lays out one more page; false when every page is laid out.
    bool layOutNextPage() const;
    // Lays out every page: at least 1, as a report without body rows still
    // prints its header.
    int pageCount() const;
    // First body row of a page (0-based) and how many rows begin or go on on it.
    int firstRow(int page) const;
    int rowCount(int page) const;
    // The page; its number says the page count once every page is laid out.
    ReportPage page(int index) const;

    // Width of the ticked columns above which the columns are spread to the
    // paper width: what the blank report's A4 portrait page with 23 mm
    // margins holds.
    static constexpr int kFitWidth = 1640;
    // Text and rows are never shrunk further to fit the rows asked per page.
    static constexpr double kSmallestScale = 0.25;
    // Rows above the first body row, column titles included.
    static int headHeight();

private:
    struct Cursor {
        int row = 0;
        int line = 0; // first line of the row on the page
    };
    struct Span {
        Cursor from, to; // to: where the next page begins
    };
    // Lines of every column of a body row.
    std::vector<QList<TextLine>> rowLines(int row, std::vector<QString> *texts = nullptr) const;
    int lineCount(int row) const;
    double pieceHeight(int lines, bool wholeRow) const;
    double bodyRoom() const;
    Span span(int page) const;
    bool ensurePage(int page) const;

    const ReportDocument &m_document;
    const CharWidths &m_widths;
    PageGeometry m_page;
    double m_scale = 1;
    double m_columnScale = 1;
    int m_rowsPerPage = 0;
    QList<double> m_edges; // column edges, after the spacer column

    mutable std::vector<Cursor> m_starts; // where each page laid out so far begins
    mutable Cursor m_next;                // where the next page begins
    mutable bool m_complete = false;
    mutable int m_measuredRow = -1; // the row whose line count is kept
    mutable int m_measuredLines = 0;
};

} // namespace kaoshi
