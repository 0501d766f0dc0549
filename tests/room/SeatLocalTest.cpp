// What a seat keeps on its own computer, run without the superuser's rights
// so that file permissions bind: a journal whose folder will not let it empty
// says so and keeps every answer until it can; and the probe's thread, which
// is waited for when it is given up (a window that closes) and never answers
// after that.
#include "TestDatabase.h"

#include "room/BackgroundProbe.h"
#include "room/SeatSession.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <unistd.h>

using namespace kaoshi;
using kaoshi::test::TestDatabase;

namespace {

const PaperOwner kOwner{QStringLiteral("A01"), QStringLiteral("一"), QStringLiteral("张三")};

// Qt's event loop of the test, for the answers given on this thread.
struct EventLoop {
    char name[5] = "test";
    char *argv[2] = {name, nullptr};
    int argc = 1;
    QCoreApplication app{argc, argv};
    template <typename Done> void runUntil(Done done)
    {
        QElapsedTimer waited;
        waited.start();
        while (!done() && waited.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
};

} // namespace

TEST(SeatJournalOnTheDisk, aJournalThatCannotEmptySaysSoAndKeepsItsAnswers)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "file permissions do not bind the superuser (ctest runs this as nobody)";
    TestDatabase db;
    ASSERT_TRUE(db.isReady()) << db.reason().toStdString();
    QTemporaryDir folder;
    const auto runHere = [&] {
        return std::make_unique<SeatSession>(db.store(), kOwner, QStringLiteral("seat-1"), folder.path(),
                                             [] { return QDateTime::currentMSecsSinceEpoch(); });
    };
    auto first = runHere();
    ASSERT_EQ(first->signIn(600).outcome, SeatSession::SignIn::Sitting);
    ASSERT_FALSE(first->findPaper().failed);
    ASSERT_EQ(first->keepPaper({{{QuestionType::SingleChoice, 1, {}}, {QuestionType::SingleChoice, 2, {}}}, 600}),
              KeepOutcome::Kept);
    // Not sent yet when the seat stopped.
    ASSERT_TRUE(first->journal().append(1, QStringLiteral("B")));
    const QString journals = QFileInfo(first->journal().path()).path();
    first.reset();

    const QFile::Permissions open = QFile::permissions(journals);
    ASSERT_TRUE(QFile::setPermissions(journals, QFile::ReadOwner | QFile::ExeOwner));
    auto again = runHere();
    ASSERT_EQ(again->signIn(600).outcome, SeatSession::SignIn::Sitting) << again->error().toStdString();
    const PaperLookup found = again->findPaper();
    ASSERT_TRUE(found.paper);
    EXPECT_EQ(found.paper->items[1].answer, QStringLiteral("B"));
    EXPECT_TRUE(again->journalError().contains(QStringLiteral("无法清空"))) << again->journalError().toStdString();
    EXPECT_EQ(again->journal().read().answers, (std::vector<JournalAnswer>{{1, QStringLiteral("B")}}));

    // Once the folder lets it, the next beat sends it again and it empties.
    ASSERT_TRUE(QFile::setPermissions(journals, open));
    EXPECT_EQ(again->heartbeat(), SeatSession::Beat::Sitting);
    EXPECT_EQ(again->journalError(), QString());
    EXPECT_TRUE(again->journal().read().isEmpty());
}

TEST(BackgroundProbe, answersOnTheOwnersThreadOneProbeAtATime)
{
    EventLoop loop;
    BackgroundProbe probe;
    std::atomic<bool> release = false;
    std::optional<bool> answer;
    Qt::HANDLE where = nullptr;
    ASSERT_TRUE(probe.start(
        [&] {
            while (!release)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            return true;
        },
        [&](bool answered) {
            answer = answered;
            where = QThread::currentThreadId();
        }));
    EXPECT_TRUE(probe.isRunning());
    EXPECT_FALSE(probe.start([] { return false; }, [](bool) {}));
    release = true;
    loop.runUntil([&] { return answer.has_value(); });
    EXPECT_EQ(answer, std::optional<bool>(true));
    EXPECT_EQ(where, QThread::currentThreadId());
    EXPECT_FALSE(probe.isRunning());
}

TEST(BackgroundProbe, aProbeGivenUpIsWaitedForAndItsAnswerDropped)
{
    EventLoop loop;
    const auto slowProbe = [](std::atomic<bool> &returned) {
        return [&returned] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            returned = true;
            return true;
        };
    };
    std::atomic<bool> returned = false;
    bool told = false;
    {
        BackgroundProbe probe;
        ASSERT_TRUE(probe.start(slowProbe(returned), [&](bool) { told = true; }));
    } // destroyed at once, as with a window that closes
    EXPECT_TRUE(returned);

    std::atomic<bool> returnedAgain = false;
    BackgroundProbe probe;
    ASSERT_TRUE(probe.start(slowProbe(returnedAgain), [&](bool) { told = true; }));
    probe.giveUp();
    EXPECT_TRUE(returnedAgain);
    EXPECT_FALSE(probe.isRunning());
    QCoreApplication::processEvents();
    EXPECT_FALSE(told);
    // A probe after it runs as any other.
    bool answered = false;
    ASSERT_TRUE(probe.start([] { return false; }, [&](bool) { answered = true; }));
    loop.runUntil([&] { return answered; });
    EXPECT_TRUE(answered);
    EXPECT_FALSE(told);
}
