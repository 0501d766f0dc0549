#include "print/TextWrap.h"

namespace kaoshi {

namespace {

// Characters between which a line may end, as in Chinese text: ideographs,
// kana, full-width forms and the like.
bool isWide(char32_t c) { return c >= 0x2E80 && !(c >= 0xD800 && c <= 0xDFFF); }

struct Character {
    char32_t code;
    qsizetype size; // 1, or 2 for a surrogate pair
};

Character characterAt(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return {QChar::surrogateToUcs4(c, text[i + 1]), 2};
    return {c.unicode(), 1};
}

double widthOf(QStringView text, qsizetype from, qsizetype to, const CharWidths &widths)
{
    double width = 0;
    for (qsizetype i = from; i < to;) {
        const Character c = characterAt(text, i);
        width += widths.advance(c.code);
        i += c.size;
    }
    return width;
}

} // namespace

QList<TextLine> wrapText(QStringView text, double width, const CharWidths &widths)
{
    QList<TextLine> lines;
    qsizetype lineStart = 0;
    qsizetype lastBreak = -1; // where the line may end, the best place found so far
    double x = 0;
    for (qsizetype i = 0; i < text.size();) {
        const Character c = characterAt(text, i);
        if (c.code == u'\n' || c.code == u'\r') {
            lines.append({lineStart, i - lineStart});
            i += (c.code == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ? 2 : 1;
            lineStart = i;
            lastBreak = -1;
            x = 0;
            continue;
        }
        if (isWide(c.code) && i > lineStart)
            lastBreak = i;
        const double advance = widths.advance(c.code);
        if (x + advance > width && i > lineStart) {
            const qsizetype end = lastBreak > lineStart ? lastBreak : i;
            lines.append({lineStart, end - lineStart});
            lineStart = end;
            lastBreak = -1;
            x = widthOf(text, lineStart, i, widths);
        }
        x += advance;
        i += c.size;
        if (c.code == u' ' || c.code == u'\t' || isWide(c.code))
            lastBreak = i;
    }
    // A final line feed adds no empty line.
    if (lineStart < text.size())
        lines.append({lineStart, text.size() - lineStart});
    return lines;
}

} // namespace kaoshi
