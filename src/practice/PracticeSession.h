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

struct PracticeSession {
    CharFormat charFormat;       // shared by both practice windows
    qint64 randomSeedOffset = 0; // running offset added to every clock seed
};

} // namespace kaoshi
