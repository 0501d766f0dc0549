#pragma once
// The printed report of a list: a title over a ruled table of the ticked
// columns (with an optional serial-number column) and every data row of the
// list. The document reads the cells from the list when a page needs them,
// so a report of a million rows costs no more memory than one of ten; the
// list stays as it is while its preview is open (the preview is modal).
// Lengths and font sizes are in units of 0.1 mm.
#include "print/ColumnChoice.h"
#include "print/PrintSettings.h"
#include "print/PrintTable.h"

#include <QStringList>

namespace kaoshi {

struct ReportOptions {
    QString title;
    QString titleFontName = QStringLiteral("黑体");
    int titleFontSize = 110;
    int bodyFontSize = 40;   // column titles and body
    bool serialColumn = false;
    int lineStyle = 1;       // 1 every line; 2 frames; 3 frame and rows; 4 ruled titles, body columns
    int rowsPerPage = 0;     // body rows per page; 0: as many as the page holds
    int paperCode = 2;       // 1 A3, 2 A4, 3 A5, 4 B4, 5 B5, 6 quarto, 7 16K, 8 32K
    bool landscape = true;
};

// Which lines a line style rules between body rows and between columns.
inline bool lineStyleRulesRows(int style) { return style == 1 || style == 3; }
inline bool lineStyleRulesColumns(int style) { return style == 1 || style == 4; }

// The options the print window's settings give: the title trimmed; the title
// font "name,size" with the size in points × 5 (黑体 at 22 when the text is
// empty; a missing or unusable size counts as 22); an empty or unusable
// body size keeps the default; rows per page truncated, 0 when empty, at
// most kMaxRowsPerPage.
ReportOptions reportOptions(const PrintSettings &settings);

class ReportDocument
{
public:
    static constexpr int kSpacerWidth = 1;
    static constexpr int kSerialWidth = 120;
    static constexpr int kColumnWidth = 280;
    static constexpr int kRowHeight = 80;
    // Rows above the column titles: blank, blank, title, blank.
    static constexpr int kHeadRowHeights[4] = {25, 25, 153, 25};
    static constexpr int kDefaultFontSize = 40;
    static inline const QString kBodyFontName = QStringLiteral("宋体");

    ReportDocument() = default;
    // The titles of the ticked columns, their widths in the proportions the
    // list showed them in (280 each on the whole); the rows are read from
    // the table later.
    static ReportDocument build(const PrintTable &table, const ColumnList &ticked, const ReportOptions &options);

    const ReportOptions &options() const { return m_options; }
    // Printed columns, the serial column included.
    int columnCount() const { return int(m_titles.size()); }
    QString columnTitle(int column) const { return m_titles.value(column); }
    int columnWidth(int column) const { return m_widths.value(column); }
    // Spacer and printed columns.
    int tableWidth() const;
    int bodyRowCount() const { return m_bodyRows; }
    // A body cell; in the serial column the running number, which the last
    // row does not get (a list may end in a totals row).
    QString text(int bodyRow, int column) const;

    // Longest rows per page asked for that is taken: more cannot be read on any paper.
    static constexpr int kMaxRowsPerPage = 1000;

private:
    ReportOptions m_options;
    QStringList m_titles;
    QList<int> m_widths;
    PrintTable m_table;
    QList<int> m_sourceColumns; // the ticked columns of the table, in order
    int m_bodyRows = 0;
};

} // namespace kaoshi
