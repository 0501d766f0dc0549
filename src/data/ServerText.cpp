#include "data/ServerText.h"

#include <QLocale>
#include <libpq-fe.h>
#include <cmath>
#include <limits>

namespace kaoshi::server {

namespace {

constexpr char16_t kEscape = u'\uFFFF';

// Oids of the server's built-in types (pg_type.h).
enum : unsigned {
    kBool = 16,
    kBytea = 17,
    kInt8 = 20,
    kInt2 = 21,
    kInt4 = 23,
    kOid = 26,
    kFloat4 = 700,
    kFloat8 = 701,
    kNumeric = 1700,
};

bool isTagCharacter(QChar c) { return c.isLetterOrNumber() || c == u'_'; }

// The end of a dollar-quoted text that starts at i ("$tag$ … $tag$"), or -1
// when the dollar sign at i starts no such text.
qsizetype dollarQuoteEnd(const QString &sql, qsizetype i)
{
    qsizetype j = i + 1;
    if (j < sql.size() && sql[j].isDigit())
        return -1; // $1: a parameter
    while (j < sql.size() && isTagCharacter(sql[j]))
        ++j;
    if (j >= sql.size() || sql[j] != u'$')
        return -1;
    const QString tag = sql.mid(i, j - i + 1);
    const qsizetype close = sql.indexOf(tag, j + 1);
    return close < 0 ? sql.size() : close + tag.size();
}

// The end of a text quoted with quote that starts at i (a doubled quote
// stays inside).
qsizetype quotedEnd(const QString &sql, qsizetype i, QChar quote)
{
    qsizetype j = i + 1;
    while (j < sql.size()) {
        if (sql[j] == quote) {
            if (j + 1 < sql.size() && sql[j + 1] == quote) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return sql.size();
}

std::optional<qint64> wholeNumber(const char *data, int length)
{
    // "-12", "12.000": a whole number; anything else is not.
    int i = 0;
    if (i < length && data[i] == '-')
        ++i;
    const int digitsStart = i;
    while (i < length && data[i] >= '0' && data[i] <= '9')
        ++i;
    if (i == digitsStart)
        return std::nullopt;
    const int digitsEnd = i;
    if (i < length && data[i] == '.') {
        ++i;
        while (i < length && data[i] == '0')
            ++i;
    }
    if (i != length)
        return std::nullopt;
    bool ok = false;
    const qint64 value = QByteArray(data, digitsEnd).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

double realNumber(const char *data, int length)
{
    const QByteArray text(data, length);
    if (text == "NaN")
        return std::numeric_limits<double>::quiet_NaN();
    if (text == "Infinity")
        return std::numeric_limits<double>::infinity();
    if (text == "-Infinity")
        return -std::numeric_limits<double>::infinity();
    return text.toDouble();
}

} // namespace

QString numberedPlaceholders(const QString &sql, int *parameters)
{
    QString out;
    out.reserve(sql.size() + 8);
    int highest = 0;
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql[i];
        qsizetype end = -1;
        if (c == u'\'' || c == u'"')
            end = quotedEnd(sql, i, c);
        else if (c == u'-' && i + 1 < sql.size() && sql[i + 1] == u'-')
            end = [&] { const qsizetype nl = sql.indexOf(u'\n', i); return nl < 0 ? sql.size() : nl; }();
        else if (c == u'/' && i + 1 < sql.size() && sql[i + 1] == u'*')
            end = [&] { const qsizetype e = sql.indexOf(QStringLiteral("*/"), i + 2); return e < 0 ? sql.size() : e + 2; }();
        else if (c == u'$')
            end = dollarQuoteEnd(sql, i);
        if (end > i) {
            out += QStringView(sql).mid(i, end - i);
            i = end;
            continue;
        }
        if (c != u'?') {
            out += c;
            ++i;
            continue;
        }
        qsizetype j = i + 1;
        while (j < sql.size() && sql[j].isDigit() && sql[j].unicode() < 128)
            ++j;
        const int number = j > i + 1 ? sql.mid(i + 1, j - i - 1).toInt() : highest + 1;
        highest = std::max(highest, number);
        out += u'$' + QString::number(number);
        i = j;
    }
    if (parameters)
        *parameters = highest;
    return out;
}

QString toServerText(const QString &text)
{
    if (!text.contains(QChar(0)) && !text.contains(QChar(kEscape)))
        return text;
    QString stored;
    stored.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c.unicode() == 0)
            stored += QStringView(u"\uFFFF0");
        else if (c.unicode() == kEscape)
            stored += QStringView(u"\uFFFF\uFFFF");
        else
            stored += c;
    }
    return stored;
}

QString fromServerText(const QString &stored)
{
    if (!stored.contains(QChar(kEscape)))
        return stored;
    QString text;
    text.reserve(stored.size());
    for (qsizetype i = 0; i < stored.size(); ++i) {
        const QChar c = stored[i];
        if (c.unicode() == kEscape && i + 1 < stored.size()) {
            const QChar next = stored[i + 1];
            if (next == u'0' || next.unicode() == kEscape) {
                text += next == u'0' ? QChar(0) : next;
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

QByteArray numberText(const FieldValue &value)
{
    if (value.type() == FieldValue::Type::Integer)
        return QByteArray::number(value.toInteger());
    const double number = value.toNumber();
    if (std::isnan(number))
        return QByteArrayLiteral("NaN");
    if (std::isinf(number))
        return number > 0 ? QByteArrayLiteral("Infinity") : QByteArrayLiteral("-Infinity");
    return QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
}

FieldValue valueFromServer(unsigned typeOid, const char *data, int length)
{
    switch (typeOid) {
    case kInt2:
    case kInt4:
    case kInt8:
    case kOid: return FieldValue::integer(QByteArray(data, length).toLongLong());
    case kBool: return FieldValue::integer(length > 0 && data[0] == 't' ? 1 : 0);
    case kFloat4:
    case kFloat8: return FieldValue::real(realNumber(data, length));
    case kBytea: {
        size_t size = 0;
        unsigned char *bytes = PQunescapeBytea(reinterpret_cast<const unsigned char *>(data), &size);
        QByteArray blob(reinterpret_cast<const char *>(bytes), qsizetype(size));
        PQfreemem(bytes);
        return FieldValue::blob(std::move(blob));
    }
    case kNumeric: {
        if (const auto whole = wholeNumber(data, length))
            return FieldValue::integer(*whole);
        return FieldValue::real(realNumber(data, length));
    }
    default: return FieldValue::text(fromServerText(QString::fromUtf8(data, length)));
    }
}

} // namespace kaoshi::server
