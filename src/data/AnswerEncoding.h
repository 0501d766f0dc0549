#pragma once
// How the answer controls of each question type turn into the text stored in
// 练习答案, and back.
#include <QString>
#include <array>

namespace kaoshi {

// The choice boxes A … G of single and multiple choice questions.
inline constexpr int kChoiceCount = 7;
using ChoiceMarks = std::array<bool, kChoiceCount>;

// "A" … "G" for index 0 … 6.
QString choiceCaption(int index);

// Which letters A … G occur in a stored answer (case-sensitive, anywhere).
ChoiceMarks marksFromAnswer(const QString &stored);

// Single choice: the caption of the checked box; the last one wins if
// several are checked; "" when none is.
QString singleChoiceAnswer(const ChoiceMarks &checked);
// Multiple choice: the captions of all checked boxes in order A … G.
QString multipleChoiceAnswer(const ChoiceMarks &checked);

// True/false answers.
inline const QString kRightMark = QStringLiteral("√");
inline const QString kWrongMark = QStringLiteral("×");
enum class Verdict { None, Right, Wrong };
Verdict verdictFromAnswer(const QString &stored);
QString trueFalseAnswer(Verdict verdict);

// Free answer: the text without ASCII and full-width spaces at both ends.
QString freeAnswer(const QString &text);

} // namespace kaoshi
