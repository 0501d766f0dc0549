#include "practice/QuestionLayout.h"

#include "support/TestDatabase.h"

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
        // Labels with separators are the options: the A inside a word is not one.
        LayoutCase{"DNA是什么A.酸B.碱", "DNA是什么\r\n\r\nA.酸\r\nB.碱"},
        // An option ending in the next option's letter: the labelled letter starts it.
        LayoutCase{"最适温度为A.36°CB.37.8°CC.36.5°CD.37°C",
                   "最适温度为\r\n\r\nA.36°C\r\nB.37.8°C\r\nC.36.5°C\r\nD.37°C"},
        LayoutCase{"维生素？A、维生素AB、维生素BC、钙", "维生素？\r\n\r\nA、维生素A\r\nB、维生素B\r\nC、钙"},
        // Without any separated label the first occurrence of each letter is taken.
        LayoutCase{"DNA是什么A酸B碱", "DN\r\n\r\nA是什么A酸\r\nB碱"},
        // Options up to G, then an H inside the last option: it starts its own line.
        LayoutCase{"问A1B2C3D4E5F6G7H8", "问\r\n\r\nA1\r\nB2\r\nC3\r\nD4\r\nE5\r\nF6\r\nG7\r\nH8"},
        // Lower-case letters and full-width letters are not option letters.
        LayoutCase{"问a.1Ａ.2A.3b.4B.5", "问a.1Ａ.2\r\n\r\nA.3b.4\r\nB.5"}));

struct SplitCase {
    const char *text;
    int options;
    bool clean;
};

class QuestionSplit : public testing::TestWithParam<SplitCase>
{
};

TEST_P(QuestionSplit, TellsWhetherOptionsSplitCleanly)
{
    const QString text = QString::fromUtf8(GetParam().text);
    const kaoshi::QuestionParts parts = kaoshi::splitQuestionText(text);
    EXPECT_EQ(parts.options.size(), GetParam().options) << GetParam().text;
    EXPECT_EQ(parts.clean, GetParam().clean) << GetParam().text;
    EXPECT_EQ(parts.stem + parts.options.join(QString()), text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuestionSplit,
    testing::Values(SplitCase{"甲？A.一B.二C.三", 3, true}, SplitCase{"甲？A．一B．二", 2, true},
                    SplitCase{"温度A.36°CB.37.8°CC.36.5°C", 3, true},
                    // One option only, an empty option, bare letters, a gap in the sequence.
                    SplitCase{"甲？A.一", 1, false}, SplitCase{"甲？A.B.二", 2, false},
                    SplitCase{"问A1B2C3", 3, false}, SplitCase{"问A.1B.2D.4", 2, false},
                    // A second label of the same letter inside an option: which one is meant is unclear.
                    SplitCase{"问A.1B.维生素C.C.钙", 3, false}, SplitCase{"问答题", 0, false}));

// The real questions: every one splits back into its own text, and those with
// a unit such as °C before the next label split at the label.
TEST(QuestionSplitReal, LabelledLetterStartsTheOptionInRealQuestions)
{
    const QList<kaoshi::test::RealQuestion> questions = kaoshi::test::loadRealQuestions();
    ASSERT_GT(questions.size(), 10000);
    int unitBeforeLabel = 0;
    for (const kaoshi::test::RealQuestion &question : questions) {
        const kaoshi::QuestionParts parts = kaoshi::splitQuestionText(question.text);
        ASSERT_EQ(parts.stem + parts.options.join(QString()), question.text);
        if (!question.text.contains(QStringLiteral("°CC.")))
            continue;
        ++unitBeforeLabel;
        for (const QString &option : parts.options)
            EXPECT_FALSE(option.startsWith(QStringLiteral("CC"))) << question.text.toStdString();
    }
    EXPECT_GT(unitBeforeLabel, 0);
}
