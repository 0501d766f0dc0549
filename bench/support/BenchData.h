#pragma once
// Large banks for benchmarks, made from the real questions of the shared
// data set (read at run time) and repeated up to the size wanted.
#include "data/DataStore.h"

#include <QElapsedTimer>
#include <QString>
#include <QStringList>
#include <cstdio>

namespace kaoshi::test {
class TestDatabase;
}

namespace kaoshi::bench {

struct SourceQuestion {
    QString text;
    QString answer;
    QString chapter;
};

// The questions of cmmlu-single-choice.csv; synthetic ones when it is missing.
QList<SourceQuestion> realQuestions();

// Appends questions 1 … count to a bank in one unit; practice answers are
// set to `practiceAnswer` (empty: unanswered).
void fillBank(DataStore &store, const QString &type, int count, const QString &practiceAnswer = QString());

// Picture rows for 单选 10, 20, … (count of them) with a picture file of
// 4 KB each in the folder image of the database's program directory.
void fillPictureFiles(test::TestDatabase &db, int count);

// Prints "name: 12.3 ms" and returns the milliseconds.
double report(const char *name, const QElapsedTimer &timer);

// Resident memory of this process in MB, now and at its peak.
double residentMegabytes();
double peakMegabytes();

} // namespace kaoshi::bench
