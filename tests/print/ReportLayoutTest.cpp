// The report: options from the window's texts, its cells, its pages, rows
// that grow with their text, and rulings.
#include "TableModel.h"
#include "print/ReportLayout.h"

#include <gtest/gtest.h>

using namespace kaoshi;
using kaoshi::test::GeneratedModel;
using kaoshi::test::numberedRows;
using kaoshi::test::TableModel;

namespace {

// Chinese characters 1 em wide, others half; lines 1.5 em apart, so that a
// line of the 4 mm body font fills the fixed row height of 8 mm exactly.
struct Widths final : CharWidths {
    double advance(char32_t c) const override { return c >= 0x2E80 ? 1.0 : 0.5; }
    double lineSpacing() const override { return 1.5; }
};
const Widths kWidths;

// A layout on the report's own page.
struct Laid {
    ReportDocument doc;
    ReportLayout layout{doc, reportPage(doc.options()), kWidths};
    explicit Laid(ReportDocument d) : doc(std::move(d)) {}
};

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

QStringList texts(const ReportPage &page) { return page.allTexts(); }

double lowest(const ReportPage &page)
{
    double bottom = 0;
    for (const QLineF &line : page.lines)
        bottom = qMax(bottom, qMax(line.y1(), line.y2()));
    return bottom;
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

    // Columns share their widths in the proportions the list showed them in;
    // one the list hid gets the mean of the others.
    TableModel model(numberedRows(2, 4));
    const PrintTable shown(&model, {0, 300, 100, 0});
    const ReportDocument wide = ReportDocument::build(shown, allColumns(shown), {});
    EXPECT_EQ(wide.columnWidth(0), 420);
    EXPECT_EQ(wide.columnWidth(1), 140);
    EXPECT_EQ(wide.columnWidth(2), 280);

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
    const Laid laid(report(45, 2, o));
    const ReportLayout &layout = laid.layout;
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
    const Laid laid(report(50, 3, o));
    const ReportLayout &layout = laid.layout;
    EXPECT_DOUBLE_EQ(layout.scale(), 1.0);
    EXPECT_EQ(layout.rowsPerPage(), 0);
    EXPECT_EQ(layout.rowCount(0), (1900 - 308) / 80);
    EXPECT_EQ(layout.pageCount(), 3);

    const Laid empty(report(0, 3, o));
    const ReportLayout &header = empty.layout;
    EXPECT_EQ(header.pageCount(), 1);
    EXPECT_EQ(texts(header.page(0)), (QStringList{"", "列1", "列2", "列3"}));
    // The column titles ruled: their frame and the lines between them.
    EXPECT_EQ(header.page(0).lines.size(), 6);
}

TEST(ReportLayout, wideTablesAndLongPagesAreScaledToThePaper)
{
    ReportOptions o;
    // Seven columns are spread over the paper width; text and rows keep their size.
    const Laid sevenColumns(report(3, 7, o));
    const ReportLayout &seven = sevenColumns.layout;
    EXPECT_DOUBLE_EQ(seven.scale(), 1.0);
    EXPECT_DOUBLE_EQ(seven.columnScale(), 2720.0 / (1 + 7 * 280));
    double right = 0;
    for (const QLineF &line : seven.page(0).lines)
        right = qMax(right, qMax(line.x1(), line.x2()));
    EXPECT_DOUBLE_EQ(right, 2970 - 100);
    EXPECT_DOUBLE_EQ(Laid(report(3, 5, o)).layout.columnScale(), 1.0);

    o.paperCode = 3; // A5 portrait: 123 mm between the margins
    o.landscape = false;
    const Laid five(report(3, 5, o));
    const ReportLayout &shrunk = five.layout;
    EXPECT_DOUBLE_EQ(shrunk.scale(), 1230.0 / (1 + 5 * 280));
    EXPECT_DOUBLE_EQ(shrunk.columnScale(), shrunk.scale());
    const ReportPage page = shrunk.page(0);
    right = 0;
    for (const QLineF &line : page.lines)
        right = qMax(right, qMax(line.x1(), line.x2()));
    EXPECT_LE(right, 1480 - 100 + 1e-6);

    o = ReportOptions();
    o.rowsPerPage = 40;
    const Laid tall(report(40, 3, o));
    const ReportLayout &fitted = tall.layout;
    EXPECT_EQ(fitted.pageCount(), 1);
    EXPECT_LE(lowest(fitted.page(0)), 2100 - 100 + 1e-6);

    // An absurd count from the settings file: one readable page, no overflow.
    PrintSettings absurd;
    absurd.rowsPerPage = QStringLiteral("2147483647");
    o = reportOptions(absurd);
    EXPECT_EQ(o.rowsPerPage, ReportDocument::kMaxRowsPerPage);
    const Laid many(report(10, 3, o));
    EXPECT_GE(many.layout.scale(), ReportLayout::kSmallestScale);
    EXPECT_EQ(many.layout.pageCount(), 1);
    EXPECT_EQ(many.layout.rowCount(0), 10);
    absurd.rowsPerPage = QStringLiteral("99999999999");
    absurd.bodyFontSize = QStringLiteral("99999999999");
    absurd.titleFont = QStringLiteral("黑体,99999999999");
    o = reportOptions(absurd);
    EXPECT_EQ(o.rowsPerPage, ReportDocument::kMaxRowsPerPage);
    EXPECT_GT(o.bodyFontSize, 0);
    EXPECT_GT(o.titleFontSize, 0);
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
        const Laid laid(report(3, 3, o));
        const ReportPage page = laid.layout.page(0);
        EXPECT_EQ(countLines(page, true), c.horizontal) << c.style;
        EXPECT_EQ(countLines(page, false), c.vertical) << c.style;
    }
}

TEST(TextWrap, breaksAtLineFeedsSpacesAndBetweenChineseCharacters)
{
    const struct {
        const char *text;
        double width;
        QStringList lines;
    } cases[] = {
        {"", 5, {}},
        {"短", 5, {"短"}},
        {"下列关于光合作用", 3, {"下列关", "于光合", "作用"}},
        {"one two three", 3, {"one ", "two ", "three"}},   // at spaces
        {"abcdefghij", 2, {"abcd", "efgh", "ij"}},        // a word longer than the line
        {"第一行\n第二行\r\n\n末", 9, {"第一行", "第二行", "", "末"}},
        {"题目\n", 9, {"题目"}},                           // no empty line at the end
        {"A.甲B.乙", 2.5, {"A.甲", "B.乙"}},
    };
    for (const auto &c : cases) {
        const QString text = QString::fromUtf8(c.text);
        QStringList lines;
        for (const TextLine &line : wrapText(text, c.width, kWidths))
            lines << text.mid(line.start, line.length);
        EXPECT_EQ(lines, c.lines) << c.text;
    }
    // A character outside the basic plane is one character, never cut in two.
    const QString wide = QString::fromUcs4(U"\U00020000\U00020001");
    EXPECT_EQ(wrapText(wide, 1, kWidths), (QList<TextLine>{{0, 2}, {2, 2}}));
}

TEST(ReportLayout, rowsGrowToTheirTextAndATallRowGoesOnOnTheNextPage)
{
    // 题目 of 60 characters in a column of 28 mm: 26.4 mm for 4 mm characters,
    // 6 to a line, 10 lines of 6 mm and 2 mm of padding.
    const QString question = QString(QStringLiteral("下列关于光合作用")).repeated(8).left(60);
    TableModel model({{"题号", "题目", "分值"},
                      {"1", question, "2"},
                      {"2", "短题", "1"},
                      {"3", QString(QStringLiteral("长")).repeated(6 * 500), "1"}});
    const PrintTable table(&model);
    ReportOptions o;
    o.lineStyle = 1;
    const Laid laid(ReportDocument::build(table, allColumns(table), o));
    const ReportLayout &layout = laid.layout;
    ASSERT_DOUBLE_EQ(layout.scale(), 1.0);

    const ReportPage first = layout.page(0);
    // Nothing of the question is cut or elided: its lines hold all of it.
    const QStringList shown = texts(first);
    EXPECT_TRUE(shown.contains(question));
    EXPECT_FALSE(shown.join(QString()).contains(QStringLiteral("…")));
    // The question's row is 10 lines tall; the short row keeps the fixed height.
    const ReportCell *long1 = nullptr;
    const ReportCell *short2 = nullptr;
    for (const ReportCell &cell : first.cells) {
        if (cell.lines.join(QString()) == question)
            long1 = &cell;
        if (cell.lines.join(QString()) == QStringLiteral("短题"))
            short2 = &cell;
    }
    ASSERT_TRUE(long1 && short2);
    EXPECT_EQ(long1->lines.size(), 10);
    EXPECT_DOUBLE_EQ(long1->rect.height(), 10 * 60 + 20);
    EXPECT_DOUBLE_EQ(short2->rect.height(), 80);
    EXPECT_DOUBLE_EQ(short2->rect.top(), long1->rect.bottom());

    // Row 3 has 500 lines: it begins under row 2 and goes on over the next
    // pages, no line lost and none twice.
    const int pages = layout.pageCount();
    EXPECT_GT(pages, 2);
    int lines = 0;
    for (int p = 0; p < pages; ++p) {
        const ReportPage page = layout.page(p);
        EXPECT_LE(lowest(page), 2100 - 100 + 1e-6) << p;
        for (const ReportCell &cell : page.cells)
            if (cell.lines.value(0).startsWith(QStringLiteral("长")))
                lines += int(cell.lines.size());
    }
    EXPECT_EQ(lines, 500);
    EXPECT_EQ(layout.firstRow(pages - 1), 2);
}

TEST(ReportLayout, pagesAreLaidOutAsTheyAreAskedFor)
{
    GeneratedModel model(1000000, 4);
    const PrintTable table(&model);
    ReportOptions o;
    const Laid laid(ReportDocument::build(table, allColumns(table), o));
    const ReportLayout &layout = laid.layout;
    // Building the report reads no row; the first page reads only its own.
    EXPECT_EQ(model.reads, 0);
    EXPECT_EQ(layout.pagesKnown(), 1);
    const ReportPage first = layout.page(0);
    EXPECT_LE(model.lastRowRead, layout.rowCount(0) + 1);
    EXPECT_FALSE(layout.isComplete());
    // Until every page is counted, a page says only its number.
    EXPECT_EQ(first.pageNumber.text, QStringLiteral("第 1 页"));
    EXPECT_TRUE(layout.layOutNextPage());
    EXPECT_EQ(layout.pagesKnown(), 2);
    EXPECT_EQ(layout.firstRow(1), layout.rowCount(0));
}
