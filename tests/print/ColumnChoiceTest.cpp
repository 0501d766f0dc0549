// The list as the print window reads it, and the column choice over it.
#include "TableModel.h"
#include "print/ColumnChoice.h"

#include <gtest/gtest.h>
#include <memory>

using namespace kaoshi;
using kaoshi::test::numberedRows;
using kaoshi::test::TableModel;

namespace {

QList<int> numbers(const ColumnList &columns)
{
    QList<int> result;
    for (const ColumnEntry &entry : columns)
        result << entry.column;
    return result;
}

} // namespace

TEST(PrintTable, readsTitlesAndEveryRowThroughTheModelUntilTheListCloses)
{
    auto model = std::make_unique<TableModel>(numberedRows(3, 4));
    const PrintTable table(model.get(), {50, 100, 0, 80});
    ASSERT_TRUE(table.isAvailable());
    EXPECT_EQ(table.rowCount(), 4);
    EXPECT_EQ(table.columnCount(), 4);
    EXPECT_EQ(table.text(0, 2), QStringLiteral("列2"));
    EXPECT_EQ(table.text(3, 1), QStringLiteral("r3c1"));
    EXPECT_EQ(table.text(4, 1), QString());
    EXPECT_EQ(table.columnWidth(2), 0);
    EXPECT_EQ(table.columnWidth(3), 80);

    model.reset();
    EXPECT_FALSE(table.isAvailable());
    EXPECT_EQ(table.rowCount(), 0);
    EXPECT_EQ(table.text(0, 1), QString());
    EXPECT_TRUE(allColumns(table).isEmpty());
}

TEST(ColumnChoice, offersEveryColumnButTheFirstTicked)
{
    TableModel model(numberedRows(2, 7));
    const ColumnList columns = allColumns(PrintTable(&model));
    EXPECT_EQ(numbers(columns), (QList<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(columns[4], (ColumnEntry{5, true, QStringLiteral("列5")}));
    EXPECT_EQ(fieldList(columns), QStringLiteral("1,2,3,4,5,6"));
}

TEST(ColumnChoice, storedFieldListsGiveTheirColumnsInTheirOrder)
{
    TableModel model(numberedRows(2, 7));
    const PrintTable table(&model);
    const struct {
        const char *stored;
        QList<int> offered;
    } cases[] = {
        {"5,1,2,4,6", {5, 1, 2, 4, 6}},
        {"", {1, 2, 3, 4, 5, 6}},
        {"9,x,3,0", {3}}, // unknown elements and column 0 are skipped
        {"9", {}},
    };
    for (const auto &c : cases) {
        const ColumnList columns = storedColumns(table, QString::fromUtf8(c.stored));
        EXPECT_EQ(numbers(columns), c.offered) << c.stored;
        for (const ColumnEntry &entry : columns)
            EXPECT_TRUE(entry.ticked);
    }
}

TEST(ColumnChoice, unticksAndMovesChangeTheFieldList)
{
    TableModel model(numberedRows(1, 7));
    ColumnList columns = allColumns(PrintTable(&model));
    columns[2].ticked = false;                  // column 3
    EXPECT_TRUE(moveColumnUp(columns, 4));      // column 5 …
    EXPECT_TRUE(moveColumnUp(columns, 3));
    EXPECT_TRUE(moveColumnUp(columns, 2));
    EXPECT_TRUE(moveColumnUp(columns, 1));      // … to the top
    EXPECT_FALSE(moveColumnUp(columns, 0));
    EXPECT_EQ(fieldList(columns), QStringLiteral("5,1,2,4,6"));
    EXPECT_EQ(numbers(tickedColumns(columns)), (QList<int>{5, 1, 2, 4, 6}));

    EXPECT_FALSE(moveColumnDown(columns, 5));
    EXPECT_TRUE(moveColumnDown(columns, 0));
    EXPECT_EQ(fieldList(columns), QStringLiteral("1,5,2,4,6"));

    for (ColumnEntry &entry : columns)
        entry.ticked = false;
    EXPECT_EQ(fieldList(columns), QString());
}
