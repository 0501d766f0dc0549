#include "BenchData.h"

#include <QDir>

#include "support/TestDatabase.h"

#include <QFile>

namespace kaoshi::bench {

QList<SourceQuestion> realQuestions()
{
    QList<SourceQuestion> questions;
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
    static const QList<SourceQuestion> questions = realQuestions();
    Transaction unit(store);
    store.executeEach(QStringLiteral("insert into %1 (题号, 题目, 标准答案, 解析, 分值, 章节, 练习答案) "
                                     "values (?, ?, ?, ?, ?, ?, ?)")
                          .arg(type),
                      count, [&](qsizetype i) {
                          const SourceQuestion &q = questions[i % questions.size()];
                          return Values{i + 1, q.text, q.answer, QString(), 1.0, q.chapter, practiceAnswer};
                      });
    unit.commit();
}

void fillPictureFiles(test::TestDatabase &db, int count)
{
    QDir(db.programDir()).mkpath(QStringLiteral("image"));
    QByteArray bytes(4096, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 31);
    Transaction unit(db.store());
    for (int i = 1; i <= count; ++i) {
        QFile file(QDir(db.programDir()).filePath(QStringLiteral("image/2026121%1.png").arg(i)));
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        db.addPicture(QuestionType::SingleChoice, i * 10, QStringLiteral("图%1").arg(i),
                      QStringLiteral("\\image\\2026121%1.png").arg(i));
    }
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
