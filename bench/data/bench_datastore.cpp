// The data layer on a bank of 100,000 real questions: filling, listing,
// counting, appending and single-row updates.
#include "BenchData.h"

#include "data/BankTable.h"
#include "data/Schema.h"

#include <QDir>
#include <QTemporaryDir>

using namespace kaoshi;
using namespace kaoshi::bench;

int main()
{
    QTemporaryDir dir;
    DataStore store;
    store.open(QDir(dir.path()).filePath(kDatabaseFileName));
    const QList<SourceQuestion> questions = realQuestions();
    std::printf("real questions read: %lld\n", qlonglong(questions.size()));

    QElapsedTimer t;
    t.start();
    fillBank(store, QStringLiteral("单选"), 100000);
    report("append 100,000 questions in one unit", t);

    t.restart();
    RowSet rows = store.query(QStringLiteral("select * from 单选 order by 题号"));
    qint64 n = 0;
    qint64 characters = 0;
    for (rows.first(); !rows.atEnd(); rows.next(), ++n)
        for (const char *c : {"题号", "题目", "标准答案", "解析", "分值", "章节"})
            characters += rows.value(QString::fromUtf8(c)).toText().size();
    rows.close();
    report("list 100,000 questions, 6 columns as text", t);
    std::printf("  rows %lld, characters %lld\n", qlonglong(n), qlonglong(characters));

    t.restart();
    const qint64 count = bank::questionCount(store, QuestionType::SingleChoice).value_or(-1);
    report("count of the questions of the whole bank", t);
    std::printf("  count %lld\n", qlonglong(count));

    t.restart();
    const QString text = bank::questionByNumber(store, QuestionType::SingleChoice, 54321).value_or(Question()).text;
    report("read one question by number", t);
    std::printf("  %lld characters\n", qlonglong(text.size()));

    t.restart();
    for (int i = 1; i <= 1000; ++i) {
        const QuestionValues one{questions[i % questions.size()].text, QString(), QString(), 1, QString()};
        bank::appendQuestions(store, QuestionType::MultipleChoice, {&one, 1});
    }
    report("append 1,000 rows, each committed on its own", t);

    t.restart();
    for (int i = 1; i <= 1000; ++i)
        store.execute("update 单选 set 练习答案=? where 题号=?", {QStringLiteral("B"), i});
    report("1,000 single-row updates, each committed on its own", t);

    t.restart();
    store.execute("update 单选 set 题号=题号-1 where 题号>?", {1});
    report("renumber every question after question 1 in one statement", t);
    std::printf("resident memory: %.0f MB\n", residentMegabytes());
    return 0;
}
