// Files that are not usable databases of ours: each is refused with its
// reason and never altered; a lock held for a moment is waited for.
#include "TestDatabase.h"

#include "data/BankTable.h"
#include "data/DataStore.h"
#include "data/Schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <thread>

using namespace kaoshi;
using kaoshi::test::TestDatabase;

namespace {

QByteArray digest(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Runs statements on a file through the engine directly, as another program would.
void runRaw(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
    sqlite3_close(db);
}

} // namespace

TEST(DatabaseFiles, UnusableFilesAreRefusedWithTheirReasonAndLeftAlone)
{
    using A = DataStore::Availability;
    const struct {
        const char *name;
        std::function<void(const QString &)> make;
        A expected;
        const char *reason; // part of the engine's or our words
    } cases[] = {
        {"random bytes", [](const QString &p) { writeFile(p, QByteArray(4096, '\x5a') + QByteArray::number(12345)); },
         A::NotADatabase, "not a database"},
        {"a text file", [](const QString &p) { writeFile(p, "题号,题目\n1,什么\n"); }, A::NotADatabase, "not a database"},
        {"0 bytes", [](const QString &p) { writeFile(p, QByteArray()); }, A::NotOurs, "不是考试系统"},
        {"another program's database",
         [](const QString &p) { runRaw(p, "create table notes (id integer, body text); insert into notes values (1,'x')"); },
         A::NotOurs, "不是考试系统"},
        {"a bank table missing",
         [](const QString &p) {
             DataStore s;
             s.open(p);
             s.close();
             runRaw(p, "drop table 问答");
         },
         A::MissingTable, "问答"},
        {"a column missing",
         [](const QString &p) {
             DataStore s;
             s.open(p);
             s.close();
             runRaw(p, "alter table 多选 drop column 解析");
         },
         A::MissingColumn, "解析"},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(kDatabaseFileName);
        c.make(path);
        const QByteArray before = digest(path);
        const qint64 size = QFileInfo(path).size();
        DataStore store;
        EXPECT_FALSE(store.open(path)) << c.name;
        EXPECT_EQ(store.availability(), c.expected) << c.name;
        EXPECT_TRUE(store.errorString().contains(QString::fromUtf8(c.reason))) << c.name << ": "
                                                                                  << store.errorString().toStdString();
        // Nothing reads as an empty bank and nothing is written.
        EXPECT_TRUE(bank::readBounds(store, QuestionType::SingleChoice).failed) << c.name;
        EXPECT_FALSE(bank::saveAnswer(store, QuestionType::SingleChoice, 1, "A")) << c.name;
        store.close();
        EXPECT_EQ(digest(path), before) << c.name;
        EXPECT_EQ(QFileInfo(path).size(), size) << c.name;
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1) << c.name; // no journal left
    }
}

TEST(DatabaseFiles, ALockHeldByAnotherProgramIsReportedAndAShortOneIsWaitedFor)
{
    TestDatabase db;
    db.addQuestions("单选", 2);
    db.store().close();
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(db.path().toUtf8().constData(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);

    DataStore store;
    store.setBusyTimeout(200);
    EXPECT_FALSE(store.open(db.path()));
    EXPECT_EQ(store.availability(), DataStore::Availability::Locked);

    // Released while the program waits: the open goes through.
    store.setBusyTimeout(5000);
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other, "commit", nullptr, nullptr, nullptr);
    });
    EXPECT_TRUE(store.open(db.path()));
    release.join();
    sqlite3_close(other);
    EXPECT_EQ(bank::questionCount(store, QuestionType::SingleChoice), 2);
}

TEST(DatabaseFiles, ClearingAllBanksUnderALockReleasedMidwayIsWhole)
{
    TestDatabase db;
    for (const QString &type : test::bankTables()) {
        db.addQuestions(type, 3);
        db.addPicture(type, 1, "图", "\\image\\1.png");
    }
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(db.path().toUtf8().constData(), &other), SQLITE_OK);
    // Another program reads the bank for a moment; the clear waits for it.
    ASSERT_EQ(sqlite3_exec(other, "begin; select count(*) from 单选;", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread release([other] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(other, "commit", nullptr, nullptr, nullptr);
    });
    const bool cleared = bank::clearAllBanks(db.store());
    release.join();
    sqlite3_close(other);
    ASSERT_TRUE(cleared) << db.store().errorString().toStdString();
    for (const QString &type : test::bankTables())
        EXPECT_EQ(db.count(type), 0);
    EXPECT_EQ(db.count("图片"), 0);
}

TEST(DatabaseFiles, OddNumbersAreKeptAndTheLargestRefusesAnother)
{
    TestDatabase db;
    DataStore &store = db.store();
    db.addQuestions("单选", 2);
    ASSERT_TRUE(store.execute("insert into 单选 (题号, 题目) values (1.5, '一点五'), (1e20, '很大')"));
    // The largest number is no integer: no number is made up for a new question.
    EXPECT_FALSE(bank::maxNumber(store, QuestionType::SingleChoice));
    ASSERT_TRUE(store.execute("delete from 单选 where 题号=1e20"));
    ASSERT_TRUE(store.execute("insert into 单选 (题号, 题目) values (9223372036854775807, '最大')"));
    EXPECT_EQ(bank::maxNumber(store, QuestionType::SingleChoice), std::numeric_limits<qint64>::max());
    // A row stored back keeps its own number, whatever form it has.
    const qint64 id = store.query("select rowid from 单选 where 题号=1.5").value(1).toInteger();
    EXPECT_TRUE(bank::updateQuestion(store, QuestionType::SingleChoice, id, {"改过", "A", "", 1, ""}));
    EXPECT_EQ(db.text("select 题号 from 单选 where 题目='改过'"), "1.5");
    EXPECT_EQ(db.text("select 题目 from 单选 where 题号=1"), QStringLiteral("单选题1"));
}

TEST(DatabaseFiles, DeletingOneOfTwoDuplicatesKeepsTheOtherAndTheNumbering)
{
    TestDatabase db;
    DataStore &store = db.store();
    db.addQuestions("单选", 9);
    ASSERT_TRUE(store.execute("insert into 单选 (题号, 题目) values (7, '另一道七')"));
    db.addPicture("单选", 7, "七的图", "\\image\\7.png");
    EXPECT_EQ(bank::duplicateNumbers(store, QuestionType::SingleChoice), QStringList{"7"});
    const qint64 id = store.query("select rowid from 单选 where 题目='另一道七'").value(1).toInteger();
    Transaction unit(store);
    ASSERT_TRUE(bank::deleteQuestion(store, QuestionType::SingleChoice, id));
    ASSERT_TRUE(unit.commit());
    EXPECT_EQ(db.text("select group_concat(题号, ',') from (select 题号 from 单选 order by 题号)"),
              "1,2,3,4,5,6,7,8,9");
    EXPECT_EQ(db.text("select 题目 from 单选 where 题号=7"), QStringLiteral("单选题7"));
    EXPECT_EQ(db.count("图片"), 1); // the remaining question 7 keeps its picture
}
