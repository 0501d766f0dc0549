#include "TestDatabase.h"

#include "data/PostgresEngine.h"
#include "data/QuestionType.h"
#include "data/Schema.h"
#include "data/SqliteEngine.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace kaoshi::test {

const QStringList &bankTables()
{
    static const QStringList names = [] {
        QStringList list;
        for (QuestionType type : allQuestionTypes())
            list << tableName(type);
        return list;
    }();
    return names;
}

namespace {

std::unique_ptr<Engine> engineOn(const TestServer *server)
{
    if (!server)
        return std::make_unique<SqliteEngine>();
    return std::make_unique<PostgresEngine>(server->settings());
}

} // namespace

TestDatabase::TestDatabase(TestEngine engine)
    : m_server(engine == TestEngine::Server ? std::make_unique<TestServer>() : nullptr), m_store(engineOn(m_server.get()))
{
    if (!m_server || m_server->isReady())
        m_store.open(path());
}

TestDatabase::~TestDatabase() { m_store.close(); }

std::unique_ptr<DataStore> TestDatabase::anotherStore() const
{
    auto store = std::make_unique<DataStore>(engineOn(m_server.get()));
    store->open(path());
    return store;
}

QString TestDatabase::reason() const
{
    if (m_server && !m_server->isReady())
        return m_server->reason();
    return m_store.lastError().message;
}

QString TestDatabase::path() const { return QDir(m_dir.path()).filePath(kDatabaseFileName); }

void TestDatabase::addQuestion(const QString &type, const QuestionRow &row)
{
    // The fixture writes any table name it is given, as a file made
    // elsewhere may hold anything.
    m_store.execute(QStringLiteral("insert into \"%1\" (题号, 题目, 标准答案, 解析, 分值, 章节, 练习答案) "
                                   "values (?, ?, ?, ?, ?, ?, ?)")
                        .arg(type),
                    {row.number, row.text, row.answer, row.explanation, row.score, row.chapter, row.practiceAnswer});
}

void TestDatabase::addQuestions(const QString &type, int count)
{
    Transaction unit(m_store);
    for (int n = 1; n <= count; ++n)
        addQuestion(type, {n, QStringLiteral("%1题%2").arg(type).arg(n), QStringLiteral("A")});
    unit.commit();
}

void TestDatabase::addPicture(const QString &type, qint64 number, const QString &summary, const QString &location)
{
    m_store.execute("insert into 图片 (题型, 题号, 摘要, 图片) values (?, ?, ?, ?)", {type, number, summary, location});
}

void TestDatabase::refuse(const QString &table, const QString &operation)
{
    const bool made =
        m_server ? m_store.execute(QStringLiteral("create function refuse_%1_%2() returns trigger language plpgsql as "
                                                  "$$ begin raise exception '拒绝写入'; end $$")
                                       .arg(table, operation)) &&
                       m_store.execute(QStringLiteral("create trigger refuse_%1_%2 before %2 on %1 for each row "
                                                      "execute function refuse_%1_%2()")
                                           .arg(table, operation))
                 : m_store.execute(QStringLiteral("create trigger refuse_%1_%2 before %2 on %1 "
                                                  "begin select raise(abort, '拒绝写入'); end")
                                       .arg(table, operation));
    if (!made) // a test that relies on refused writes must not run without them
        qFatal("the refusing trigger on %s was not made: %s", qPrintable(table), qPrintable(m_store.lastError().message));
}

qint64 TestDatabase::count(const QString &table)
{
    RowSet rows = m_store.query("select count(*) from " + table);
    return rows.value(1).toInteger();
}

QString TestDatabase::text(const QString &statement)
{
    RowSet rows = m_store.query(statement);
    return rows.value(1).toText();
}

namespace {

// Splits one CSV record (RFC 4180 quoting) that may span several lines.
bool readRecord(QTextStream &in, QStringList &fields)
{
    fields.clear();
    QString field;
    bool quoted = false;
    bool any = false;
    while (!in.atEnd()) {
        const QString line = in.readLine();
        any = true;
        for (qsizetype i = 0; i < line.size(); ++i) {
            const QChar c = line[i];
            if (quoted) {
                if (c == QLatin1Char('"')) {
                    if (i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                        field += c;
                        ++i;
                    } else {
                        quoted = false;
                    }
                } else {
                    field += c;
                }
            } else if (c == QLatin1Char('"')) {
                quoted = true;
            } else if (c == QLatin1Char(',')) {
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
    return any;
}

} // namespace

QList<RealQuestion> loadRealQuestions(int limit)
{
    QList<RealQuestion> questions;
    QFile file(QStringLiteral(KAOSHI_SHARED_DATA "/cmmlu-single-choice.csv"));
    if (!file.open(QIODevice::ReadOnly))
        return questions;
    QTextStream in(&file);
    QStringList fields;
    readRecord(in, fields); // header: 题目,标准答案,解析,分值,章节
    while ((limit < 0 || questions.size() < limit) && readRecord(in, fields)) {
        if (fields.size() >= 5)
            questions.append({fields[0], fields[1], fields[4]});
    }
    return questions;
}

} // namespace kaoshi::test
