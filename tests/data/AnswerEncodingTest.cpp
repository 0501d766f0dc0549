#include "data/AnswerEncoding.h"

#include <gtest/gtest.h>

using namespace kaoshi;

namespace {
ChoiceMarks marks(const char *letters) { return marksFromAnswer(QString::fromLatin1(letters)); }
} // namespace

TEST(AnswerEncoding, ChoicesRoundTrip)
{
    // Letters are found anywhere, case-sensitively; the order does not matter.
    EXPECT_EQ(multipleChoiceAnswer(marks("DAC")), QStringLiteral("ACD"));
    EXPECT_EQ(multipleChoiceAnswer(marks("acd")), QString());
    EXPECT_EQ(multipleChoiceAnswer(marks("ABCDEFG")), QStringLiteral("ABCDEFG"));
    EXPECT_EQ(multipleChoiceAnswer(marks("H")), QString());
    // A single choice keeps the last checked box.
    EXPECT_EQ(singleChoiceAnswer(marks("C")), QStringLiteral("C"));
    EXPECT_EQ(singleChoiceAnswer(marks("AE")), QStringLiteral("E"));
    EXPECT_EQ(singleChoiceAnswer(marks("")), QString());
}

TEST(AnswerEncoding, TrueFalseAndFreeAnswers)
{
    EXPECT_EQ(trueFalseAnswer(verdictFromAnswer(QStringLiteral("√"))), QStringLiteral("√"));
    EXPECT_EQ(trueFalseAnswer(verdictFromAnswer(QStringLiteral("×"))), QStringLiteral("×"));
    // Anything else shows neither box and stores the empty text.
    EXPECT_EQ(verdictFromAnswer(QStringLiteral("√×")), Verdict::None);
    EXPECT_EQ(trueFalseAnswer(Verdict::None), QString());

    EXPECT_EQ(freeAnswer(QStringLiteral("  答案  ")), QStringLiteral("答案"));
    EXPECT_EQ(freeAnswer(QStringLiteral("　答 案　 ")), QStringLiteral("答 案"));
}

TEST(AnswerEncoding, LettersAreComposedInOrderAndFoundAnywhere)
{
    EXPECT_EQ(multipleChoiceAnswer({true, false, true, true, false, false, false}), "ACD");
    EXPECT_EQ(multipleChoiceAnswer({}), "");
    EXPECT_EQ(multipleChoiceAnswer({false, false, false, false, false, false, true}), "G");
    const ChoiceMarks found = marksFromAnswer("DBa");
    EXPECT_EQ(multipleChoiceAnswer(found), "BD"); // case-sensitive, order does not matter
    EXPECT_EQ(trueFalseAnswer(Verdict::Right), QStringLiteral("√"));
    EXPECT_EQ(trueFalseAnswer(Verdict::Wrong), QStringLiteral("×"));
    EXPECT_EQ(trueFalseAnswer(Verdict::None), "");
}
