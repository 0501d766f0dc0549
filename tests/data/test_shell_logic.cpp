// Shell arithmetic and commands that need no window: the progress blocks, the
// main-window geometry, clearing the banks, the chapter list.
#include "TestDatabase.h"

#include "app/Geometry.h"
#include "ui/StatusProgress.h"
#include "data/Schema.h"
#include "data/BankTable.h"

#include <gtest/gtest.h>

using namespace kaoshi;
using kaoshi::test::TestDatabase;

namespace {

// The number of blocks shown after each row of a fill of `total` rows.
std::vector<int> blocksAfterEachRow(int total)
{
    std::vector<int> shown;
    QString text = "untouched";
    StatusProgress progress([&](const QString &blocks) { text = blocks; });
    progress.start(total);
    for (int i = 1; i <= total; ++i) {
        progress.step(i);
        shown.push_back(int(text.size()));
        EXPECT_EQ(text, QString(text.size(), QChar(0x2589)));
    }
    progress.finish();
    EXPECT_EQ(text, "");
    return shown;
}

} // namespace

TEST(StatusProgress, OneBlockPerFifteenthOfTheRows)
{
    EXPECT_EQ(blocksAfterEachRow(7), std::vector<int>({1, 2, 3, 4, 5, 6, 7}));
    const std::vector<int> thirty = blocksAfterEachRow(30);
    EXPECT_EQ(thirty[0], 1);
    EXPECT_EQ(thirty[1], 2);
    EXPECT_EQ(thirty[2], 2);
    EXPECT_EQ(thirty[3], 3);
    EXPECT_EQ(thirty[5], 4);
    EXPECT_EQ(thirty.back(), 16);
    for (size_t i = 1; i < thirty.size(); ++i)
        EXPECT_EQ(thirty[i] > thirty[i - 1], (i + 1) % 2 == 0) << "row " << i + 1;
    EXPECT_TRUE(blocksAfterEachRow(0).empty());
    EXPECT_EQ(blocksAfterEachRow(100000).back(), 16);
}

TEST(Geometry, MainWindowFromScreenSize)
{
    const struct { int w, h; QSize size; QPoint pos; } cases[] = {
        {1920, 1080, {1360, 930}, {280, 50}},
        {1024, 768, {853, 618}, {85, 50}},
        {1366, 768, {967, 618}, {199, 50}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(mainWindowSize(c.w, c.h), c.size) << c.w;
        EXPECT_EQ(mainWindowPosition(c.w, c.h, c.size), c.pos) << c.w;
    }
    EXPECT_EQ(taskWindowSize({1360, 930}), QSize(1200, 860));
    EXPECT_EQ(navigationBarHeight(930), 860);
}

TEST(DatabaseMaintenance, ClearsBanksAndTheirPictureRowsOnly)
{
    TestDatabase db;
    for (const QString &type : test::bankTables()) {
        db.addQuestions(type, 3);
        db.addPicture(type, 1, "图", "\\image\\1.png");
    }
    db.addPicture("其他", 1, "图", "\\image\\2.png");
    db.store().execute("insert into 评分 values ('001','一','张三',1,'单选','A')");
    EXPECT_TRUE(bank::clearAllBanks(db.store()));
    for (const QString &type : test::bankTables()) {
        EXPECT_EQ(db.count(type), 0);
        EXPECT_EQ(db.store().query("select max(题号) AS 最大值 from " + type).value("最大值").toNumber(), 0);
    }
    EXPECT_EQ(db.count("图片"), 1);
    EXPECT_EQ(db.count("评分"), 1);
    EXPECT_EQ(db.count("配置"), 1);
    EXPECT_TRUE(bank::clearAllBanks(db.store())); // on empty banks: nothing changes
    EXPECT_EQ(db.count("图片"), 1);
}

TEST(DatabaseMaintenance, ClearingIsOneUnitWhenOneBankRefuses)
{
    TestDatabase db;
    for (const QString &type : test::bankTables()) {
        db.addQuestions(type, 2);
        db.addPicture(type, 1, "图", "\\image\\1.png");
    }
    ASSERT_TRUE(db.store().execute("create trigger refuse before delete on 判断 begin select raise(abort, '判断题库被锁定'); end"));
    EXPECT_FALSE(bank::clearAllBanks(db.store()));
    EXPECT_EQ(db.store().errorString(), "判断题库被锁定");
    for (const QString &type : test::bankTables())
        EXPECT_EQ(db.count(type), 2) << type.toStdString();
    EXPECT_EQ(db.count("图片"), 4);
}

TEST(Chapters, DistinctSortedOverAllBanks)
{
    TestDatabase db;
    db.addQuestion("单选", {1, "a", "A", "", 1, "第一章"});
    db.addQuestion("多选", {1, "b", "A", "", 1, "第一章"});
    db.addQuestion("判断", {1, "c", "√", "", 1, "第二章"});
    db.addQuestion("问答", {1, "d", "x", "", 1, ""});
    EXPECT_EQ(bank::chapters(db.store()), QStringList({"", "第一章", "第二章"}));
    EXPECT_EQ(bank::chapters(db.store()), QStringList({"", "第一章", "第二章"}));
}
