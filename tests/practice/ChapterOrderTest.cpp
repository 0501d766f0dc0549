// The natural order of the chapter items.
#include "practice/ChapterOrder.h"

#include <gtest/gtest.h>

using namespace kaoshi;

TEST(ChapterOrder, ReadsChineseNumerals)
{
    const struct {
        QString numerals;
        qint64 value;
    } cases[] = {{"一", 1},     {"九", 9},       {"十", 10},          {"十一", 11},    {"二十", 20},
                 {"二十三", 23}, {"一百", 100},   {"一百零五", 105},   {"两千", 2000},  {"三万零一", 30001},
                 {"〇", 0},     {"一千二百三十四", 1234}};
    for (const auto &c : cases)
        EXPECT_EQ(chineseNumeralValue(c.numerals), c.value) << c.numerals.toStdString();
}

TEST(ChapterOrder, ListsChaptersByTheirNumbersAndTheRestAsText)
{
    const QStringList stored{"第十一章", "第十章", "第二章", "第一章", "第10章", "第2章", "",
                             "附录",     "第2章", "第一章 总则", "第1节"};
    EXPECT_EQ(chapterItems(stored),
              QStringList({"(未分章节)", "第一章", "第一章 总则", "第1节", "第2章", "第二章", "第10章", "第十章",
                           "第十一章", "附录"}));
    EXPECT_EQ(chapterOfItem(QStringLiteral("(未分章节)")), QString());
    EXPECT_EQ(chapterOfItem(QStringLiteral("第一章")), QStringLiteral("第一章"));
    EXPECT_TRUE(chapterItems({}).isEmpty());
}
