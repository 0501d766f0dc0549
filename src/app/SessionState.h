#pragma once
// Process-wide state shared by the windows for the whole run of the program.
#include "print/PrintRequest.h"

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

struct Candidate {
    QString number;   // 考号
    QString occasion; // 场次
    QString name;     // 姓名
};

struct SessionState {
    QString currentType;     // the QuestionType a bank entry chose, or a practice tab set
    QString chosenChapter;   // caption of the chapter item last clicked
    CharFormat charFormat;   // shared by both practice windows
    qint64 randomSeedOffset = 0; // running offset added to every clock seed
    Candidate candidate;     // the signed-in candidate
    PrintSession print;      // the last list handed to the print window, and that window
};

} // namespace kaoshi
