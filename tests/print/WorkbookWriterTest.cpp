// The workbook of a list: chosen columns in order, every row, as text.
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
using kaoshi::test::worksheetCells;

TEST(Workbook, holdsTheChosenColumnsOfEveryRowInTheirOrder)
{
    QTemporaryDir dir;
    TableModel model({{"题号", "题目", "标准答案", "分值"},
                      {"1", "中国的首都是？", "A", "2.5"},
                      {"", "", "", ""}, // a blank row of the list
                      {"3", "选出质数", "BD", "1"}});
    const QString path = dir.filePath(QStringLiteral("导出.xlsx"));
    QString error;
    ASSERT_TRUE(writeWorkbook(path, PrintTable(&model), {3, 1}, &error)) << error.toStdString();

    const QMap<QString, QString> cells = worksheetCells(path);
    const QMap<QString, QString> expected{
        {"A1", "分值"}, {"B1", "题目"}, {"A2", "2.5"}, {"B2", "中国的首都是？"}, {"A4", "1"}, {"B4", "选出质数"},
    };
    EXPECT_EQ(cells, expected);
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
