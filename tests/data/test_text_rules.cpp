// Numbers held as text, spaces, statement quoting and the Access translation.
#include "data/FieldValue.h"
#include "data/TextRules.h"

#include <gtest/gtest.h>

using namespace kaoshi;

TEST(TextRules, LeadingNumberOfText)
{
    const struct { const char *text; double value; } cases[] = {
        {"12", 12}, {"12abc", 12}, {" 3.5", 3.5}, {"-4", -4}, {"abc", 0}, {"", 0}, {".5", 0.5}, {"7.", 7},
        {"题5", 0}, {"+2", 2},
    };
    for (const auto &c : cases)
        EXPECT_DOUBLE_EQ(textToNumber(QString::fromUtf8(c.text)), c.value) << c.text;
}

TEST(TextRules, NumberToTextWritesIntegersPlainAndTrimsZeros)
{
    EXPECT_EQ(numberToText(7), "7");
    EXPECT_EQ(numberToText(-3), "-3");
    EXPECT_EQ(numberToText(2.5), "2.5");
    EXPECT_EQ(numberToText(1.0 / 3.0), "0.3333333333333");
    EXPECT_EQ(numberToText(0.1 + 0.2), "0.3");
}

TEST(TextRules, ComparisonsUseTheTolerance)
{
    EXPECT_FALSE(numberGreater(1.00000001, 1));
    EXPECT_TRUE(numberGreater(1.000001, 1));
    EXPECT_FALSE(numberLess(0.99999999, 1));
    EXPECT_TRUE(numberLess(0.9999, 1));
    EXPECT_TRUE(numberIsZero(0.00000009));
    EXPECT_FALSE(numberIsZero(0.000001));
}

TEST(TextRules, SpacesAsciiAndFullWidth)
{
    EXPECT_EQ(trimSpaces(QStringLiteral("  答案  ")), QStringLiteral("答案"));
    EXPECT_EQ(trimSpaces(QStringLiteral("　答 案　 ")), QStringLiteral("答 案"));
    EXPECT_EQ(trimSpaces(QStringLiteral("\t答案")), QStringLiteral("\t答案")); // tabs are not spaces here
    EXPECT_EQ(removeAllSpaces(QStringLiteral(" 答　案 A B ")), QStringLiteral("答案AB"));
    EXPECT_EQ(upperAscii(QStringLiteral("ab中文çz")), QStringLiteral("AB中文çZ"));
}

TEST(FieldValue, TextAndNumberConversions)
{
    EXPECT_EQ(FieldValue().toText(), "");
    EXPECT_EQ(FieldValue().toNumber(), 0);
    EXPECT_EQ(FieldValue::real(2.5).toText(), "2.5");
    EXPECT_EQ(FieldValue::real(5).toText(), "5");
    EXPECT_EQ(FieldValue::integer(42).toText(), "42");
    EXPECT_EQ(FieldValue::text(QStringLiteral("abc")).toNumber(), 0);
    EXPECT_EQ(FieldValue::text(QStringLiteral(" 2.5 ")).toNumber(), 2.5);
    EXPECT_EQ(FieldValue::text(QStringLiteral("中文")).toText(), QStringLiteral("中文"));
}
