#pragma once
#include <QString>
#include <QStringList>

namespace kaoshi {

// A question text taken apart into its stem and the options written inline
// after it ("甲？A.一B.二C.三" → stem "甲？", options "A.一", "B.二", "C.三").
// Options run in sequence A, B, C … H. When the text has labels written as a
// letter with a separator ("A." "B、" "C）" …), only such labels count, so a
// letter inside an option ("37.8°C", "DNA") never starts the next one;
// otherwise the first occurrence of each next letter is taken. A letter
// missing from the sequence ends the options (the rest stays with the last
// one). Stem and options put together again are the text, unchanged.
struct QuestionParts {
    QString stem;
    QStringList options; // each from its label on, as written
    // The options are beyond doubt: labelled with separators, at least two,
    // none empty, and no option holds another label. Only such questions may
    // have their options reordered.
    bool clean = false;
    // Characters of each option's label ("A." is 2; "A" alone is 1).
    int labelLength = 1;

    // The option's text after its label.
    QString optionBody(int index) const { return options[index].mid(labelLength); }
};
QuestionParts splitQuestionText(const QString &text);

// Breaks an option list written inline in a question text onto separate
// lines: the stem, an empty line, then one line per option A, B, C … H, as
// splitQuestionText finds them. A text without options is returned
// unchanged. Lines are separated by "\r\n".
QString layoutQuestionText(const QString &text);
// The laid-out text as a text field or a grid cell shows it: lines separated by "\n".
QString shownQuestionText(const QString &text);

// The option letters that layoutQuestionText finds in a question text, in
// order ("ABCD" for 甲？A.一B.二C.三D.四); "" when the text has no "A".
QString inlineOptionLetters(const QString &text);

} // namespace kaoshi
