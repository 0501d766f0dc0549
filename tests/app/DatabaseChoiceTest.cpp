// 数据库.ini and 测试连接: the choice of database survives a restart, keeps
// the file's other contents and never holds a password; the connection test
// says what works and exactly what does not, and leaves an empty database empty.
#include "TestServer.h"

#include "app/DatabaseChoice.h"
#include "data/ServerConnection.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace kaoshi;
using kaoshi::test::TestServer;

TEST(DatabaseChoice, TheChoiceIsKeptWithoutAPasswordAndWithTheFilesOtherContents)
{
    QTemporaryDir dir;
    EXPECT_EQ(readDatabaseChoice(dir.path()).kind, DatabaseChoice::Kind::File); // no file: the local file
    const QString path = QDir(dir.path()).filePath(kDatabaseSettingsFile);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[其他]\n键=值\n");
    }
    DatabaseChoice choice;
    choice.kind = DatabaseChoice::Kind::Server;
    choice.server = {QStringLiteral("考场服务器"), 5433, QStringLiteral("考试"), QStringLiteral("老师"),
                     QString(), QStringLiteral("秘密口令")};
    QString error;
    ASSERT_TRUE(writeDatabaseChoice(dir.path(), choice, &error)) << error.toStdString();
    const DatabaseChoice read = readDatabaseChoice(dir.path());
    EXPECT_EQ(read.kind, DatabaseChoice::Kind::Server);
    EXPECT_EQ(read.server.host, "考场服务器");
    EXPECT_EQ(read.server.port, 5433);
    EXPECT_EQ(read.server.database, "考试");
    EXPECT_EQ(read.server.user, "老师");
    EXPECT_TRUE(read.server.password.isEmpty());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(f.readAll());
    EXPECT_FALSE(text.contains(QStringLiteral("秘密口令")));
    EXPECT_TRUE(text.contains(QStringLiteral("键=值")));
    EXPECT_TRUE(text.contains(QStringLiteral("[数据库]")));
}

TEST(DatabaseChoice, TestingAConnectionSaysWhatWorksAndWhatDoesNot)
{
    TestServer server;
    ASSERT_TRUE(server.isReady()) << server.reason().toStdString();
    ConnectionReport report = testConnection(server.settings());
    EXPECT_TRUE(report.works);
    EXPECT_TRUE(report.text.contains(QStringLiteral("是空的"))) << report.text.toStdString();
    EXPECT_NE(server.admin("select * from 单选"), QString()); // still empty

    ServerConnection maker;
    ASSERT_TRUE(maker.open(server.settings()));
    report = testConnection(server.settings());
    EXPECT_TRUE(report.works);
    EXPECT_TRUE(report.text.startsWith(QStringLiteral("连接成功"))) << report.text.toStdString();

    ServerSettings missing = server.settings();
    missing.database = QStringLiteral("kaoshi_no_such_database");
    ServerSettings nobodyThere = server.settings();
    nobodyThere.host = QStringLiteral("127.0.0.1");
    nobodyThere.port = 1;
    TestServer foreign;
    ASSERT_EQ(foreign.admin("create table 成绩单 (姓名 text)"), QString());
    const struct {
        ServerSettings settings;
        const char *says;
    } cases[] = {
        {missing, "服务器上没有数据库“kaoshi_no_such_database”"},
        {nobodyThere, "连接不上服务器 "},
        {foreign.settings(), "不是考试系统的数据库"},
    };
    for (const auto &c : cases) {
        report = testConnection(c.settings);
        EXPECT_FALSE(report.works);
        EXPECT_TRUE(report.text.contains(QString::fromUtf8(c.says))) << report.text.toStdString();
    }
}
