#pragma once
// The order of the chapter items: numbers inside a chapter name compare by
// value, whether written in digits (第2章 before 第10章) or in Chinese
// numerals (第二章 before 第十章 before 第十一章); the rest compares as text.
#include <QString>
#include <QStringList>

namespace kaoshi {

// The item that stands for the questions without a chapter.
inline const QString kNoChapterItem = QStringLiteral("(未分章节)");

// The value of a run of Chinese numerals (一 … 九, 零/〇, 两, 十, 百, 千, 万).
qint64 chineseNumeralValue(const QString &numerals);

// true when a sorts before b.
bool chapterLess(const QString &a, const QString &b);

// The distinct chapters as items: in natural order, the empty chapter as
// kNoChapterItem (listed once, first).
QStringList chapterItems(const QStringList &chapters);

// The chapter an item stands for.
QString chapterOfItem(const QString &item);

} // namespace kaoshi
