// How statements and values are put for the database server.
#include "data/ServerText.h"

#include <gtest/gtest.h>

using namespace kaoshi;
using namespace kaoshi::server;

TEST(ServerText, PlaceholdersAreNumberedOutsideTextsNamesAndComments)
{
    const struct {
        const char *sql;
        const char *numbered;
        int parameters;
    } cases[] = {
        {"select 1", "select 1", 0},
        {"update 单选 set 练习答案=? where 题号=?", "update 单选 set 练习答案=$1 where 题号=$2", 2},
        {"where 题目 like ?1 escape '\\' or 解析 like ?1", "where 题目 like $1 escape '\\' or 解析 like $1", 1},
        {"select '?', \"a?b\", ? -- why?\n, ?", "select '?', \"a?b\", $1 -- why?\n, $2", 2},
        {"select 'it''s ?', ? /* ? */", "select 'it''s ?', $1 /* ? */", 1},
        {"create function f() returns int as $$ select ? $$ language sql", "create function f() returns int as $$ select ? $$ language sql", 0},
        {"select ?2, ?", "select $2, $3", 3},
    };
    for (const auto &c : cases) {
        int parameters = -1;
        EXPECT_EQ(numberedPlaceholders(QString::fromUtf8(c.sql), &parameters), QString::fromUtf8(c.numbered)) << c.sql;
        EXPECT_EQ(parameters, c.parameters) << c.sql;
    }
}

TEST(ServerText, TextsWithANulOrTheEscapeSignComeBackAsTheyWere)
{
    const QString plain = QStringLiteral("普通的题目 'A' \\ $1 𠀀😀");
    EXPECT_EQ(toServerText(plain), plain); // unchanged on the server
    for (const QString &text : {QString(QChar(0)), QStringLiteral("前半") + QChar(0) + QStringLiteral("后半"),
                                QString(QChar(0xFFFF)) + QStringLiteral("0"), QString(2, QChar(0xFFFF)),
                                QChar(0xFFFF) + QString(QChar(0)) + QChar(0xFFFF)}) {
        const QString stored = toServerText(text);
        EXPECT_FALSE(stored.contains(QChar(0)));
        EXPECT_EQ(fromServerText(stored), text);
    }
}

TEST(ServerText, NumbersTravelInTheirShortestExactForm)
{
    EXPECT_EQ(numberText(FieldValue::integer(9223372036854775807LL)), "9223372036854775807");
    EXPECT_EQ(numberText(FieldValue::real(2.5)), "2.5");
    EXPECT_EQ(numberText(FieldValue::real(0.1)), "0.1");
    EXPECT_EQ(numberText(FieldValue::real(-1e300)).toDouble(), -1e300);
    EXPECT_EQ(numberText(FieldValue::real(1.0 / 0.0)), "Infinity");
    // A numeric without a fraction reads as an integer, as in a file.
    EXPECT_EQ(valueFromServer(1700, "5.000", 5), FieldValue::integer(5));
    EXPECT_EQ(valueFromServer(1700, "1.5", 3), FieldValue::real(1.5));
    EXPECT_EQ(valueFromServer(1700, "-9223372036854775808", 20), FieldValue::integer(qint64(0x8000000000000000ULL)));
    EXPECT_EQ(valueFromServer(1700, "99999999999999999999", 20).type(), FieldValue::Type::Real);
    EXPECT_EQ(valueFromServer(20, "42", 2), FieldValue::integer(42));
}
