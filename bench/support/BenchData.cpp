#include "BenchData.h"

#include <QFile>
#include <QTextStream>

namespace kaoshi::bench {

namespace {

QStringList parseRecord(QTextStream &in)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (quoted && c == QLatin1Char('"') && i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = !quoted;
            } else if (c == QLatin1Char(',') && !quoted) {
                fields << field;
                field.clear();
            } else {
                field += c;
            }
        }
        if (!quoted)
            break;
        field += QLatin1Char('\n');
    }
    fields << field;
    return fields;
}

} // namespace

QList<Question> realQuestions()
{
    QList<Question> questions;
    QFile file(QStringLiteral(KAOSHI_SHARED_DATA "/cmmlu-single-choice.csv"));
    if (file.open(QIODevice::ReadOnly)) {
        QTextStream in(&file);
        parseRecord(in);
        while (!in.atEnd()) {
            const QStringList f = parseRecord(in);
            if (f.size() >= 5)
                questions.append({f[0], f[1], f[4]});
        }
    }
    if (questions.isEmpty())
        for (int i = 0; i < 1000; ++i)
            questions.append({QStringLiteral("第%1题？A.甲B.乙C.丙D.丁").arg(i), QStringLiteral("A"),
                              QStringLiteral("章%1").arg(i % 20)});
    return questions;
}

void fillBank(DataStore &store, const QString &type, int count, const QString &practiceAnswer)
{
    static const QList<Question> questions = realQuestions();
    DataStore::Transaction unit(store);
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
