#include "practice/QuestionLayout.h"

#include <gtest/gtest.h>

using kaoshi::layoutQuestionText;

struct LayoutCase {
    const char *text;
    const char *shown;
};

class QuestionLayout : public testing::TestWithParam<LayoutCase>
{
};

TEST_P(QuestionLayout, BreaksOptionsOntoLines)
{
    EXPECT_EQ(layoutQuestionText(QString::fromUtf8(GetParam().text)), QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuestionLayout,
    testing::Values(
        // No "A": unchanged, even with other option letters.
        LayoutCase{"甲乙丙？B.二", "甲乙丙？B.二"},
        LayoutCase{"", ""},
        LayoutCase{"题干A.甲B.乙", "题干\r\n\r\nA.甲\r\nB.乙"},
        LayoutCase{"甲？A.一B.二C.三", "甲？\r\n\r\nA.一\r\nB.二\r\nC.三"},
        // A missing letter ends the splitting: after a missing C, D stays on the B line.
        LayoutCase{"问A.1B.2D.4", "问\r\n\r\nA.1\r\nB.2D.4"},
        // The first A is taken even inside a word.
        LayoutCase{"DNA是什么A.酸B.碱", "DN\r\n\r\nA是什么A.酸\r\nB.碱"},
        // Options up to G, then an H inside the last option: it starts its own line.
        LayoutCase{"问A1B2C3D4E5F6G7H8", "问\r\n\r\nA1\r\nB2\r\nC3\r\nD4\r\nE5\r\nF6\r\nG7\r\nH8"},
        // Lower-case letters and full-width letters are not option letters.
        LayoutCase{"问a.1Ａ.2A.3b.4B.5", "问a.1Ａ.2\r\n\r\nA.3b.4\r\nB.5"}));
