#include "practice/PracticeQueries.h"

#include "data/DataStore.h"
#include "data/Schema.h"
#include "data/SqlText.h"
#include "data/TextRules.h"

namespace kaoshi {

QString questionQuery(const QString &type, const QString &number)
{
    return "select * from " + type + " where 题号=" + sqlNumber(number);
}

QString saveAnswerStatement(const QString &type, const QString &answer, const QString &number)
{
    return "update " + type + " set 练习答案='" + sqlText(answer) + "' where 题号=" + sqlNumber(number);
}

QString clearAnswersStatement(const QString &type) { return "update " + type + " set 练习答案=''"; }

QString pictureQuery(const QString &type, const QString &number)
{
    return "select * from 图片 where 题型='" + sqlText(type) + "' and 题号=" + sqlNumber(number);
}

QString wrongQuestionQuery(const QString &type)
{
    return "select * from " + type + " where 练习答案<>'' and 练习答案<>标准答案 order by 题号";
}

bool BankBounds::isEmpty() const { return numberIsZero(textToNumber(upper)); }

BankBounds readBankBounds(DataStore &store, const QString &type)
{
    BankBounds bounds;
    RowSet lowest = store.query("select min(题号) AS 最小值 from " + type);
    bounds.lower = lowest.value(QStringLiteral("最小值")).toText();
    lowest.close();
    RowSet highest = store.query("select max(题号) AS 最大值 from " + type);
    bounds.upper = highest.value(QStringLiteral("最大值")).toText();
    highest.close();
    return bounds;
}

const QStringList &wrongListTitles()
{
    static const QStringList titles{QString(), QStringLiteral("题号"), QStringLiteral("题型"),
                                    QStringLiteral("题目"), QStringLiteral("标准答案"), QStringLiteral("练习答案")};
    return titles;
}

const std::vector<int> &wrongListWidths()
{
    static const std::vector<int> widths{0, 50, 50, 500, 70, 70};
    return widths;
}

std::vector<QStringList> wrongQuestionRows(DataStore &store)
{
    std::vector<QStringList> rows;
    for (const QString &type : questionTypes()) {
        RowSet result = store.query(wrongQuestionQuery(type));
        for (; !result.atEnd(); result.next()) {
            rows.push_back({QString(), result.value(QStringLiteral("题号")).toText(), type,
                            result.value(QStringLiteral("题目")).toText(),
                            result.value(QStringLiteral("标准答案")).toText(),
                            result.value(QStringLiteral("练习答案")).toText()});
        }
        result.close();
    }
    return rows;
}

} // namespace kaoshi
