// The PostgreSQL engine against a real server: the schema of an empty
// database, databases it must refuse, values that must come back as they
// went, the server's errors, a lost connection and the retried failures.
#include "TestServer.h"

#include "data/ServerConnection.h"
#include "data/ServerSchema.h"

#include <gtest/gtest.h>

using namespace kaoshi;
using kaoshi::test::TestServer;

namespace {

class ServerConnectionTest : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(server.isReady()) << server.reason().toStdString(); }

    bool openEngine(ServerConnection &e) { return e.open(server.settings()); }

    // The first value of a statement's result (a note of the failure when it fails).
    FieldValue single(const QString &sql, const Values &values = {})
    {
        const auto rows = engine.run(sql, values);
        return rows ? rows->value(0, 0) : FieldValue::text(QStringLiteral("<failed: %1>").arg(engine.lastError().message));
    }

    TestServer server;
    ServerConnection engine;
};

} // namespace

TEST_F(ServerConnectionTest, AnEmptyDatabaseBecomesOursWithOneConfigRowOfZeros)
{
    ASSERT_TRUE(openEngine(engine)) << engine.lastError().message.toStdString();
    for (const server::TableColumns &table : server::requiredTables()) {
        const auto rows = engine.run(QStringLiteral("select * from %1").arg(table.table));
        ASSERT_TRUE(rows) << table.table.toStdString();
        for (const QString &column : table.columns)
            EXPECT_TRUE(rows->columnNames().contains(column)) << table.table.toStdString() << column.toStdString();
    }
    EXPECT_EQ(single("select count(*) from 配置").toInteger(), 1);
    EXPECT_EQ(single("select 单选抽题 + 多选抽题 + 判断抽题 + 问答抽题 + 计时 from 配置"), FieldValue::integer(0));
    EXPECT_EQ(single("select count(*) from pg_indexes where indexname = '单选_题号'").toInteger(), 1);
    ASSERT_TRUE(engine.execute("update 配置 set 计时=?", {90}));

    // A second seat finds the same database and keeps its rows.
    ServerConnection seat;
    ASSERT_TRUE(openEngine(seat));
    EXPECT_EQ(seat.run("select count(*), max(计时) from 配置")->value(0, 1), FieldValue::integer(90));
    EXPECT_EQ(seat.run("select count(*) from 配置")->value(0, 0), FieldValue::integer(1));
}

TEST_F(ServerConnectionTest, ADatabaseOfAnotherShapeIsRefusedAndNeverAltered)
{
    const struct {
        const char *change; // made on a database of ours (empty: a foreign one)
        ServerFailure failure;
        const char *message;
        const char *stillFails; // nothing was made or changed
    } cases[] = {
        {"", ServerFailure::NotOurs, "这不是考试系统的数据库", "select * from 单选"},
        {"alter table 多选 drop column 解析", ServerFailure::MissingColumn, "表 多选 缺少列 解析", "select 解析 from 多选"},
        {"drop table 评分", ServerFailure::MissingTable, "缺少表 评分", "select * from 评分"},
    };
    for (const auto &c : cases) {
        TestServer fresh;
        ASSERT_TRUE(fresh.isReady());
        if (*c.change) {
            ServerConnection maker;
            ASSERT_TRUE(maker.open(fresh.settings()));
            maker.close();
            ASSERT_EQ(fresh.admin(QString::fromUtf8(c.change)), QString());
        } else {
            ASSERT_EQ(fresh.admin("create table 成绩单 (姓名 text)"), QString());
        }
        ServerConnection e;
        EXPECT_FALSE(e.open(fresh.settings())) << c.change;
        EXPECT_EQ(e.failure(), c.failure) << c.change;
        EXPECT_EQ(e.lastError().message, QString::fromUtf8(c.message));
        EXPECT_FALSE(e.isOpen());
        EXPECT_NE(fresh.admin(QString::fromUtf8(c.stillFails)), QString()) << c.stillFails;
    }
}

TEST_F(ServerConnectionTest, ADatabaseOfAnEarlierVersionGainsTheTableOfHandScores)
{
    ASSERT_TRUE(openEngine(engine));
    ASSERT_TRUE(engine.execute("insert into 评分 (考号, 场次, 题号, 题型) values ('001', '一', 1, '问答')"));
    engine.close();
    ASSERT_EQ(server.admin("drop table 阅卷"), QString());
    ASSERT_TRUE(openEngine(engine)) << engine.lastError().message.toStdString();
    EXPECT_EQ(single("select count(*) from 评分").toInteger(), 1); // nothing else changed
    for (const server::TableColumns &table : server::addedTables()) {
        const auto rows = engine.run(QStringLiteral("select * from %1").arg(table.table));
        ASSERT_TRUE(rows) << table.table.toStdString();
        EXPECT_EQ(rows->columnNames(), table.columns);
    }
    // One score per answer: the unique index takes the upsert.
    const QString upsert = QStringLiteral("insert into 阅卷 (考号, 场次, 题型, 题号, 得分) values ('001', '一', '问答', 1, ?) "
                                          "on conflict (考号, 场次, 题型, 题号) do update set 得分 = excluded.得分");
    ASSERT_TRUE(engine.execute(upsert, {FieldValue::real(1.5)}));
    ASSERT_TRUE(engine.execute(upsert, {3})) << engine.lastError().message.toStdString();
    EXPECT_EQ(single("select count(*) || ' ' || max(得分) from 阅卷").toText(), "1 3");
}

TEST_F(ServerConnectionTest, EveryValueAFileHoldsComesBackAsItWas)
{
    ASSERT_TRUE(openEngine(engine));
    const QString nul = QStringLiteral("前半") + QChar(0) + QStringLiteral("后半，不能丢");
    const QString big = QString(1024 * 1024, QChar(u'题'));
    const QString nonBmp = QStringLiteral("𠀀𪚥 😀 \U0001F600");
    const QString sqlish = QStringLiteral("It's '); drop table 单选; -- $1 ? \\ %_");
    const struct {
        FieldValue number;
        QString text;
        FieldValue score;
    } rows[] = {
        {FieldValue::integer(1), nul, FieldValue::real(2.5)},
        {FieldValue::real(1.5), big, FieldValue::integer(5)},
        {FieldValue::integer(9223372036854775807LL), nonBmp, FieldValue::real(0.1)},
        {FieldValue::integer(-3), sqlish, FieldValue()},
        {FieldValue(), QString(), FieldValue::real(1e-7)},
    };
    for (const auto &r : rows)
        ASSERT_TRUE(engine.execute("insert into 单选 (题号, 题目, 分值, 章节) values (?, ?, ?, ?)",
                                   {r.number, r.text, r.score, r.text}))
            << engine.lastError().message.toStdString();
    const auto back = engine.run("select 题号, 题目, 分值, 章节 from 单选 order by rowid");
    ASSERT_TRUE(back);
    ASSERT_EQ(back->rowCount(), int(std::size(rows)));
    for (int i = 0; i < back->rowCount(); ++i) {
        EXPECT_EQ(back->value(i, 0), rows[i].number) << i;
        EXPECT_EQ(back->value(i, 1).toText(), rows[i].text) << i;
        EXPECT_EQ(back->value(i, 2), rows[i].score) << i;
        EXPECT_EQ(back->value(i, 3).toText(), rows[i].text) << i;
    }
    // A text with a NUL still finds itself, and the bound text matched no SQL.
    EXPECT_EQ(single("select count(*) from 单选 where 题目=?", {nul}).toInteger(), 1);
    EXPECT_EQ(single("select 题号 from 单选 where 题目 like ?", {QStringLiteral("%") + QChar(0) + QStringLiteral("后半%")}),
              FieldValue::integer(1));
    EXPECT_EQ(single("select count(*) from 单选").toInteger(), 5);
    // Texts sort by code point, as in a file.
    ASSERT_TRUE(engine.execute("insert into 问答 (题号, 章节) values (1, 'b'), (2, 'B'), (3, '题'), (4, 'a')"));
    const auto sorted = engine.run("select 章节 from 问答 order by 章节");
    ASSERT_TRUE(sorted);
    QStringList order;
    for (int i = 0; i < sorted->rowCount(); ++i)
        order << sorted->value(i, 0).toText();
    EXPECT_EQ(order, QStringList({"B", "a", "b", "题"}));
    // Pictures keep their bytes whole.
    QByteArray bytes;
    for (int i = 0; i < 70000; ++i)
        bytes.append(char(i * 7));
    ASSERT_TRUE(engine.execute("insert into 图片文件 (文件名, 内容) values (?, ?)",
                               {QStringLiteral("\\image\\2026121091510.png"), FieldValue::blob(bytes)}));
    EXPECT_EQ(single("select 内容 from 图片文件 where 文件名=?", {QStringLiteral("\\image\\2026121091510.png")}),
              FieldValue::blob(bytes));
}

TEST_F(ServerConnectionTest, ErrorsCarryTheServersMessageAndState)
{
    ASSERT_TRUE(openEngine(engine));
    EXPECT_FALSE(engine.execute("selec 1"));
    EXPECT_EQ(engine.lastError().state, "42601");
    EXPECT_TRUE(engine.lastError().message.contains("syntax error")) << engine.lastError().message.toStdString();
    EXPECT_FALSE(engine.execute("select * from 没有这张表"));
    EXPECT_EQ(engine.lastError().state, "42P01");
    EXPECT_FALSE(engine.execute("select ?", {}));
    EXPECT_TRUE(engine.lastError().isError());

    // A database whose trigger refuses writes, as a guarded server does.
    ASSERT_EQ(server.admin("create function refuse() returns trigger language plpgsql as "
                           "$$ begin raise exception '拒绝写入'; end $$"),
              QString());
    ASSERT_EQ(server.admin("create trigger refuse before insert on 评分 for each row execute function refuse()"),
              QString());
    EXPECT_FALSE(engine.execute("insert into 评分 (考号, 题号) values (?, ?)", {"1", 1}));
    EXPECT_EQ(engine.lastError().message, "拒绝写入");
    EXPECT_EQ(engine.lastError().state, "P0001");

    // In a unit the first refusal is the reason told, and nothing of the unit stays.
    ASSERT_TRUE(engine.begin());
    EXPECT_TRUE(engine.execute("insert into 单选 (题号) values (1)"));
    EXPECT_FALSE(engine.execute("insert into 评分 (考号, 题号) values (?, ?)", {"1", 1}));
    EXPECT_FALSE(engine.execute("insert into 单选 (题号) values (2)"));
    EXPECT_EQ(engine.lastError().message, "拒绝写入");
    EXPECT_FALSE(engine.commit());
    EXPECT_EQ(engine.lastError().message, "拒绝写入");
    engine.rollback();
    EXPECT_EQ(engine.depth(), 0);
    EXPECT_EQ(single("select count(*) from 单选").toInteger(), 0);

    // An inner unit that fails is undone alone.
    ASSERT_TRUE(engine.begin());
    EXPECT_TRUE(engine.execute("insert into 单选 (题号) values (1)"));
    EXPECT_FALSE(engine.inUnit([&] { return engine.execute("insert into 评分 (考号) values ('x')"); }));
    EXPECT_TRUE(engine.execute("insert into 单选 (题号) values (2)"));
    EXPECT_TRUE(engine.commit());
    EXPECT_EQ(single("select count(*) from 单选").toInteger(), 2);
}

TEST_F(ServerConnectionTest, ALostConnectionIsToldAndTheNextOperationReconnects)
{
    ASSERT_TRUE(openEngine(engine));
    ASSERT_TRUE(engine.execute("insert into 单选 (题号) values (1)"));
    const int before = engine.serverProcess();
    server.dropConnections();
    EXPECT_FALSE(engine.execute("insert into 单选 (题号) values (2)"));
    EXPECT_TRUE(ServerConnection::isConnectionLoss(engine.lastError())) << engine.lastError().state.toStdString();
    EXPECT_TRUE(engine.lastError().message.startsWith("与服务器的连接断开了"));
    ASSERT_TRUE(engine.execute("insert into 单选 (题号) values (3)")) << engine.lastError().message.toStdString();
    EXPECT_NE(engine.serverProcess(), before);

    // A unit open when the connection went is never continued on the new one.
    ASSERT_TRUE(engine.begin());
    ASSERT_TRUE(engine.execute("insert into 单选 (题号) values (4)"));
    server.dropConnections();
    EXPECT_FALSE(engine.execute("insert into 单选 (题号) values (5)"));
    EXPECT_FALSE(engine.execute("insert into 单选 (题号) values (6)"));
    EXPECT_TRUE(ServerConnection::isConnectionLoss(engine.lastError()));
    EXPECT_FALSE(engine.commit());
    engine.rollback();
    EXPECT_EQ(engine.depth(), 0);
    const auto rows = engine.run("select 题号 from 单选 order by 题号");
    ASSERT_TRUE(rows);
    ASSERT_EQ(rows->rowCount(), 2);
    EXPECT_EQ(rows->value(1, 0), FieldValue::integer(3));
}

TEST_F(ServerConnectionTest, SerializationFailuresAndDeadlocksAreRunAgainABoundedNumberOfTimes)
{
    ASSERT_TRUE(openEngine(engine));
    // The trigger fails the first tries of each write with the state asked
    // for; a sequence counts the tries (it is not rolled back).
    ASSERT_EQ(server.admin("create sequence tries"), QString());
    ASSERT_EQ(server.admin("create table failing (state text, times int)"), QString());
    ASSERT_EQ(server.admin("create function flaky() returns trigger language plpgsql as $$ "
                           "declare f failing; begin select * into f from failing; "
                           "if nextval('tries') <= f.times then raise exception 'try again' using errcode = f.state; "
                           "end if; return new; end $$"),
              QString());
    ASSERT_EQ(server.admin("create trigger flaky before insert on 评分 for each row execute function flaky()"),
              QString());
    const struct {
        const char *state;
        int failures;
        bool unit;
        bool stored;
    } cases[] = {
        {"40001", 2, false, true},
        {"40P01", ServerConnection::kTries - 1, true, true},
        {"40001", 100, false, false},
        {"40P01", 100, true, false},
        {"23505", 1, false, false}, // not a failure that another try cures
    };
    for (const auto &c : cases) {
        ASSERT_EQ(server.admin(QStringLiteral("delete from failing; delete from 评分; "
                                              "insert into failing values ('%1', %2); alter sequence tries restart")
                                   .arg(QLatin1String(c.state))
                                   .arg(c.failures)),
                  QString());
        auto write = [&] { return engine.execute("insert into 评分 (考号, 题号) values ('1', 1)"); };
        const bool done = c.unit ? engine.inUnit(write) : write();
        const DataError why = engine.lastError();
        EXPECT_EQ(done, c.stored) << c.state << " " << c.failures;
        EXPECT_EQ(single("select count(*) from 评分").toInteger(), c.stored ? 1 : 0);
        const qint64 expectedTries = c.stored ? c.failures + 1 : (c.state[0] == '4' ? ServerConnection::kTries : 1);
        EXPECT_EQ(single("select last_value from tries").toInteger(), expectedTries) << c.state;
        if (!c.stored)
            EXPECT_EQ(why.state, QLatin1String(c.state)); // told, never dropped
    }
}

TEST_F(ServerConnectionTest, ConnectionFailuresSayWhatDoesNotWork)
{
    ServerSettings missing = server.settings();
    missing.database = QStringLiteral("kaoshi_no_such_database");
    ServerSettings stranger = server.settings();
    stranger.user = QStringLiteral("kaoshi_no_such_user");
    ServerSettings nobodyThere = server.settings();
    nobodyThere.host = QStringLiteral("127.0.0.1");
    nobodyThere.port = 1;
    const struct {
        ServerSettings settings;
        ServerFailure failure;
    } cases[] = {
        {missing, ServerFailure::DatabaseMissing},
        {stranger, ServerFailure::Authentication},
        {nobodyThere, ServerFailure::Unreachable},
    };
    for (const auto &c : cases) {
        ServerConnection e;
        EXPECT_FALSE(e.open(c.settings));
        EXPECT_EQ(e.failure(), c.failure) << c.settings.describe().toStdString();
        EXPECT_FALSE(e.lastError().message.isEmpty());
    }
    // The server's own port on 127.0.0.1 works too.
    ServerSettings tcp = server.settings();
    tcp.host = QStringLiteral("127.0.0.1");
    EXPECT_TRUE(engine.open(tcp)) << engine.lastError().message.toStdString();
}

TEST_F(ServerConnectionTest, AKeptStatementFollowsATableMadeAnew)
{
    ASSERT_TRUE(openEngine(engine));
    const auto before = engine.describe("select * from 临时");
    ASSERT_TRUE(before);
    EXPECT_EQ(before->size(), 8);
    ASSERT_TRUE(engine.run("select * from 临时"));
    ASSERT_TRUE(engine.execute("drop table 临时"));
    ASSERT_TRUE(engine.execute("create table 临时 as select 1 as 考号"));
    const auto rows = engine.run("select * from 临时");
    ASSERT_TRUE(rows) << engine.lastError().message.toStdString();
    EXPECT_EQ(rows->columnNames(), QStringList{"考号"});
    EXPECT_FALSE(engine.describe("select * from 没有这张表"));
    EXPECT_EQ(engine.lastError().state, "42P01");
}
