#pragma once
// Breaking a cell's text into the lines it is printed on. Widths are in em
// of the cell's font, so that the lines are the same at any size; the
// character widths come from the font the text is printed in.
#include <QList>
#include <QStringView>

namespace kaoshi {

class CharWidths
{
public:
    virtual ~CharWidths() = default;
    // Advance of one character (a surrogate pair is one character), in em.
    virtual double advance(char32_t character) const = 0;
    // Distance from one line to the next, in em.
    virtual double lineSpacing() const = 0;
};

struct TextLine {
    qsizetype start = 0;
    qsizetype length = 0;
    bool operator==(const TextLine &) const = default;
};

// The lines of the text in a width: a line feed always ends a line; a line
// that would grow wider ends after its last space or before or after a
// Chinese character, or anywhere in a word longer than the line. Empty text
// has no lines; every other text has at least one.
QList<TextLine> wrapText(QStringView text, double width, const CharWidths &widths);

} // namespace kaoshi
