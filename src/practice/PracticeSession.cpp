#include "practice/PracticeSession.h"

#include "ui/Platform.h"

namespace kaoshi {

bool chooseCharFormat(FontDialogs &fonts, CharFormat &format)
{
    FontChoice initial;
    initial.family = format.face;
    initial.pointSize = format.size;
    initial.bold = format.effects & CharFormat::Bold;
    initial.italic = format.effects & CharFormat::Italic;
    initial.underline = format.effects & CharFormat::Underline;
    initial.strikeOut = format.effects & CharFormat::StrikeOut;
    if (!format.automaticColour)
        initial.colour = QColor::fromRgb(QRgb(format.colour));
    const std::optional<FontChoice> choice = fonts.chooseFont(initial);
    if (!choice)
        return false;
    format.size = choice->pointSize;
    format.automaticColour = !choice->colour.isValid();
    format.colour = choice->colour.isValid() ? choice->colour.rgb() & 0xffffffu : 0;
    format.effects = (choice->bold ? CharFormat::Bold : 0) | (choice->italic ? CharFormat::Italic : 0) |
                     (choice->underline ? CharFormat::Underline : 0) |
                     (choice->strikeOut ? CharFormat::StrikeOut : 0);
    return true;
}

} // namespace kaoshi
