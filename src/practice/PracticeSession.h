#pragma once
// What the practice windows keep for the whole run of the program.
#include <QString>
#include <QtGlobal>

namespace kaoshi {

// Character format of the practice windows' rich-text fields.
struct CharFormat {
    enum Effect { Bold = 1, Italic = 2, Underline = 4, StrikeOut = 8, Protected = 16 };
    QString face = QStringLiteral("宋体");
    int size = 9;        // points
    int offset = 0;      // vertical offset in points
    int effects = 0;     // bit set of Effect
    bool automaticColour = true;
    quint32 colour = 0;  // 0xRRGGBB when not automatic
};

// What the practice windows and the exam paper keep for the whole run of the
// program; the program owns one and hands it to each of those windows.
struct PracticeSession {
    CharFormat charFormat;       // shared by the practice windows and the paper
    qint64 randomSeedOffset = 0; // running offset added to every clock seed
};

class FontDialogs;

// 字体: asks for size, colour and style, starting from the format; false
// when the dialog was cancelled. The face chosen in the dialog is not taken
// over: the fields keep their face.
bool chooseCharFormat(FontDialogs &fonts, CharFormat &format);

} // namespace kaoshi
