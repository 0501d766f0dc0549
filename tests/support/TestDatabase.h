#pragma once
// Fixture databases for tests: a temporary program directory with a fresh
// database of ours, and short ways to put questions and pictures into it.
#include "TestServer.h"

#include "data/DataStore.h"
#include "data/QuestionType.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace kaoshi::test {

// The four bank tables by name, in processing order, as the fixture writes them.
const QStringList &bankTables();

struct QuestionRow {
    qint64 number = 0;
    QString text;
    QString answer;
    QString explanation;
    double score = 1;
    QString chapter;
    QString practiceAnswer;
};

// The engine a test database lives on: a file, or a fresh database on the
// test server.
enum class TestEngine { File, Server };

class TestDatabase
{
public:
    TestDatabase() : TestDatabase(TestEngine::File) {}
    explicit TestDatabase(TestEngine engine);
    ~TestDatabase();
    TestEngine engine() const { return m_server ? TestEngine::Server : TestEngine::File; }
    // false, with the reason, when the database could not be made.
    bool isReady() const { return m_store.isOpen(); }
    QString reason() const;
    QString programDir() const { return m_dir.path(); }
    QString path() const;
    DataStore &store() { return m_store; }
    // Where a database on the test server is, to sign in to it again.
    ServerSettings serverSettings() const { return m_server ? m_server->settings() : ServerSettings(); }

    void addQuestion(const QString &type, const QuestionRow &row);
    void addQuestion(QuestionType type, const QuestionRow &row) { addQuestion(tableName(type), row); }
    // Questions 1 … count with texts "<type>题<n>".
    void addQuestions(const QString &type, int count);
    void addQuestions(QuestionType type, int count) { addQuestions(tableName(type), count); }
    void addPicture(const QString &type, qint64 number, const QString &summary, const QString &location);
    void addPicture(QuestionType type, qint64 number, const QString &summary, const QString &location)
    {
        addPicture(typeValue(type), number, summary, location);
    }
    qint64 count(const QString &table);
    qint64 count(QuestionType type) { return count(tableName(type)); }
    // A trigger that refuses every insert, update or delete (operation) on
    // the table with the message "拒绝写入", as a locked or guarded database
    // does (on the server, a PL/pgSQL trigger that raises).
    void refuse(const QString &table, const QString &operation);
    QString text(const QString &statement);

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TestServer> m_server;
    DataStore m_store;
};

// The real questions of the shared data set: text, answer and chapter.
struct RealQuestion {
    QString text;
    QString answer;
    QString chapter;
};
QList<RealQuestion> loadRealQuestions(int limit = -1);

} // namespace kaoshi::test
