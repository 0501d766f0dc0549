// The report: options from the window's texts, its cells, its pages and rulings.
#include "TableModel.h"
#include "print/ReportLayout.h"

#include <gtest/gtest.h>

using namespace kaoshi;
using kaoshi::test::numberedRows;
using kaoshi::test::TableModel;

namespace {

ColumnList firstColumns(const PrintTable &table, int count)
{
    return allColumns(table).mid(0, count);
}

ReportDocument report(int dataRows, int ticked, ReportOptions options = {})
{
    static std::vector<std::unique_ptr<TableModel>> models; // outlive the documents' tables
    models.push_back(std::make_unique<TableModel>(numberedRows(dataRows, 8)));
    const PrintTable table(models.back().get());
    return ReportDocument::build(table, firstColumns(table, ticked), options);
}

QStringList texts(const ReportPage &page)
{
    QStringList result;
    for (const ReportText &text : page.texts)
        result << text.text;
    return result;
}

int countLines(const ReportPage &page, bool horizontal)
{
    int n = 0;
    for (const QLineF &line : page.lines)
        n += (line.dy() == 0) == horizontal;
    return n;
}

} // namespace

TEST(ReportOptions, comeFromTheWindowsTexts)
{
    PrintSettings s;
    s.title = QStringLiteral("　 成绩表  ");
    s.titleFont = QString();
    s.bodyFontSize = QString();
    s.paper = 1;
    s.orientation = 0;
    ReportOptions o = reportOptions(s);
    EXPECT_EQ(o.title, QStringLiteral("成绩表"));
    EXPECT_EQ(o.titleFontName, QStringLiteral("黑体"));
    EXPECT_EQ(o.titleFontSize, 110);
    EXPECT_EQ(o.bodyFontSize, 40);
    EXPECT_EQ(o.rowsPerPage, 0);
    EXPECT_EQ(o.paperCode, 2);
    EXPECT_FALSE(o.landscape);

    const struct {
        const char *font, *body, *rows;
        const char *fontName;
        int titleSize, bodySize, rowsPerPage;
    } cases[] = {
        {"宋体,12", "30", "20", "宋体", 60, 30, 20},
        {"楷体", "abc", "x", "楷体", 110, 40, 0},   // no size part; unusable numbers
        {"黑体,0", "12.7", "7.9", "黑体", 110, 12, 7},
    };
    for (const auto &c : cases) {
        s.titleFont = QString::fromUtf8(c.font);
        s.bodyFontSize = QString::fromUtf8(c.body);
        s.rowsPerPage = QString::fromUtf8(c.rows);
        o = reportOptions(s);
        EXPECT_EQ(o.titleFontName, QString::fromUtf8(c.fontName)) << c.font;
        EXPECT_EQ(o.titleFontSize, c.titleSize) << c.font;
        EXPECT_EQ(o.bodyFontSize, c.bodySize) << c.body;
        EXPECT_EQ(o.rowsPerPage, c.rowsPerPage) << c.rows;
    }
}

TEST(ReportDocument, holdsTheTickedColumnsWithSerialNumbersButOnTheLastRow)
{
    ReportOptions o;
    o.serialColumn = true;
    const ReportDocument numbered = report(3, 3, o);
    EXPECT_EQ(numbered.columnCount(), 4);
    EXPECT_EQ(numbered.columnTitle(0), QStringLiteral("序号"));
    EXPECT_EQ(numbered.columnTitle(3), QStringLiteral("列3"));
    EXPECT_EQ(numbered.columnWidth(0), 120);
    EXPECT_EQ(numbered.columnWidth(1), 280);
    EXPECT_EQ(numbered.tableWidth(), 1 + 120 + 3 * 280);
    EXPECT_EQ(numbered.bodyRowCount(), 3);
    EXPECT_EQ(numbered.text(0, 0), QStringLiteral("1"));
    EXPECT_EQ(numbered.text(1, 0), QStringLiteral("2"));
    EXPECT_EQ(numbered.text(2, 0), QString());
    EXPECT_EQ(numbered.text(2, 3), QStringLiteral("r3c3"));

    const ReportDocument plain = report(3, 3);
    EXPECT_EQ(plain.columnCount(), 3);
    EXPECT_EQ(plain.columnTitle(0), QStringLiteral("列1"));
    EXPECT_EQ(plain.text(0, 0), QStringLiteral("r1c1"));
}

TEST(ReportLayout, pagesHoldTheRowsAskedForUnderTheRepeatedHeader)
{
    ReportOptions o;
    o.serialColumn = true;
    o.rowsPerPage = 20;
    o.title = QStringLiteral("错题");
    const ReportDocument doc = report(45, 2, o);
    const ReportLayout layout(doc, reportPage(o));
    ASSERT_EQ(layout.pageCount(), 3);
    EXPECT_EQ(layout.rowCount(0), 20);
    EXPECT_EQ(layout.rowCount(1), 20);
    EXPECT_EQ(layout.rowCount(2), 5);

    for (int p = 0; p < 3; ++p) {
        const QStringList shown = texts(layout.page(p));
        EXPECT_EQ(shown.mid(0, 4), (QStringList{"错题", "序号", "列1", "列2"})) << p;
    }
    const ReportPage last = layout.page(2);
    const QStringList shown = texts(last);
    EXPECT_TRUE(shown.contains(QStringLiteral("41")));
    EXPECT_TRUE(shown.contains(QStringLiteral("44")));
    EXPECT_FALSE(shown.contains(QStringLiteral("45")));
    EXPECT_TRUE(shown.contains(QStringLiteral("r45c2")));
    EXPECT_EQ(last.pageNumber.text, QStringLiteral("第 3 页，共 3 页"));
}

TEST(ReportLayout, withoutARowCountThePageHeightDecides)
{
    ReportOptions o; // A4 landscape: 190 mm between the margins
    const ReportDocument doc = report(50, 3, o);
    const ReportLayout layout(doc, reportPage(o));
    EXPECT_DOUBLE_EQ(layout.scale(), 1.0);
    EXPECT_EQ(layout.rowsPerPage(), (1900 - 308) / 80);
    EXPECT_EQ(layout.pageCount(), 3);

    const ReportDocument empty = report(0, 3, o);
    const ReportLayout header(empty, reportPage(o));
    EXPECT_EQ(header.pageCount(), 1);
    EXPECT_EQ(texts(header.page(0)), (QStringList{"", "列1", "列2", "列3"}));
    // The column titles ruled: their frame and the lines between them.
    EXPECT_EQ(header.page(0).lines.size(), 6);
}

TEST(ReportLayout, wideTablesAndLongPagesAreScaledToThePaper)
{
    ReportOptions o;
    // Seven columns are spread over the paper width; text and rows keep their size.
    const ReportDocument sevenColumns = report(3, 7, o);
    const ReportLayout seven(sevenColumns, reportPage(o));
    EXPECT_DOUBLE_EQ(seven.scale(), 1.0);
    EXPECT_DOUBLE_EQ(seven.columnScale(), 2720.0 / (1 + 7 * 280));
    EXPECT_EQ(seven.rowsPerPage(), (1900 - 308) / 80);
    double right = 0;
    for (const QLineF &line : seven.page(0).lines)
        right = qMax(right, qMax(line.x1(), line.x2()));
    EXPECT_DOUBLE_EQ(right, 2970 - 100);
    const ReportDocument fiveColumns = report(3, 5, o);
    EXPECT_DOUBLE_EQ(ReportLayout(fiveColumns, reportPage(o)).columnScale(), 1.0);

    o.paperCode = 3; // A5 portrait: 123 mm between the margins
    o.landscape = false;
    const ReportDocument five = report(3, 5, o);
    const ReportLayout shrunk(five, reportPage(o));
    EXPECT_DOUBLE_EQ(shrunk.scale(), 1230.0 / (1 + 5 * 280));
    EXPECT_DOUBLE_EQ(shrunk.columnScale(), shrunk.scale());
    const ReportPage page = shrunk.page(0);
    right = 0;
    for (const QLineF &line : page.lines)
        right = qMax(right, qMax(line.x1(), line.x2()));
    EXPECT_LE(right, 1480 - 100 + 1e-6);

    o = ReportOptions();
    o.rowsPerPage = 40;
    const ReportDocument tall = report(40, 3, o);
    const ReportLayout fitted(tall, reportPage(o));
    EXPECT_EQ(fitted.pageCount(), 1);
    double bottom = 0;
    for (const QLineF &line : fitted.page(0).lines)
        bottom = qMax(bottom, qMax(line.y1(), line.y2()));
    EXPECT_LE(bottom, 2100 - 100 + 1e-6);
}

TEST(ReportLayout, lineStylesRuleTheTable)
{
    const struct {
        int style;
        int horizontal, vertical;
    } cases[] = {
        {1, 5, 4}, // every line: frame, title rule, 2 row lines; frame, 2 column lines
        {2, 3, 2}, // frame and a frame around the column titles
        {3, 5, 2}, // frame and lines between rows
        {4, 3, 4}, // ruled column titles, body with lines between columns only
    };
    for (const auto &c : cases) {
        ReportOptions o;
        o.lineStyle = c.style;
        const ReportDocument doc = report(3, 3, o);
        const ReportPage page = ReportLayout(doc, reportPage(o)).page(0);
        EXPECT_EQ(countLines(page, true), c.horizontal) << c.style;
        EXPECT_EQ(countLines(page, false), c.vertical) << c.style;
    }
}
