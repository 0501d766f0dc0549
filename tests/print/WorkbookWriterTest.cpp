// The workbook of a list: chosen columns in order, every row, numbers as
// numbers and the rest as text.
#include "TableModel.h"
#include "XlsxCells.h"
#include "print/ExportFiles.h"
#include "print/WorkbookWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kaoshi;
using kaoshi::test::TableModel;
using kaoshi::test::numberCells;
using kaoshi::test::worksheetCells;

TEST(Workbook, holdsTheChosenColumnsOfEveryRowInTheirOrder)
{
    QTemporaryDir dir;
    TableModel model({{"题号", "题目", "标准答案", "分值", "考号"},
                      {"1", "中国的首都是？", "A", "2.5", "001"},
                      {"", "", "", "", ""}, // a blank row of the list
                      {"3", QStringLiteral("选出\0质数"), "BD", "-1", "20240101"}});
    const QString path = dir.filePath(QStringLiteral("导出.xlsx"));
    QString error;
    ASSERT_TRUE(writeWorkbook(path, PrintTable(&model), {3, 1, 4}, &error)) << error.toStdString();

    const QMap<QString, QString> cells = worksheetCells(path);
    const QMap<QString, QString> expected{
        {"A1", "分值"}, {"B1", "题目"},           {"C1", "考号"}, {"A2", "2.5"},
        {"B2", "中国的首都是？"}, {"C2", "001"}, {"A4", "-1"},   {"B4", QStringLiteral("选出␀质数")},
        {"C4", "20240101"},
    };
    EXPECT_EQ(cells, expected);
    // Scores add up in the spreadsheet; 考号 001 keeps its zeros.
    EXPECT_EQ(numberCells(path), (QSet<QString>{"A2", "A4", "C4"}));
}

TEST(Workbook, onlyPlainDecimalsAreNumbers)
{
    const struct {
        const char *text;
        bool number;
    } cases[] = {
        {"0", true},      {"12", true},     {"-3", true},     {"2.5", true},   {"0.75", true},
        {"2.50", true},   {"123456789012345", true},          {"1234567890.12345", true},
        {"0.000123456789012345", true},     {"1234567890123456", false},     {"001", false},
        {"01.5", false},  {"-0", false},    {"-0.0", false},  {"1e5", false},  {"1,000", false},
        {" 5", false},    {"5 ", false},    {"+5", false},    {"12.", false},  {".5", false},
        {"", false},      {"-", false},     {"１２", false},  {"0x10", false}, {"5分", false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(isPlainNumber(QString::fromUtf8(c.text)), c.number) << c.text;
}

TEST(Workbook, aFileThatCannotBeWrittenIsReportedAndNotLeft)
{
    QTemporaryDir dir;
    TableModel model({{"题号", "题目"}, {"1", "题"}});
    const QString path = dir.filePath(QStringLiteral("无此文件夹/导出.xlsx"));
    QString error;
    EXPECT_FALSE(writeWorkbook(path, PrintTable(&model), {1}, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

TEST(Workbook, newFilesAreNamedByTitleAndTimeAndNeverReplaceOne)
{
    QTemporaryDir dir;
    const QDateTime at(QDate(2024, 6, 1), QTime(8, 30, 5));
    const QString first = newWorkbookPath(dir.path(), QStringLiteral("单选/题库:导出"), at);
    EXPECT_EQ(QFileInfo(first).fileName(), QStringLiteral("单选_题库_导出-20240601-083005.xlsx"));
    QFile(first).open(QIODevice::WriteOnly);
    EXPECT_EQ(QFileInfo(newWorkbookPath(dir.path(), QStringLiteral("单选/题库:导出"), at)).fileName(),
              QStringLiteral("单选_题库_导出-20240601-083005-2.xlsx"));
    EXPECT_EQ(fileNameFromTitle(QStringLiteral("  "), QStringLiteral("导出")), QStringLiteral("导出"));
}
