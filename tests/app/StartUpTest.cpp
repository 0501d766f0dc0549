// The start on a server: an unreachable server is told with its host and
// reason and leaves the choice to the user (重试, 更改设置, 使用本机文件);
// a server that asks for a password gets it typed, kept for the run and
// used by reconnects, never written anywhere.
#include "OwnServer.h"
#include "TestServer.h"

#include "app/StartUp.h"
#include "data/BankTable.h"
#include "data/DataStore.h"
#include "data/PostgresEngine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

// Answers the start's questions from a script and records what was asked.
struct ScriptedStart final : StartUpQuestions {
    QList<std::optional<QString>> passwords;
    QList<AfterServerFailure> choices;
    std::function<void()> onChangeSettings;
    QStringList asked; // "密码:<reason>" or the failure text

    std::optional<QString> password(const ServerSettings &, const QString &reason) override
    {
        asked << QStringLiteral("密码:") + reason;
        return passwords.isEmpty() ? std::nullopt : passwords.takeFirst();
    }
    AfterServerFailure afterFailure(const QString &text) override
    {
        asked << text;
        return choices.isEmpty() ? AfterServerFailure::UseLocalFile : choices.takeFirst();
    }
    void changeSettings() override
    {
        asked << QStringLiteral("设置");
        if (onChangeSettings)
            onChangeSettings();
    }
};

void chooseServer(const QString &dir, const ServerSettings &server)
{
    DatabaseChoice choice;
    choice.kind = DatabaseChoice::Kind::Server;
    choice.server = server;
    ASSERT_TRUE(writeDatabaseChoice(dir, choice));
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

} // namespace

TEST(StartUp, AnUnreachableServerOffersRetrySettingsAndTheLocalFile)
{
    TestServer server;
    ASSERT_TRUE(server.isReady()) << server.reason().toStdString();
    QTemporaryDir dir;
    ServerSettings nowhere;
    nowhere.host = QStringLiteral("127.0.0.1");
    nowhere.port = 1; // nothing listens there
    nowhere.database = QStringLiteral("kaoshi");
    nowhere.user = QStringLiteral("kaoshi");
    chooseServer(dir.path(), nowhere);

    // 使用本机文件: this run only, 数据库.ini still names the server.
    ScriptedStart local;
    const StartUpChoice onFile = chooseDatabaseAtStart(dir.path(), local);
    EXPECT_EQ(onFile.choice.kind, DatabaseChoice::Kind::File);
    EXPECT_TRUE(onFile.fileForThisRun);
    ASSERT_EQ(local.asked.size(), 1);
    EXPECT_TRUE(local.asked[0].startsWith(QStringLiteral("连接不上服务器 kaoshi@127.0.0.1:1/kaoshi：")))
        << local.asked[0].toStdString();
    EXPECT_GT(local.asked[0].section(QStringLiteral("\n\n"), 0, 0).size(), 40); // libpq's reason follows
    EXPECT_TRUE(local.asked[0].endsWith(QStringLiteral("可以重试，更改数据库设置，或者本次使用本机文件（考试修改.mdb）。")));
    EXPECT_EQ(readDatabaseChoice(dir.path()).kind, DatabaseChoice::Kind::Server);

    // 重试 asks again; 更改设置 takes the settings saved there at once.
    ScriptedStart change;
    change.choices = {AfterServerFailure::Retry, AfterServerFailure::ChangeSettings};
    change.onChangeSettings = [&] { chooseServer(dir.path(), server.settings()); };
    const StartUpChoice onServer = chooseDatabaseAtStart(dir.path(), change);
    EXPECT_EQ(onServer.choice.kind, DatabaseChoice::Kind::Server);
    EXPECT_FALSE(onServer.fileForThisRun);
    EXPECT_EQ(onServer.choice.server.database, server.settings().database);
    EXPECT_EQ(change.asked.size(), 3); // failure, failure, 设置
    EXPECT_EQ(change.asked[2], QStringLiteral("设置"));
}

TEST(StartUp, APasswordTheServerAsksForIsTypedKeptForTheRunAndNeverWritten)
{
    OwnServer own;
    ASSERT_TRUE(own.isReady()) << own.reason().toStdString();
    ASSERT_EQ(own.admin(QStringLiteral("create role lehrer login password 'richtig-7'")), QString());
    ASSERT_EQ(own.admin(QStringLiteral("create database kaoshi owner lehrer encoding 'UTF8' template template0")), QString());
    ASSERT_TRUE(own.allowFirst(QStringLiteral("host all lehrer 127.0.0.1/32 scram-sha-256")));
    QTemporaryDir dir;
    const QString passFile = QDir(dir.path()).filePath(QStringLiteral("pgpass"));
    qputenv("PGPASSFILE", passFile.toLocal8Bit()); // none yet
    const ServerSettings server = own.overNetwork(QStringLiteral("kaoshi"), QStringLiteral("lehrer"));
    chooseServer(dir.path(), server);

    // A wrong password is asked for again with the server's reason; 取消 at
    // the prompt leaves the three ways on.
    ScriptedStart typing;
    typing.passwords = {QStringLiteral("falsch"), QStringLiteral("richtig-7")};
    const StartUpChoice start = chooseDatabaseAtStart(dir.path(), typing);
    ASSERT_EQ(start.choice.kind, DatabaseChoice::Kind::Server);
    EXPECT_EQ(start.choice.server.password, QStringLiteral("richtig-7"));
    ASSERT_EQ(typing.asked.size(), 2);
    EXPECT_EQ(typing.asked[0], QStringLiteral("密码:"));
    EXPECT_TRUE(typing.asked[1].startsWith(QStringLiteral("密码:服务器不让用户“lehrer”登录（用户名或密码不对）")))
        << typing.asked[1].toStdString();
    ScriptedStart cancelled;
    EXPECT_TRUE(chooseDatabaseAtStart(dir.path(), cancelled).fileForThisRun);
    EXPECT_EQ(cancelled.asked.size(), 2); // the prompt, then the choice

    // The run works with it, also after the server ended the connection.
    DataStore store(std::make_unique<PostgresEngine>(start.choice.server));
    ASSERT_TRUE(store.open(server.describe())) << store.errorString().toStdString();
    ASSERT_TRUE(store.execute(QStringLiteral("insert into 单选 (题号, 题目) values (1, '题')")));
    ASSERT_EQ(own.admin(QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where usename = 'lehrer'")),
              QString());
    EXPECT_FALSE(store.execute(QStringLiteral("update 单选 set 题目 = '一' where 题号 = 1"))); // lost, reported
    EXPECT_TRUE(store.execute(QStringLiteral("update 单选 set 题目 = '二' where 题号 = 1")))
        << store.errorString().toStdString();
    EXPECT_FALSE(fileBytes(QDir(dir.path()).filePath(kDatabaseSettingsFile)).contains("richtig"));

    // libpq's password file gives it: no prompt.
    QFile pass(passFile);
    ASSERT_TRUE(pass.open(QIODevice::WriteOnly));
    pass.write(QStringLiteral("127.0.0.1:%1:kaoshi:lehrer:richtig-7\n").arg(server.port).toUtf8());
    pass.close();
    pass.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    ScriptedStart fromFile;
    EXPECT_EQ(chooseDatabaseAtStart(dir.path(), fromFile).choice.kind, DatabaseChoice::Kind::Server);
    EXPECT_TRUE(fromFile.asked.isEmpty());
    qunsetenv("PGPASSFILE");
}
