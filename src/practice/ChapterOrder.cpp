#include "practice/ChapterOrder.h"

#include <QSet>

#include <algorithm>
#include <limits>
#include <vector>

namespace kaoshi {

namespace {

const QString kDigits = QStringLiteral("零一二三四五六七八九");

int chineseDigit(QChar c)
{
    if (c == u'〇')
        return 0;
    if (c == u'两')
        return 2;
    return int(kDigits.indexOf(c));
}

int chineseUnit(QChar c)
{
    switch (c.unicode()) {
    case u'十': return 10;
    case u'百': return 100;
    case u'千': return 1000;
    case u'万': return 10000;
    default: return 0;
    }
}

bool isChineseNumeral(QChar c) { return chineseDigit(c) >= 0 || chineseUnit(c) > 0; }

// A chapter name cut into runs: numbers (digits or Chinese numerals) and text.
struct Piece {
    bool number = false;
    qint64 value = 0;
    QString text;
};

std::vector<Piece> pieces(const QString &name)
{
    std::vector<Piece> result;
    qsizetype i = 0;
    while (i < name.size()) {
        qsizetype j = i;
        Piece piece;
        if (name[i].isDigit() && name[i].unicode() < 128) {
            while (j < name.size() && name[j].isDigit() && name[j].unicode() < 128)
                ++j;
            piece.number = true;
            piece.text = name.mid(i, j - i);
            // Long digit runs are held at the largest value rather than wrapping.
            bool ok = false;
            piece.value = piece.text.toLongLong(&ok);
            if (!ok)
                piece.value = std::numeric_limits<qint64>::max();
        } else if (isChineseNumeral(name[i])) {
            while (j < name.size() && isChineseNumeral(name[j]))
                ++j;
            piece.number = true;
            piece.text = name.mid(i, j - i);
            piece.value = chineseNumeralValue(piece.text);
        } else {
            while (j < name.size() && !(name[j].isDigit() && name[j].unicode() < 128) && !isChineseNumeral(name[j]))
                ++j;
            piece.text = name.mid(i, j - i);
        }
        result.push_back(piece);
        i = j;
    }
    return result;
}

} // namespace

qint64 chineseNumeralValue(const QString &numerals)
{
    qint64 total = 0;   // complete groups of 万
    qint64 section = 0; // below 万
    qint64 digit = 0;
    bool sawDigit = false;
    for (const QChar c : numerals) {
        if (const int d = chineseDigit(c); d >= 0) {
            digit = d;
            sawDigit = true;
        } else if (const int unit = chineseUnit(c); unit == 10000) {
            total = (total + section + digit) * 10000;
            section = digit = 0;
            sawDigit = false;
        } else if (unit > 0) {
            // 十 alone stands for 一十.
            section += (sawDigit ? digit : 1) * unit;
            digit = 0;
            sawDigit = false;
        }
    }
    return total + section + digit;
}

bool chapterLess(const QString &a, const QString &b)
{
    const std::vector<Piece> pa = pieces(a), pb = pieces(b);
    for (size_t i = 0; i < pa.size() && i < pb.size(); ++i) {
        const Piece &x = pa[i], &y = pb[i];
        if (x.number && y.number) {
            if (x.value != y.value)
                return x.value < y.value;
        } else if (const int c = QString::compare(x.text, y.text); c != 0) {
            return c < 0;
        }
    }
    if (pa.size() != pb.size())
        return pa.size() < pb.size();
    // Same values written differently (第2章, 第二章): plain text decides.
    return QString::compare(a, b) < 0;
}

QStringList chapterItems(const QStringList &chapters)
{
    QStringList named;
    QSet<QString> seen;
    bool withoutChapter = false;
    for (const QString &chapter : chapters) {
        if (chapter.isEmpty())
            withoutChapter = true;
        else if (!seen.contains(chapter)) {
            seen.insert(chapter);
            named << chapter;
        }
    }
    std::sort(named.begin(), named.end(), chapterLess);
    if (withoutChapter)
        named.prepend(kNoChapterItem);
    return named;
}

QString chapterOfItem(const QString &item) { return item == kNoChapterItem ? QString() : item; }

} // namespace kaoshi
