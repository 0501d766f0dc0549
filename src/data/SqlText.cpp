#include "data/SqlText.h"

#include <QRegularExpression>

namespace kaoshi {

namespace {
// A non-character that never occurs in typed text marks a refused number.
constexpr QChar kRejectMark(0xFFFF);
} // namespace

QString sqlText(const QString &text)
{
    QString result = text;
    result.replace(QLatin1Char('\''), QLatin1String("''"));
    return result;
}

bool isDecimalNumber(const QString &text)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^\s*[+-]?(\d+(\.\d*)?|\.\d+)\s*$)"));
    return pattern.match(text).hasMatch();
}

QString sqlNumber(const QString &number)
{
    return isDecimalNumber(number) ? number.trimmed() : QString(kRejectMark);
}

QString sqlNumber(qint64 number) { return QString::number(number); }

bool isSafeStatement(const QString &statement) { return !statement.contains(kRejectMark); }

QString accessToSqlite(const QString &statement)
{
    static const QRegularExpression deleteStar(
        QStringLiteral(R"(^\s*delete\s+\*\s+from\b)"), QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression selectInto(
        QStringLiteral(R"(^\s*select\s+\*\s+into\s+(\S+)\s+from\b)"),
        QRegularExpression::CaseInsensitiveOption);

    QString result = statement;
    if (auto m = deleteStar.match(result); m.hasMatch())
        return result.replace(0, m.capturedLength(), QStringLiteral("delete from"));
    if (auto m = selectInto.match(result); m.hasMatch())
        return result.replace(0, m.capturedLength(),
                              QStringLiteral("create table %1 as select * from").arg(m.captured(1)));
    return result;
}

} // namespace kaoshi
