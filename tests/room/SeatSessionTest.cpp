// A candidate's sitting at a seat on both engines: one seat per candidate,
// the take-over of a silent seat, the server's clock against a wrong seat
// clock, a deadline that passes while the seat is off, what the invigilator
// asks through the heartbeat, refused writes; and, on a server of the test's
// own that stops and starts again, answers and a hand-in that wait in the
// journal and arrive exactly once.
#include "OwnServer.h"
#include "TestDatabase.h"

#include "data/PostgresEngine.h"
#include "data/RoomTable.h"
#include "room/SeatSession.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <barrier>
#include <gtest/gtest.h>
#include <thread>

using namespace kaoshi;
using kaoshi::test::OwnServer;
using kaoshi::test::TestDatabase;
using kaoshi::test::TestEngine;

namespace {

const PaperOwner kOwner{QStringLiteral("A01"), QStringLiteral("一"), QStringLiteral("张三")};
constexpr qint64 kTwoHours = 2 * 3600 * 1000;

KeptPaper threeQuestions(qint64 secondsLeft = 600)
{
    return {{{QuestionType::SingleChoice, 1, {}}, {QuestionType::SingleChoice, 2, {}},
             {QuestionType::FreeAnswer, 3, {}}},
            secondsLeft};
}

// Signs in and keeps a fresh paper (or finds the one kept).
void sit(SeatSession &session, qint64 limitSeconds = 600)
{
    const SeatSession::SignInResult result = session.signIn(limitSeconds);
    ASSERT_EQ(result.outcome, SeatSession::SignIn::Sitting) << result.message.toStdString()
                                                             << session.error().toStdString();
    const PaperLookup found = session.findPaper();
    ASSERT_FALSE(found.failed);
    if (!found.paper)
        ASSERT_EQ(session.keepPaper(threeQuestions(limitSeconds)), KeepOutcome::Kept);
}

// One computer of the room: its own data folder, connection and clock.
struct Seat {
    Seat(std::unique_ptr<DataStore> own, const QString &name, qint64 skew = 0)
        : store(std::move(own)),
          session(*store, kOwner, name, dir.path(), [skew] { return QDateTime::currentMSecsSinceEpoch() + skew; })
    {
    }
    void sit(qint64 limitSeconds = 600) { ::sit(session, limitSeconds); }
    QTemporaryDir dir;
    std::unique_ptr<DataStore> store;
    SeatSession session;
};

// A computer whose program folder and connection outlive its sessions: the
// program started again there.
struct Computer {
    Computer(std::unique_ptr<DataStore> own, const QString &name) : store(std::move(own)), name(name) {}
    std::unique_ptr<SeatSession> run() const
    {
        return std::make_unique<SeatSession>(*store, kOwner, name, folder.path(),
                                             [] { return QDateTime::currentMSecsSinceEpoch(); });
    }
    // Sits, keeps A at position 0, and is switched off when the next answer
    // has reached only the journal.
    void switchOffWith(const JournalAnswer &unsent) const
    {
        auto session = run();
        ASSERT_NO_FATAL_FAILURE(sit(*session));
        ASSERT_EQ(session->keepAnswer(0, QStringLiteral("A")), SeatSession::Keep::Kept);
        ASSERT_TRUE(session->journal().append(unsent.position, unsent.answer));
    }
    QTemporaryDir folder;
    std::unique_ptr<DataStore> store;
    QString name;
};

class SeatOnBothEngines : public ::testing::TestWithParam<TestEngine>
{
protected:
    void SetUp() override { ASSERT_TRUE(db.isReady()) << db.reason().toStdString(); }
    std::unique_ptr<Seat> seat(const QString &name, qint64 skew = 0)
    {
        return std::make_unique<Seat>(db.anotherStore(), name, skew);
    }
    std::unique_ptr<Computer> computer(const QString &name)
    {
        return std::make_unique<Computer>(db.anotherStore(), name);
    }
    // The texts of a column joined with commas, in order.
    QString joined(const QString &column, const QString &table, const QString &order)
    {
        const QString list = db.engine() == TestEngine::Server
                                 ? QStringLiteral("string_agg(%1, ',' order by %3) from %2")
                                 : QStringLiteral("group_concat(%1, ',') from (select * from %2 order by %3)");
        return db.text(QStringLiteral("select ") + list.arg(column, table, order));
    }
    QString kept() { return joined(QStringLiteral("考生答案"), QStringLiteral("答卷"), QStringLiteral("序号")); }
    QString graded()
    {
        return joined(QStringLiteral("cast(题号 as integer) || '=' || 考生答案"), QStringLiteral("评分"),
                      QStringLiteral("题号"));
    }
    void setSeat(const QString &assignments)
    {
        ASSERT_TRUE(db.store().execute(QStringLiteral("update 考场座位 set %1").arg(assignments)))
            << db.store().errorString().toStdString();
    }

    TestDatabase db{GetParam()};
};

std::string engineName(const ::testing::TestParamInfo<TestEngine> &info)
{
    return info.param == TestEngine::File ? "File" : "Server";
}

TEST_P(SeatOnBothEngines, twoSeatsSigningInOneCandidateAtOnceLetExactlyOneSit)
{
    for (int round = 0; round < 5; ++round) {
        const QString occasion = QString::number(round);
        auto first = seat(QStringLiteral("机房1-01"));
        auto second = seat(QStringLiteral("机房1-02"));
        std::barrier start(2);
        SeatSession::SignInResult results[2];
        QString errors[2];
        const auto signIn = [&](Seat &s, int i) {
            SeatSession session(*s.store, {kOwner.number, occasion, kOwner.name}, s.session.seatName(), s.dir.path(),
                                [] { return QDateTime::currentMSecsSinceEpoch(); });
            start.arrive_and_wait();
            results[i] = session.signIn(600);
            errors[i] = session.error();
        };
        std::thread one(signIn, std::ref(*first), 0);
        std::thread two(signIn, std::ref(*second), 1);
        one.join();
        two.join();
        const int winner = results[0].outcome == SeatSession::SignIn::Sitting ? 0 : 1;
        const SeatSession::SignInResult &loser = results[1 - winner];
        EXPECT_EQ(results[winner].outcome, SeatSession::SignIn::Sitting);
        ASSERT_EQ(loser.outcome, SeatSession::SignIn::Busy) << loser.message.toStdString()
                                                             << errors[1 - winner].toStdString();
        const QString winnerSeat = winner == 0 ? QStringLiteral("机房1-01") : QStringLiteral("机房1-02");
        EXPECT_EQ(loser.message, QStringLiteral("该考生正在%1考试").arg(winnerSeat));
        EXPECT_EQ(db.text(QStringLiteral("select 座位 from 考场座位 where 场次='%1'").arg(occasion)), winnerSeat);
    }
}

TEST_P(SeatOnBothEngines, aSilentSeatIsTakenOverWithEveryAnswerAndTheTimeLeft)
{
    auto first = seat(QStringLiteral("seat-1"));
    first->sit();
    ASSERT_EQ(first->session.keepAnswer(0, QStringLiteral("B")), SeatSession::Keep::Kept);
    ASSERT_EQ(first->session.keepAnswer(2, QStringLiteral("写了一段")), SeatSession::Keep::Kept);
    const qint64 leftThere = first->session.secondsLeft();

    // While the first seat beats, a second one is refused.
    auto second = seat(QStringLiteral("seat-2"));
    SeatSession::SignInResult result = second->session.signIn(600);
    EXPECT_EQ(result.outcome, SeatSession::SignIn::Busy);
    EXPECT_EQ(result.message, QStringLiteral("该考生正在seat-1考试"));

    // Its heartbeat stops for a minute.
    setSeat(QStringLiteral("心跳 = 心跳 - 61000"));
    result = second->session.signIn(600);
    ASSERT_EQ(result.outcome, SeatSession::SignIn::OfferTakeOver);
    EXPECT_EQ(result.otherSeat, QStringLiteral("seat-1"));
    EXPECT_TRUE(result.message.contains(QStringLiteral("seat-1")));
    result = second->session.takeOver();
    ASSERT_EQ(result.outcome, SeatSession::SignIn::Sitting) << second->session.error().toStdString();
    const PaperLookup found = second->session.findPaper();
    ASSERT_TRUE(found.paper);
    EXPECT_EQ(found.paper->items[0].answer, QStringLiteral("B"));
    EXPECT_EQ(found.paper->items[2].answer, QStringLiteral("写了一段"));
    EXPECT_NEAR(double(second->session.secondsLeft()), double(leftThere), 2);
    ASSERT_EQ(second->session.keepAnswer(1, QStringLiteral("C")), SeatSession::Keep::Kept);

    // The first seat comes back and learns where its paper went.
    EXPECT_EQ(first->session.heartbeat(), SeatSession::Beat::Moved);
    EXPECT_EQ(first->session.seat().seat, QStringLiteral("seat-2"));
    ASSERT_EQ(second->session.handIn(QStringLiteral("交卷")), SeatSession::HandIn::HandedIn);
    EXPECT_EQ(graded(), QStringLiteral("1=B,2=C,3=写了一段"));
    const std::optional<std::vector<RoomLogEntry>> log = readRoomLog(db.store(), kOwner.occasion);
    ASSERT_TRUE(log);
    QStringList events;
    for (const RoomLogEntry &e : *log)
        events << e.seat + QLatin1Char(':') + e.what;
    EXPECT_EQ(events.join(u';'), QStringLiteral("seat-1:登录;seat-2:接管（原座位 seat-1）;seat-2:交卷"));
}

TEST_P(SeatOnBothEngines, aSeatClockTwoHoursWrongShowsTheServersTime)
{
    for (const qint64 skew : {-kTwoHours, kTwoHours}) {
        auto wrong = seat(QStringLiteral("wrong"), skew);
        const PaperOwner owner{kOwner.number, QString::number(skew), kOwner.name};
        SeatSession session(*wrong->store, owner, QStringLiteral("wrong"), wrong->dir.path(),
                            [skew] { return QDateTime::currentMSecsSinceEpoch() + skew; });
        ASSERT_EQ(session.signIn(30 * 60).outcome, SeatSession::SignIn::Sitting);
        EXPECT_NEAR(double(session.secondsLeft()), 30 * 60, 2);
        EXPECT_NEAR(double(session.offset()), double(-skew), 5'000);
        ASSERT_EQ(session.heartbeat(), SeatSession::Beat::Sitting);
        EXPECT_NEAR(double(session.secondsLeft()), 30 * 60, 2);
        // The invigilator's extension reaches the seat with the next heartbeat.
        ASSERT_TRUE(extendSeatTime(db.store(), owner, 5, QStringLiteral("监考")));
        ASSERT_EQ(session.heartbeat(), SeatSession::Beat::Sitting);
        EXPECT_NEAR(double(session.secondsLeft()), 35 * 60, 2);
    }
}

TEST_P(SeatOnBothEngines, aDeadlinePassedWhileTheSeatWasOffHandsInAtTheNextSignIn)
{
    const auto here = computer(QStringLiteral("seat-1"));
    ASSERT_NO_FATAL_FAILURE(here->switchOffWith({1, QStringLiteral("D")}));
    setSeat(QStringLiteral("截止 = 开始 + 1"));
    auto back = here->run();
    const SeatSession::SignInResult result = back->signIn(600);
    EXPECT_EQ(result.outcome, SeatSession::SignIn::HandedIn);
    EXPECT_EQ(result.message, QStringLiteral("考试时间已过:试卷已按保存的答案交卷"));
    EXPECT_EQ(graded(), QStringLiteral("1=A,2=D,3="));
    EXPECT_EQ(db.count(QStringLiteral("答卷")), 0);
    EXPECT_TRUE(back->journal().read().isEmpty());
    EXPECT_EQ(db.text("select 操作者 || ':' || 事件 from 考场日志 order by rowid desc limit 1"),
              QStringLiteral("系统:考试时间到，交卷"));
    // Signing in again anywhere says it is handed in.
    auto later = seat(QStringLiteral("seat-3"));
    EXPECT_EQ(later->session.signIn(600).outcome, SeatSession::SignIn::HandedIn);
}

TEST_P(SeatOnBothEngines, theHeartbeatBringsTheInvigilatorsActions)
{
    auto here = seat(QStringLiteral("seat-1"));
    here->sit();
    EXPECT_EQ(here->session.heartbeat(), SeatSession::Beat::Sitting);
    ASSERT_TRUE(requestCollect(db.store(), kOwner, QStringLiteral("请停笔，交卷"), QStringLiteral("监考")));
    EXPECT_EQ(here->session.heartbeat(), SeatSession::Beat::Collect);
    EXPECT_EQ(here->session.message(), QStringLiteral("请停笔，交卷"));
    ASSERT_TRUE(releaseSeat(db.store(), kOwner, QStringLiteral("监考")));
    EXPECT_EQ(here->session.heartbeat(), SeatSession::Beat::Released);
    // Signed in again here, then handed in from the console.
    here->sit();
    ASSERT_EQ(handInKeptPaper(db.store(), kOwner, QStringLiteral("监考"), QStringLiteral("收卷")),
              HandInOutcome::HandedIn);
    EXPECT_EQ(here->session.heartbeat(), SeatSession::Beat::HandedIn);
    EXPECT_EQ(here->session.keepAnswer(0, QStringLiteral("A")), SeatSession::Keep::PaperGone);
    // Its own hand-in is refused then: nothing is graded twice.
    EXPECT_EQ(here->session.handIn(QStringLiteral("交卷")), SeatSession::HandIn::Refused);
    EXPECT_EQ(here->session.refusal(), HandInOutcome::NotKept);
    EXPECT_EQ(db.count(QStringLiteral("评分")), 3);
}

TEST_P(SeatOnBothEngines, positionsOffThePaperAreRefused)
{
    auto here = seat(QStringLiteral("seat-1"));
    here->sit();
    for (const int position : {-1, 3, 1 << 30})
        EXPECT_EQ(here->session.keepAnswer(position, QStringLiteral("A")), SeatSession::Keep::OutOfRange) << position;
    EXPECT_TRUE(here->session.journal().read().isEmpty());
    EXPECT_EQ(kept(), QStringLiteral(",,"));
    // A journal line for a position that is not on the paper is not sent either.
    ASSERT_TRUE(here->session.journal().append(7, QStringLiteral("X")));
    ASSERT_TRUE(here->session.journal().append(1, QStringLiteral("B")));
    EXPECT_EQ(here->session.findPaper().paper->items[1].answer, QStringLiteral("B"));
    EXPECT_TRUE(here->session.journal().read().isEmpty());
}

TEST_P(SeatOnBothEngines, refusedWritesAreSaidWithTheReasonAndNothingIsLost)
{
    auto here = seat(QStringLiteral("seat-1"));
    here->sit();
    db.refuse(QStringLiteral("答卷"), QStringLiteral("update"));
    EXPECT_EQ(here->session.keepAnswer(0, QStringLiteral("C")), SeatSession::Keep::Refused);
    EXPECT_TRUE(here->session.error().contains(QStringLiteral("拒绝写入"))) << here->session.error().toStdString();
    EXPECT_TRUE(here->session.isOnline());
    EXPECT_EQ(here->session.journal().read().answers, (std::vector<JournalAnswer>{{0, QStringLiteral("C")}}));

    db.refuse(QStringLiteral("评分"), QStringLiteral("insert"));
    EXPECT_EQ(here->session.handIn(QStringLiteral("交卷")), SeatSession::HandIn::Failed);
    EXPECT_TRUE(here->session.error().contains(QStringLiteral("拒绝写入")));
    EXPECT_EQ(db.count(QStringLiteral("评分")), 0);
    EXPECT_EQ(db.count(QStringLiteral("答卷")), 3);
    EXPECT_FALSE(here->session.journal().read().isEmpty());

    db.refuse(QStringLiteral("考场座位"), QStringLiteral("update"));
    EXPECT_EQ(here->session.heartbeat(), SeatSession::Beat::Failed);
    EXPECT_TRUE(here->session.isOnline());
}

TEST_P(SeatOnBothEngines, aKeptPaperHandedInInsideAnotherUnitGoesBackWithIt)
{
    auto here = seat(QStringLiteral("seat-1"));
    here->sit();
    ASSERT_EQ(here->session.keepAnswer(0, QStringLiteral("A")), SeatSession::Keep::Kept);
    {
        Transaction outer(db.store());
        ASSERT_TRUE(outer.isOpen());
        ASSERT_EQ(handInKeptPaper(db.store(), kOwner, QStringLiteral("监考"), QStringLiteral("收卷")),
                  HandInOutcome::HandedIn);
    } // not committed
    EXPECT_EQ(db.count(QStringLiteral("评分")), 0);
    EXPECT_EQ(kept(), QStringLiteral("A,,"));
    EXPECT_EQ(here->session.heartbeat(), SeatSession::Beat::Sitting);
}

// Cloned computers share a host name, and two program folders on one
// computer share it too: the claim kept in the data folder tells them apart.
// The same folder starting again goes on without a question.
TEST_P(SeatOnBothEngines, aSecondSeatOfTheSameNameIsASeatOfItsOwn)
{
    const QString name = QStringLiteral("机房-克隆");
    const auto here = computer(name);
    auto first = here->run();
    ASSERT_NO_FATAL_FAILURE(sit(*first));
    ASSERT_EQ(first->keepAnswer(0, QStringLiteral("A")), SeatSession::Keep::Kept);

    auto clone = seat(name);
    SeatSession::SignInResult result = clone->session.signIn(600);
    EXPECT_EQ(result.outcome, SeatSession::SignIn::Busy);
    EXPECT_EQ(result.message, QStringLiteral("该考生正在机房-克隆考试"));
    EXPECT_EQ(seatHoldsPaper(db.store(), kOwner, {name, QString()}), false);

    first = here->run();
    ASSERT_EQ(first->signIn(600).outcome, SeatSession::SignIn::Sitting) << first->error().toStdString();
    ASSERT_TRUE(first->findPaper().paper);
    EXPECT_EQ(first->keepAnswer(1, QStringLiteral("B")), SeatSession::Keep::Kept);

    // After a minute of silence the clone may take over; the first seat
    // writes nothing more then.
    setSeat(QStringLiteral("心跳 = 心跳 - 61000"));
    ASSERT_EQ(clone->session.signIn(600).outcome, SeatSession::SignIn::OfferTakeOver);
    ASSERT_EQ(clone->session.takeOver().outcome, SeatSession::SignIn::Sitting);
    ASSERT_TRUE(clone->session.findPaper().paper);
    EXPECT_EQ(first->keepAnswer(2, QStringLiteral("晚了")), SeatSession::Keep::PaperGone);
    EXPECT_EQ(first->heartbeat(), SeatSession::Beat::Moved);
    EXPECT_EQ(first->handIn(QStringLiteral("交卷")), SeatSession::HandIn::Refused);
    EXPECT_EQ(clone->session.keepAnswer(2, QStringLiteral("接着")), SeatSession::Keep::Kept);
    EXPECT_EQ(kept(), QStringLiteral("A,B,接着"));
    ASSERT_EQ(clone->session.handIn(QStringLiteral("交卷")), SeatSession::HandIn::HandedIn);
    EXPECT_EQ(graded(), QStringLiteral("1=A,2=B,3=接着"));
}

// A seat whose paper was taken over, and which takes it back once the other
// seat went silent too (A, B, A), finds in its journal lines of its first
// claim: they are kept aside, never sent over what B answered meanwhile.
TEST_P(SeatOnBothEngines, aJournalOfAnEarlierClaimIsKeptAsideWhenThePaperComesBack)
{
    const auto here = computer(QStringLiteral("seat-A"));
    ASSERT_NO_FATAL_FAILURE(here->switchOffWith({1, QStringLiteral("旧")}));

    setSeat(QStringLiteral("心跳 = 心跳 - 61000"));
    auto b = seat(QStringLiteral("seat-B"));
    ASSERT_EQ(b->session.signIn(600).outcome, SeatSession::SignIn::OfferTakeOver);
    ASSERT_EQ(b->session.takeOver().outcome, SeatSession::SignIn::Sitting);
    ASSERT_TRUE(b->session.findPaper().paper);
    ASSERT_EQ(b->session.keepAnswer(1, QStringLiteral("新")), SeatSession::Keep::Kept);

    setSeat(QStringLiteral("心跳 = 心跳 - 61000"));
    auto a = here->run();
    ASSERT_EQ(a->signIn(600).outcome, SeatSession::SignIn::OfferTakeOver);
    ASSERT_EQ(a->takeOver().outcome, SeatSession::SignIn::Sitting) << a->error().toStdString();
    const PaperLookup found = a->findPaper();
    ASSERT_TRUE(found.paper);
    EXPECT_EQ(found.paper->items[1].answer, QStringLiteral("新"));
    EXPECT_EQ(kept(), QStringLiteral("A,新,"));
    EXPECT_TRUE(a->journal().read().isEmpty());
    QFile aside(a->journal().asidePath());
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly)) << aside.fileName().toStdString();
    EXPECT_TRUE(QString::fromUtf8(aside.readAll()).contains(QStringLiteral("A\t1\t旧\n")));
    EXPECT_EQ(db.text("select count(*) from 考场日志 where 事件 like '本机答案没有交上%'"), QStringLiteral("1"));
}

// A room's tables made before claims existed get the column at the next
// sign-in; a sitting begun then goes on at the seat of its name, and that
// seat holds it under a claim from then on.
TEST_P(SeatOnBothEngines, aRoomMadeBeforeClaimsExistedTakesThemOn)
{
    ASSERT_TRUE(ensurePaperTables(db.store()));
    ASSERT_TRUE(ensureRoomTables(db.store()));
    ASSERT_TRUE(db.store().execute(QStringLiteral("alter table 考场座位 drop column 凭据")));
    const std::optional<qint64> now = serverNow(db.store());
    ASSERT_TRUE(now);
    ASSERT_TRUE(db.store().execute(QStringLiteral("insert into 考场座位 (考号,场次,姓名,座位,开始,截止,心跳,状态,收卷请求,消息) "
                                                  "values (?,?,?,'seat-1',?,?,?,?,0,'')"),
                                   {kOwner.number, kOwner.occasion, kOwner.name, *now, *now + 600'000, *now,
                                    kSeatAnswering}));
    ASSERT_EQ(keepNewPaper(db.store(), kOwner, threeQuestions()), KeepOutcome::Kept);

    auto other = seat(QStringLiteral("seat-2"));
    EXPECT_EQ(other->session.signIn(600).outcome, SeatSession::SignIn::Busy);
    auto here = seat(QStringLiteral("seat-1"));
    here->sit();
    EXPECT_EQ(here->session.keepAnswer(0, QStringLiteral("A")), SeatSession::Keep::Kept);
    EXPECT_EQ(db.text("select 凭据 from 考场座位"), here->session.holder().claim);
    EXPECT_NEAR(double(here->session.secondsLeft()), 600, 2);
    // Another folder of the same name is a seat of its own now.
    auto clone = seat(QStringLiteral("seat-1"));
    EXPECT_EQ(clone->session.signIn(600).outcome, SeatSession::SignIn::Busy);
}

// A paper kept by a program from before rooms (答卷 and 答卷计时, no row in
// 考场座位) goes on with the time it had left, not a new time limit.
TEST_P(SeatOnBothEngines, aPaperKeptBeforeRoomsExistedGoesOnWithTheTimeItHadLeft)
{
    ASSERT_TRUE(ensurePaperTables(db.store()));
    for (const qint64 left : {qint64(321), qint64(-1)}) {
        const PaperOwner owner{kOwner.number, QString::number(left), kOwner.name};
        ASSERT_EQ(keepNewPaper(db.store(), owner, threeQuestions(left)), KeepOutcome::Kept);
        auto here = seat(QStringLiteral("seat-1"));
        SeatSession session(*here->store, owner, QStringLiteral("seat-1"), here->dir.path(),
                            [] { return QDateTime::currentMSecsSinceEpoch(); });
        ASSERT_EQ(session.signIn(1800).outcome, SeatSession::SignIn::Sitting) << left;
        EXPECT_NEAR(double(session.secondsLeft()), double(left), 2) << left;
        ASSERT_TRUE(session.findPaper().paper);
    }
}

// A kept row whose 题型 names no bank is not shown, and keeps its place: the
// answers of the questions after it, and their option orders, stay theirs.
TEST_P(SeatOnBothEngines, aKeptRowOfNoBankLeavesTheRowsAfterItInPlace)
{
    ASSERT_TRUE(ensurePaperTables(db.store()));
    ASSERT_TRUE(ensureRoomTables(db.store()));
    const KeptPaper four{{{QuestionType::SingleChoice, 1, {}}, {QuestionType::SingleChoice, 2, {}},
                          {QuestionType::SingleChoice, 3, {}}, {QuestionType::FreeAnswer, 4, {}}},
                         600};
    ASSERT_EQ(keepNewPaperWithOrders(db.store(), kOwner, four, {{}, {}, {2, 0, 1, 3}, {}}), KeepOutcome::Kept);
    ASSERT_TRUE(db.store().execute(QStringLiteral("update 答卷 set 题型='其他', 考生答案='留着' where 序号=1")));
    auto here = seat(QStringLiteral("seat-1"));
    here->sit();
    ASSERT_EQ(here->session.items().size(), 3u);
    EXPECT_EQ(here->session.items()[1].number, 3);
    EXPECT_EQ(readOptionOrders(db.store(), kOwner, here->session.rows()),
              (std::vector<QList<int>>{{}, {2, 0, 1, 3}, {}}));
    ASSERT_EQ(here->session.keepAnswer(1, QStringLiteral("C")), SeatSession::Keep::Kept);
    ASSERT_EQ(here->session.keepAnswer(2, QStringLiteral("写了")), SeatSession::Keep::Kept);
    // A line still in the journal goes to its own row as well.
    ASSERT_TRUE(here->session.journal().append(3, QStringLiteral("改了")));
    ASSERT_TRUE(here->session.findPaper().paper);
    EXPECT_EQ(kept(), QStringLiteral(",留着,C,改了"));
    EXPECT_EQ(db.text("select 题型 from 答卷 where 序号=1"), QStringLiteral("其他"));
}

// A sitting that never began (nothing was drawn) gives the candidate's row
// up, so that a later sign-in starts afresh; refused, it says why.
TEST_P(SeatOnBothEngines, aSittingWithoutAPaperIsWithdrawn)
{
    auto here = seat(QStringLiteral("seat-1"));
    ASSERT_EQ(here->session.signIn(600).outcome, SeatSession::SignIn::Sitting);
    ASSERT_TRUE(here->session.withdraw()) << here->session.error().toStdString();
    EXPECT_EQ(db.count(QStringLiteral("考场座位")), 0);
    const std::optional<std::vector<RoomLogEntry>> log = readRoomLog(db.store(), kOwner.occasion);
    ASSERT_TRUE(log && log->size() == 2);
    EXPECT_EQ(log->back().what, QStringLiteral("没有抽到题目，考试没有开始"));

    auto next = seat(QStringLiteral("seat-2"));
    ASSERT_EQ(next->session.signIn(600).outcome, SeatSession::SignIn::Sitting);
    db.refuse(QStringLiteral("考场座位"), QStringLiteral("delete"));
    EXPECT_FALSE(next->session.withdraw());
    EXPECT_TRUE(next->session.error().contains(QStringLiteral("拒绝写入"))) << next->session.error().toStdString();
    EXPECT_EQ(db.text("select 座位 from 考场座位"), QStringLiteral("seat-2"));
}

INSTANTIATE_TEST_SUITE_P(Engines, SeatOnBothEngines, ::testing::Values(TestEngine::File, TestEngine::Server),
                         engineName);

// A room's server of the test's own, which stops and starts again.
class SeatOffline : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(own.isReady()) << own.reason().toStdString();
        ASSERT_EQ(own.admin(QStringLiteral("create database kaoshi encoding 'UTF8' template template0")), QString());
        settings = own.overNetwork(QStringLiteral("kaoshi"), QStringLiteral("kaoshi"));
        store = std::make_unique<DataStore>(std::make_unique<PostgresEngine>(settings));
        ASSERT_TRUE(store->open(settings.describe())) << store->errorString().toStdString();
        check = std::make_unique<DataStore>(std::make_unique<PostgresEngine>(settings));
        session = std::make_unique<SeatSession>(*store, kOwner, QStringLiteral("seat-1"), dir.path(),
                                                [] { return QDateTime::currentMSecsSinceEpoch(); });
        ASSERT_EQ(session->signIn(3600).outcome, SeatSession::SignIn::Sitting);
        ASSERT_FALSE(session->findPaper().failed);
        ASSERT_EQ(session->keepPaper(threeQuestions(3600)), KeepOutcome::Kept);
    }
    QString text(const QString &sql)
    {
        if (!check->isOpen())
            check->open(settings.describe());
        RowSet row = check->query(sql);
        return row.failed() || row.atEnd() ? QStringLiteral("<%1>").arg(check->errorString()) : row.value(1).toText();
    }
    QString kept() { return text("select string_agg(考生答案, ',' order by 序号) from 答卷"); }
    // The server is gone for seconds while the seat goes on.
    void outage(const std::function<void()> &meanwhile, int seconds = 10)
    {
        check->close();
        ASSERT_TRUE(own.halt());
        const qint64 end = QDateTime::currentMSecsSinceEpoch() + seconds * 1000;
        meanwhile();
        while (QDateTime::currentMSecsSinceEpoch() < end) {
            EXPECT_EQ(session->heartbeat(), SeatSession::Beat::Offline);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        ASSERT_TRUE(own.resume());
    }

    OwnServer own;
    QTemporaryDir dir;
    ServerSettings settings;
    std::unique_ptr<DataStore> store;
    std::unique_ptr<DataStore> check;
    std::unique_ptr<SeatSession> session;
};

TEST_F(SeatOffline, answersGivenDuringAnOutageArriveOnceInOrderAndTheJournalEmpties)
{
    ASSERT_EQ(session->keepAnswer(0, QStringLiteral("A")), SeatSession::Keep::Kept);
    EXPECT_TRUE(session->journal().read().isEmpty());
    outage([&] {
        EXPECT_EQ(session->keepAnswer(1, QStringLiteral("B")), SeatSession::Keep::Offline);
        EXPECT_FALSE(session->isOnline());
        EXPECT_EQ(session->keepAnswer(2, QStringLiteral("第一稿")), SeatSession::Keep::Offline);
        EXPECT_EQ(session->keepAnswer(1, QStringLiteral("D")), SeatSession::Keep::Offline);
        EXPECT_EQ(session->keepAnswer(2, QStringLiteral("定稿\n两行")), SeatSession::Keep::Offline);
        EXPECT_EQ(session->journal().read().answers.size(), 4u);
        // The countdown goes on from the offset measured before.
        EXPECT_NEAR(double(session->secondsLeft()), 3600, 3);
    });
    EXPECT_EQ(session->heartbeat(), SeatSession::Beat::Sitting);
    EXPECT_TRUE(session->isOnline());
    EXPECT_EQ(kept(), QStringLiteral("A,D,定稿\n两行"));
    EXPECT_TRUE(session->journal().read().isEmpty());
    ASSERT_EQ(session->handIn(QStringLiteral("交卷")), SeatSession::HandIn::HandedIn);
    EXPECT_EQ(text("select count(*) from 评分"), QStringLiteral("3"));
    EXPECT_EQ(text("select string_agg(考生答案, ',' order by 题号) from 评分"), QStringLiteral("A,D,定稿\n两行"));
}

TEST_F(SeatOffline, aHandInQueuedOfflineIsSentOnceOnReconnect)
{
    ASSERT_EQ(session->keepAnswer(0, QStringLiteral("A")), SeatSession::Keep::Kept);
    outage(
        [&] {
            EXPECT_EQ(session->keepAnswer(1, QStringLiteral("C")), SeatSession::Keep::Offline);
            EXPECT_EQ(session->handIn(QStringLiteral("交卷")), SeatSession::HandIn::Queued);
            EXPECT_TRUE(session->handInQueued());
            EXPECT_EQ(session->journal().read().handIn, QStringLiteral("交卷"));
        },
        3);
    EXPECT_EQ(session->heartbeat(), SeatSession::Beat::HandedIn);
    EXPECT_FALSE(session->handInQueued());
    EXPECT_TRUE(session->journal().read().isEmpty());
    EXPECT_EQ(text("select string_agg(考生答案, ',' order by 题号) from 评分"), QStringLiteral("A,C,"));
    EXPECT_EQ(text("select count(*) from 答卷"), QStringLiteral("0"));
    EXPECT_EQ(text("select 状态 from 考场座位"), kSeatHandedIn);
}

TEST_F(SeatOffline, aHandInWhoseCommitWentThroughIsNotCountedTwice)
{
    ASSERT_EQ(session->keepAnswer(0, QStringLiteral("A")), SeatSession::Keep::Kept);
    const std::vector<PaperItem> items = session->items();
    outage([&] { EXPECT_EQ(session->handIn(QStringLiteral("交卷")), SeatSession::HandIn::Queued); }, 2);
    // The hand-in had reached the server before the reply was lost: the
    // paper is in 评分 already when the seat sends it again.
    ASSERT_TRUE(check->open(settings.describe()));
    ASSERT_EQ(handInSeatPaper(*check, kOwner, items, session->holder(), kOwner.number, QStringLiteral("交卷")),
              HandInOutcome::HandedIn);
    EXPECT_EQ(session->heartbeat(), SeatSession::Beat::HandedIn);
    EXPECT_EQ(text("select count(*) from 评分"), QStringLiteral("3"));
    EXPECT_TRUE(session->journal().read().isEmpty());
}

// The paper a seat queued a hand-in for offline was handed in meanwhile from
// what the database kept (the invigilator's 收卷 of a silent seat, the
// deadline): the answers given offline are not in it, so the refusal is no
// success of this seat and its journal is kept aside, said and logged.
TEST_F(SeatOffline, aQueuedHandInRefusedAfterAHandInFromTheKeptPaperKeepsTheJournalAside)
{
    ASSERT_EQ(session->keepAnswer(0, QStringLiteral("A")), SeatSession::Keep::Kept);
    outage(
        [&] {
            EXPECT_EQ(session->keepAnswer(1, QStringLiteral("C")), SeatSession::Keep::Offline);
            EXPECT_EQ(session->handIn(QStringLiteral("交卷")), SeatSession::HandIn::Queued);
        },
        2);
    ASSERT_TRUE(check->open(settings.describe()));
    ASSERT_EQ(handInKeptPaper(*check, kOwner, kSystemOperator, QStringLiteral("考试时间到，交卷")),
              HandInOutcome::HandedIn);
    EXPECT_EQ(session->heartbeat(), SeatSession::Beat::Refused);
    EXPECT_FALSE(session->handInQueued());
    EXPECT_EQ(session->refusal(), HandInOutcome::NotKept);
    EXPECT_TRUE(session->error().contains(QStringLiteral("另存"))) << session->error().toStdString();
    EXPECT_TRUE(session->journal().read().isEmpty());
    QFile aside(session->journal().asidePath());
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly)) << aside.fileName().toStdString();
    const QString lines = QString::fromUtf8(aside.readAll());
    EXPECT_TRUE(lines.contains(QStringLiteral("A\t1\tC\n"))) << lines.toStdString();
    EXPECT_TRUE(lines.contains(QStringLiteral("H\t交卷\n"))) << lines.toStdString();
    EXPECT_EQ(text("select string_agg(考生答案, ',' order by 题号) from 评分"), QStringLiteral("A,,"));
    EXPECT_TRUE(text("select 事件 from 考场日志 order by 时间 desc, rowid desc limit 1").contains(QStringLiteral("另存")));
}

// Only the seat that sits the paper writes it: once the paper moved (taken
// over, released and signed in elsewhere), an answer or a hand-in from the
// seat it left changes nothing.
TEST_P(SeatOnBothEngines, aSeatThePaperMovedAwayFromWritesNothing)
{
    for (const QString &moved : {QStringLiteral("座位='seat-2'"), QStringLiteral("座位=''")}) {
        auto here = seat(QStringLiteral("seat-1"));
        here->sit();
        ASSERT_EQ(here->session.keepAnswer(0, QStringLiteral("A")), SeatSession::Keep::Kept);
        setSeat(moved);
        EXPECT_EQ(here->session.keepAnswer(1, QStringLiteral("B")), SeatSession::Keep::PaperGone) << moved.toStdString();
        EXPECT_EQ(here->session.handIn(QStringLiteral("交卷")), SeatSession::HandIn::Refused) << moved.toStdString();
        EXPECT_EQ(kept(), QStringLiteral("A,,"));
        EXPECT_EQ(db.count(QStringLiteral("评分")), 0);
        // Its answer is kept aside on the seat, never deleted.
        QFile aside(here->session.journal().asidePath());
        ASSERT_TRUE(aside.open(QIODevice::ReadOnly)) << moved.toStdString();
        EXPECT_TRUE(QString::fromUtf8(aside.readAll()).contains(QStringLiteral("A\t1\tB\n")));
        // Released, so that the next round's seat goes on with the paper.
        setSeat(QStringLiteral("座位=''"));
    }
}

// A seat taken over (or released and signed in elsewhere) while it was cut
// off comes back: neither its journal nor its queued hand-in reaches the
// paper the other seat sits now; the journal is kept aside and logged.
TEST_F(SeatOffline, aSeatTakenOverWhileCutOffNeverWritesThePaperWhenItComesBack)
{
    ASSERT_EQ(session->keepAnswer(0, QStringLiteral("A")), SeatSession::Keep::Kept);
    outage(
        [&] {
            EXPECT_EQ(session->keepAnswer(1, QStringLiteral("B")), SeatSession::Keep::Offline);
            EXPECT_EQ(session->handIn(QStringLiteral("交卷")), SeatSession::HandIn::Queued);
        },
        2);
    ASSERT_TRUE(check->open(settings.describe()));
    ASSERT_TRUE(check->execute(QStringLiteral("update 考场座位 set 心跳 = 心跳 - 61000")));
    QTemporaryDir otherDir;
    DataStore otherStore(std::make_unique<PostgresEngine>(settings));
    ASSERT_TRUE(otherStore.open(settings.describe()));
    SeatSession other(otherStore, kOwner, QStringLiteral("seat-2"), otherDir.path(),
                      [] { return QDateTime::currentMSecsSinceEpoch(); });
    ASSERT_EQ(other.signIn(3600).outcome, SeatSession::SignIn::OfferTakeOver);
    ASSERT_EQ(other.takeOver().outcome, SeatSession::SignIn::Sitting);
    ASSERT_TRUE(other.findPaper().paper);
    ASSERT_EQ(other.keepAnswer(1, QStringLiteral("C")), SeatSession::Keep::Kept);

    EXPECT_EQ(session->heartbeat(), SeatSession::Beat::Moved);
    EXPECT_FALSE(session->handInQueued());
    EXPECT_EQ(kept(), QStringLiteral("A,C,"));
    EXPECT_EQ(text("select count(*) from 评分"), QStringLiteral("0"));
    EXPECT_TRUE(session->journal().read().isEmpty());
    QFile aside(session->journal().asidePath());
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(aside.readAll()).contains(QStringLiteral("A\t1\tB\n")));
    EXPECT_TRUE(session->asideNote().contains(QStringLiteral("另存")));
    EXPECT_EQ(text("select 座位 || ':' || 事件 from 考场日志 order by rowid desc limit 1").left(15),
              QStringLiteral("seat-1:本机答案没有交上"));
    // The seat that sits it now goes on and hands in its own answers.
    ASSERT_EQ(other.handIn(QStringLiteral("交卷")), SeatSession::HandIn::HandedIn);
    EXPECT_EQ(text("select string_agg(考生答案, ',' order by 题号) from 评分"), QStringLiteral("A,C,"));
}

// What the journal held and a queued hand-in wait until the database has
// them: a resend or a hand-in refused at the reconnect (a lock timeout, a
// deadlock, a trigger) is tried again at the next beat, and an answer kept
// meanwhile does not empty the journal of the lines still unsent.
TEST_F(SeatOffline, aResendOrQueuedHandInRefusedAtTheReconnectIsTriedAgain)
{
    const auto refuse = [&](const QString &table, const QString &event) {
        ASSERT_TRUE(check->open(settings.describe()));
        ASSERT_TRUE(check->execute(QStringLiteral("create or replace function 拒绝() returns trigger language plpgsql "
                                                  "as $$ begin raise exception '拒绝写入'; end $$")))
            << check->errorString().toStdString();
        ASSERT_TRUE(check->execute(
            QStringLiteral("create trigger 拒绝 before %2 on %1 for each row execute function 拒绝()").arg(table, event)))
            << check->errorString().toStdString();
    };
    const auto allow = [&](const QString &table) {
        ASSERT_TRUE(check->execute(QStringLiteral("drop trigger 拒绝 on %1").arg(table)));
    };
    outage(
        [&] {
            EXPECT_EQ(session->keepAnswer(1, QStringLiteral("B")), SeatSession::Keep::Offline);
            EXPECT_EQ(session->keepAnswer(2, QStringLiteral("写了")), SeatSession::Keep::Offline);
        },
        2);
    refuse(QStringLiteral("答卷"), QStringLiteral("update"));
    EXPECT_EQ(session->heartbeat(), SeatSession::Beat::Failed);
    EXPECT_TRUE(session->isOnline());
    allow(QStringLiteral("答卷"));
    ASSERT_EQ(session->keepAnswer(0, QStringLiteral("D")), SeatSession::Keep::Kept);
    EXPECT_EQ(session->journal().read().answers.size(), 3u);
    EXPECT_EQ(session->heartbeat(), SeatSession::Beat::Sitting);
    EXPECT_EQ(kept(), QStringLiteral("D,B,写了"));
    EXPECT_TRUE(session->journal().read().isEmpty());

    outage([&] { EXPECT_EQ(session->handIn(QStringLiteral("交卷")), SeatSession::HandIn::Queued); }, 2);
    refuse(QStringLiteral("评分"), QStringLiteral("insert"));
    EXPECT_EQ(session->heartbeat(), SeatSession::Beat::Failed);
    EXPECT_TRUE(session->handInQueued());
    EXPECT_EQ(session->journal().read().handIn, QStringLiteral("交卷"));
    allow(QStringLiteral("评分"));
    EXPECT_EQ(session->heartbeat(), SeatSession::Beat::HandedIn);
    EXPECT_EQ(text("select string_agg(考生答案, ',' order by 题号) from 评分"), QStringLiteral("D,B,写了"));
    EXPECT_TRUE(session->journal().read().isEmpty());
}

// A sign-in while other seats write the paper tables: making an index that
// is there already would wait behind their units (and hold up every later
// write), so it is not asked for again.
TEST_P(SeatOnBothEngines, aSignInDoesNotWaitForTheWritesOfOtherSeats)
{
    if (db.engine() != TestEngine::Server)
        GTEST_SKIP() << "a file takes one writer at a time anyway";
    auto here = seat(QStringLiteral("seat-1"));
    here->sit();
    std::unique_ptr<DataStore> busy = db.anotherStore();
    Transaction unit(*busy);
    ASSERT_TRUE(unit.isOpen());
    ASSERT_TRUE(busy->execute(QStringLiteral("update 答卷 set 考生答案=考生答案")));
    ASSERT_TRUE(busy->execute(QStringLiteral("update 答卷顺序 set 选项顺序=选项顺序")));
    ASSERT_TRUE(busy->execute(QStringLiteral("update 考场座位 set 心跳=心跳")));
    auto next = seat(QStringLiteral("seat-2"));
    SeatSession other(*next->store, {QStringLiteral("A02"), kOwner.occasion, QStringLiteral("李四")},
                      QStringLiteral("seat-2"), next->dir.path(), [] { return QDateTime::currentMSecsSinceEpoch(); });
    QElapsedTimer took;
    took.start();
    EXPECT_EQ(other.signIn(600).outcome, SeatSession::SignIn::Sitting) << other.error().toStdString();
    EXPECT_LT(took.elapsed(), 3000);
}

// The time left is kept beside the deadline on a file; on a server the
// deadline there counts and nothing is written, so a silent server never
// holds the seat up for it.
TEST_P(SeatOnBothEngines, theTimeLeftIsKeptOnAFileOnly)
{
    auto here = seat(QStringLiteral("seat-1"));
    here->sit();
    EXPECT_TRUE(here->session.keepTimeLeft(321));
    const bool file = db.engine() == TestEngine::File;
    EXPECT_EQ(db.text(QStringLiteral("select 剩余秒数 from 答卷计时")), file ? QStringLiteral("321") : QStringLiteral("600"));
    db.refuse(QStringLiteral("答卷计时"), QStringLiteral("update"));
    EXPECT_EQ(here->session.keepTimeLeft(300), !file);
    if (file)
        EXPECT_TRUE(here->session.error().contains(QStringLiteral("拒绝写入"))) << here->session.error().toStdString();
}

} // namespace
