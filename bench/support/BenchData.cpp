#include "BenchData.h"

#include "support/TestDatabase.h"

#include <QFile>

namespace kaoshi::bench {

QList<Question> realQuestions()
{
    QList<Question> questions;
    for (const test::RealQuestion &q : test::loadRealQuestions())
        questions.append({q.text, q.answer, q.chapter});
    if (questions.isEmpty())
        for (int i = 0; i < 1000; ++i)
            questions.append({QStringLiteral("第%1题？A.甲B.乙C.丙D.丁").arg(i), QStringLiteral("A"),
                              QStringLiteral("章%1").arg(i % 20)});
    return questions;
}

void fillBank(DataStore &store, const QString &type, int count, const QString &practiceAnswer)
{
    static const QList<Question> questions = realQuestions();
    Transaction unit(store);
    RecordCursor cursor = store.openCursor(type, CursorKind::Table);
    for (int n = 1; n <= count; ++n) {
        const Question &q = questions[(n - 1) % questions.size()];
        cursor.addNew();
        cursor.setInteger(QStringLiteral("题号"), n);
        cursor.setText(QStringLiteral("题目"), q.text);
        cursor.setText(QStringLiteral("标准答案"), q.answer);
        cursor.setText(QStringLiteral("解析"), QString());
        cursor.setNumber(QStringLiteral("分值"), 1);
        cursor.setText(QStringLiteral("章节"), q.chapter);
        cursor.setText(QStringLiteral("练习答案"), practiceAnswer);
    }
    cursor.next();
    cursor.close();
    unit.commit();
}

double report(const char *name, const QElapsedTimer &timer)
{
    const double ms = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%-58s %10.1f ms\n", name, ms);
    std::fflush(stdout);
    return ms;
}

namespace {
double statusMegabytes(const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}
} // namespace

double residentMegabytes() { return statusMegabytes("VmRSS:"); }
double peakMegabytes() { return statusMegabytes("VmHWM:"); }

} // namespace kaoshi::bench
