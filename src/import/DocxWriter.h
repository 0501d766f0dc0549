#pragma once
// A bank written as a Word document (.docx) in the conventions the import
// reads back (import/QuestionConventions.h): a heading with the bank, the
// count and the score, numbered stems, the options on lines of their own,
// "答案：", "解析：", "分值：" and "章节：" lines, and the pictures embedded.
#include "data/BankTable.h"
#include "data/PictureTable.h"

#include <QString>
#include <vector>

namespace kaoshi {

struct DocumentQuestion {
    QuestionValues values;
    QList<PictureRecord> pictures; // stored locations "\image\…"
};

struct WrittenDocument {
    bool written = false;
    QString reason;          // why nothing was written
    int missingPictures = 0; // pictures whose file is missing or no picture, left out
};

// The bank's heading: "一、单项选择题（共3题，每题2分）"; "共…分" when the
// scores differ.
QString documentHeading(QuestionType type, const std::vector<DocumentQuestion> &questions);

// Writes the document to `path` (replacing a file there only when the whole
// document was written); picture files are looked up in `programDir`.
WrittenDocument writeQuestionDocument(const QString &path, QuestionType type,
                                      const std::vector<DocumentQuestion> &questions, const QString &programDir);

} // namespace kaoshi
