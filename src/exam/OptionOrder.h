#pragma once
// The options of a choice question shown in another order: which questions
// may move, the options relettered A, B, C … in the order shown, and the
// letters of a shown answer turned into the question's own letters and back.
// An order lists, for each shown place, the option it shows (0 for A):
// "2,0,1" shows C first, then A, then B. The printed paper and the exam
// paper share these rules.
#include "data/QuestionType.h"

#include <QList>
#include <QString>
#include <QStringList>

class QRandomGenerator;

namespace kaoshi {

// 单选 and 多选 questions have options to choose from.
bool hasOptions(QuestionType type);

// The options may be shown in another order: a choice question whose text
// splits cleanly into at most seven options (A … G) and whose standard
// answer names only those options.
bool optionsMayMove(QuestionType type, const QString &text, const QString &answer);

// The order fits a text with this many options: each of 0 … count − 1 once.
bool orderFits(const QList<int> &order, int count);

// The identity order 0 … count − 1 shuffled.
QList<int> shuffledOptionOrder(int count, QRandomGenerator &generator);

// The options of the text relettered in shown order (each keeps its own
// separator and text); the options as written when the order does not fit.
QStringList optionsInOrder(const QStringList &options, const QList<int> &order);

// Own letters → shown letters ("AC" under 2,0,1 → "AB"), and shown → own;
// both sorted. A letter outside the order stays as it is (and counts
// wrong); an empty order returns the letters unchanged.
QString shownLettersOf(const QList<int> &order, const QString &ownLetters);
QString ownLettersOf(const QList<int> &order, const QString &shownLetters);

} // namespace kaoshi
