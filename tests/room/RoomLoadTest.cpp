// A computer room under load, on a server of the test's own that keeps every
// commit through a crash: 50 seats, each on its own connection and thread,
// sign in at once and answer 30 questions with random pauses; 5 seats are
// switched off and their candidates go on at other seats; the invigilator
// collects 3 papers (two seats hand in on the request, one that no longer
// answers is handed in by the console); the server stops hard and starts
// again in the middle of the exam; the rest hand in in the same instant.
// Afterwards the database must hold exactly the papers the seats drew with
// every answer the candidates gave, nothing kept, and a log that tells what
// happened.
#include "OwnServer.h"
#include "SimulatedSeat.h"

#include "data/AnswerTable.h"
#include "data/ConfigTable.h"
#include "data/ConsoleTable.h"
#include "data/PostgresEngine.h"
#include "exam/RoomConsole.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <functional>
#include <memory>
#include <set>

using namespace kaoshi;
using namespace kaoshi::test;
using namespace std::chrono_literals;

namespace {

constexpr int kSeats = 50;
constexpr int kSingleChoice = 20;
constexpr int kMultipleChoice = 10;
constexpr int kSwitchedOff = 5;          // candidates 1 … 5 go on at another seat
const std::set<int> kCollected = {6, 7}; // hand in on the invigilator's request
constexpr int kSilentCollected = 8;      // switched off too; the console hands in its paper
constexpr int kAnswersBeforeTrouble = 8;
const QString kOccasion = QStringLiteral("2026期末");
const QString kInvigilator = QStringLiteral("监考");

QString numberOf(int candidate) { return QStringLiteral("K%1").arg(candidate, 3, 10, QLatin1Char('0')); }

bool waitFor(const std::function<bool()> &done, std::chrono::milliseconds timeout)
{
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

double millisecondsBetween(qint64 from, qint64 to) { return double(to - from) / 1e6; }

void fillBanks(DataStore &store)
{
    for (int n = 1; n <= 80; ++n)
        ASSERT_TRUE(store.execute(QStringLiteral("insert into 单选 (题号, 题目, 标准答案, 分值) values (?, ?, 'A', 1)"),
                                  {n, QStringLiteral("单选题%1").arg(n)}));
    for (int n = 1; n <= 40; ++n)
        ASSERT_TRUE(store.execute(QStringLiteral("insert into 多选 (题号, 题目, 标准答案, 分值) values (?, ?, 'AB', 2)"),
                                  {n, QStringLiteral("多选题%1").arg(n)}));
    ASSERT_TRUE(ensurePaperTables(store));
    ASSERT_TRUE(ensureRoomTables(store));
}

SeatPlan planFor(int candidate, const QString &seat)
{
    SeatPlan plan;
    plan.seat = seat;
    plan.candidate = {numberOf(candidate), kOccasion, QStringLiteral("考生%1").arg(candidate)};
    plan.seed = quint32(candidate * 7919 + seat.size());
    return plan;
}

// What the database must hold of one candidate: the questions drawn, in the
// paper's order, and the answer last given at each position.
struct ExpectedPaper {
    std::vector<PaperItem> drawn;
    std::map<int, QString> answers;
};

// A switched-off seat's candidate: what the first seat kept, then what the
// second seat gave; the second seat found every kept answer.
ExpectedPaper resumedPaper(const SimulatedSeat &first, const SimulatedSeat &second)
{
    std::vector<PaperItem> keptThere = first.paper();
    for (size_t i = 0; i < keptThere.size(); ++i) {
        const auto kept = first.kept().find(int(i));
        keptThere[i].answer = kept == first.kept().end() ? QString() : kept->second;
    }
    EXPECT_EQ(second.paperAtSignIn(), keptThere) << first.plan().candidate.number.toStdString();
    ExpectedPaper expected{second.paper(), first.kept()};
    for (const auto &[position, answer] : second.given())
        expected.answers[position] = answer;
    return expected;
}

// 评分 of the occasion by 考号: (题型, 题号) → the answers stored for it.
using GradedPaper = std::map<std::pair<QString, qint64>, QStringList>;
std::map<QString, GradedPaper> readGraded(DataStore &store)
{
    std::map<QString, GradedPaper> graded;
    RowSet rows = store.query(QStringLiteral("select 考号, 题型, 题号, 考生答案 from 评分 where 场次=?"), {kOccasion});
    for (; !rows.atEnd(); rows.next())
        graded[rows.value(1).toText()][{rows.value(2).toText(), rows.value(3).toInteger()}] << rows.value(4).toText();
    EXPECT_FALSE(rows.failed()) << store.errorString().toStdString();
    return graded;
}

void expectGradedAsGiven(const QString &number, const GradedPaper &graded, const ExpectedPaper &expected)
{
    SCOPED_TRACE(number.toStdString());
    ASSERT_EQ(expected.drawn.size(), size_t(kSingleChoice + kMultipleChoice));
    EXPECT_EQ(graded.size(), expected.drawn.size()) << "a 评分 row for each drawn question, no other";
    for (size_t position = 0; position < expected.drawn.size(); ++position) {
        const PaperItem &item = expected.drawn[position];
        const auto row = graded.find({typeValue(item.type), item.number});
        ASSERT_NE(row, graded.end()) << "question " << item.number << " has no 评分 row";
        ASSERT_EQ(row->second.size(), 1) << "question " << item.number << " graded more than once";
        const auto given = expected.answers.find(int(position));
        EXPECT_EQ(row->second.front(), given == expected.answers.end() ? QString() : given->second)
            << "answer at position " << position;
    }
}

qint64 countOf(DataStore &store, const QString &table)
{
    RowSet row = store.query(QStringLiteral("select count(*) from %1 where 场次=?").arg(table), {kOccasion});
    EXPECT_FALSE(row.failed()) << store.errorString().toStdString();
    return row.value(1).toInteger();
}

bool isHandIn(const RoomLogEntry &entry) { return entry.what.contains(QStringLiteral("交卷")); }

// The log of one candidate: signed in once at the first seat (a sign-in
// repeated after a lost reply resumes there), taken over where the seat was
// switched off, collected where the invigilator asked, handed in once, last.
void expectStory(const QString &number, const std::vector<RoomLogEntry> &lines, const QString &firstSeat,
                 const QString &secondSeat, bool collected, const QString &handInBy)
{
    SCOPED_TRACE(number.toStdString());
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.front().what, QStringLiteral("登录"));
    EXPECT_EQ(lines.front().seat, firstSeat);
    EXPECT_EQ(lines.front().who, number);
    int signIns = 0, takeOvers = 0, collects = 0, handIns = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const RoomLogEntry &line = lines[i];
        if (i > 0)
            EXPECT_GE(line.time, lines[i - 1].time);
        if (line.what == QStringLiteral("登录")) {
            ++signIns;
        } else if (line.what == QStringLiteral("继续登录")) {
            EXPECT_EQ(line.seat, takeOvers ? secondSeat : firstSeat) << "a sign-in tried again after a lost reply";
        } else if (line.what.startsWith(QStringLiteral("接管"))) {
            ++takeOvers;
            EXPECT_EQ(line.what, QStringLiteral("接管（原座位 %1）").arg(firstSeat));
            EXPECT_EQ(line.seat, secondSeat);
        } else if (line.what == QStringLiteral("收卷")) {
            ++collects;
            EXPECT_EQ(line.who, kInvigilator);
        } else if (isHandIn(line)) {
            ++handIns;
            EXPECT_EQ(i, lines.size() - 1) << "the hand-in is the last line";
            EXPECT_EQ(line.who, handInBy);
            EXPECT_EQ(line.seat, secondSeat.isEmpty() ? firstSeat : secondSeat);
        } else {
            ADD_FAILURE() << "unexpected line " << line.what.toStdString();
        }
    }
    EXPECT_EQ(signIns, 1);
    EXPECT_EQ(takeOvers, secondSeat.isEmpty() ? 0 : 1);
    EXPECT_EQ(collects, collected ? 1 : 0);
    EXPECT_EQ(handIns, 1);
}

std::vector<RoomSeat> rowsOf(const RoomListing &room, const std::set<QString> &numbers)
{
    std::vector<RoomSeat> picked;
    for (const RoomSeat &seat : room.seats)
        if (numbers.count(seat.number))
            picked.push_back(seat);
    return picked;
}

class RoomLoadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The seats and the seats that take over, each with a connection and
        // now and then a probe whether the server is back, the console and
        // the checks: more than the test server's usual 100.
        own = std::make_unique<OwnServer>(4 * kSeats);
        ASSERT_TRUE(own->isReady()) << own->reason().toStdString();
        ASSERT_EQ(own->admin(QStringLiteral("create database kaoshi encoding 'UTF8' template template0")), QString());
        room.settings = own->overNetwork(QStringLiteral("kaoshi"), QStringLiteral("kaoshi"));
        room.draws = {kSingleChoice, kMultipleChoice, 0, 0};
        console = std::make_unique<DataStore>(std::make_unique<PostgresEngine>(room.settings));
        ASSERT_TRUE(console->open(room.settings.describe())) << console->errorString().toStdString();
        EXPECT_EQ(console->query(QStringLiteral("select current_setting('max_connections')")).value(1).toText(),
                  QString::number(4 * kSeats));
        fillBanks(*console);
    }

    void TearDown() override
    {
        room.abandon = true;
        seats.clear();
        secondSeats.clear();
    }

    SimulatedSeat &seatOf(int candidate) { return *seats[size_t(candidate - 1)]; }
    SimulatedSeat &secondSeatOf(int candidate) { return *secondSeats[size_t(candidate - 1)]; }

    bool allSeats(const std::function<bool(const SimulatedSeat &)> &holds, std::chrono::milliseconds timeout)
    {
        return waitFor(
            [&] {
                for (const auto &seat : seats)
                    if (!holds(*seat))
                        return false;
                return true;
            },
            timeout);
    }

    std::unique_ptr<OwnServer> own;
    SimulatedRoom room;
    std::unique_ptr<DataStore> console;
    std::vector<std::unique_ptr<SimulatedSeat>> seats;
    std::vector<std::unique_ptr<SimulatedSeat>> secondSeats;
};

TEST_F(RoomLoadTest, FiftySeatsThroughSwitchOffsCollectsAndARestart)
{
    using Phase = SimulatedSeat::Phase;
    // Every seat connected first, as the room's programs are started before the exam.
    for (int candidate = 1; candidate <= kSeats; ++candidate) {
        seats.push_back(std::make_unique<SimulatedSeat>(room, planFor(candidate, QStringLiteral("座位%1").arg(candidate))));
        seats.back()->start();
    }
    ASSERT_TRUE(allSeats([](const SimulatedSeat &s) { return s.phase() == Phase::Ready; }, 60s));

    const qint64 opened = steadyNow();
    room.start.open();
    ASSERT_TRUE(allSeats([](const SimulatedSeat &s) { return s.phase() >= Phase::SignedIn; }, 30s));
    qint64 lastClaim = 0, lastReady = 0;
    for (const auto &seat : seats) {
        ASSERT_EQ(seat->claimOutcome(), ClaimOutcome::Claimed) << seat->plan().seat.toStdString();
        lastClaim = std::max(lastClaim, seat->claimedAt());
        lastReady = std::max(lastReady, seat->readyAt());
    }
    std::printf("%d seats: every sign-in committed %.0f ms after the start, every paper drawn and kept after %.0f ms\n",
                kSeats, millisecondsBetween(opened, lastClaim), millisecondsBetween(opened, lastReady));
    EXPECT_LT(millisecondsBetween(opened, lastClaim), 1000.0) << "all seats sign in within one second";

    // Seats switched off after a few answers: their candidates go on at other
    // seats once the first seats have been silent long enough (their
    // heartbeats are aged past that, after the restart).
    auto troubled = [](int candidate) { return candidate <= kSwitchedOff || candidate == kSilentCollected; };
    ASSERT_TRUE(waitFor(
        [&] {
            for (int candidate = 1; candidate <= kSeats; ++candidate)
                if (troubled(candidate) && seatOf(candidate).answersGiven() < kAnswersBeforeTrouble)
                    return false;
            return true;
        },
        30s));
    for (int candidate = 1; candidate <= kSeats; ++candidate)
        if (troubled(candidate)) {
            seatOf(candidate).kill();
            seatOf(candidate).join();
            ASSERT_EQ(seatOf(candidate).phase(), Phase::Stopped);
        }
    for (int candidate = 1; candidate <= kSwitchedOff; ++candidate) {
        secondSeats.push_back(
            std::make_unique<SimulatedSeat>(room, planFor(candidate, QStringLiteral("备用%1").arg(candidate))));
        secondSeats.back()->start();
    }

    // The server stops hard while those seats try to sign in (refused: the
    // first seats are not yet silent long enough) and the others answer.
    ASSERT_TRUE(waitFor(
        [&] {
            for (const auto &seat : secondSeats)
                if (seat->claimAttempts() == 0)
                    return false;
            return true;
        },
        30s));
    const qint64 halted = steadyNow();
    ASSERT_TRUE(own->halt());
    std::this_thread::sleep_for(300ms);
    ASSERT_TRUE(own->resume());
    std::printf("server halted and started again: %.0f ms without a server\n",
                millisecondsBetween(halted, steadyNow()));
    QStringList switchedOff;
    for (int candidate = 1; candidate <= kSeats; ++candidate)
        if (troubled(candidate))
            switchedOff << QStringLiteral("'%1'").arg(numberOf(candidate));
    ASSERT_EQ(own->admin(QStringLiteral("update 考场座位 set 心跳 = 心跳 - %1 where 考号 in (%2)")
                             .arg(kSilentSeatMs)
                             .arg(switchedOff.join(u',')),
                         QStringLiteral("kaoshi")),
              QString());
    ASSERT_TRUE(waitFor(
        [&] {
            for (const auto &seat : secondSeats)
                if (seat->phase() < Phase::SignedIn)
                    return false;
            return true;
        },
        30s));
    int signInRetries = 0;
    for (const auto &seat : secondSeats) {
        EXPECT_EQ(seat->claimOutcome(), ClaimOutcome::TakenOver) << seat->plan().seat.toStdString();
        signInRetries += seat->retries();
    }
    EXPECT_GT(signInRetries, 0) << "sign-ins caught by the restart were tried again";

    // The invigilator collects three papers: two seats that answer hand in
    // on the request, the paper of a seat that was switched off is handed in
    // by the console from what was kept (its heartbeat aged past 失去联系).
    RoomListing listing;
    ASSERT_TRUE(waitFor(
        [&] {
            listing = readConsoleRoom(*console, kOccasion);
            return !listing.failed;
        },
        20s))
        << console->errorString().toStdString();
    std::set<QString> collect{numberOf(kSilentCollected)};
    for (int candidate : kCollected)
        collect.insert(numberOf(candidate));
    const std::vector<RoomSeat> collected = rowsOf(listing, collect);
    ASSERT_EQ(collected.size(), collect.size());
    ASSERT_TRUE(collectPapers(*console, collected, listing.now, QStringLiteral("请停止答题"), kInvigilator))
        << console->errorString().toStdString();
    const SeatLookup silent = findSeat(*console, numberOf(kSilentCollected), kOccasion);
    ASSERT_TRUE(silent.seat);
    EXPECT_EQ(silent.seat->state, kSeatHandedIn);
    for (int candidate : kCollected) {
        ASSERT_TRUE(waitFor([&] { return seatOf(candidate).phase() >= Phase::HandedIn; }, 20s));
        seatOf(candidate).join();
        EXPECT_EQ(seatOf(candidate).ending(), SimulatedSeat::Ending::CollectedHere);
    }

    // The rest hand in in the same instant.
    std::vector<SimulatedSeat *> rest;
    for (int candidate = 1; candidate <= kSeats; ++candidate)
        if (!troubled(candidate) && !kCollected.count(candidate))
            rest.push_back(&seatOf(candidate));
    for (const auto &seat : secondSeats)
        rest.push_back(seat.get());
    auto allOfRest = [&](Phase phase) {
        for (const SimulatedSeat *seat : rest)
            if (seat->phase() != phase)
                return false;
        return true;
    };
    ASSERT_TRUE(waitFor([&] { return allOfRest(Phase::Answered); }, 60s));
    const qint64 handInOpened = steadyNow();
    room.handIn.open();
    ASSERT_TRUE(waitFor([&] { return allOfRest(Phase::HandedIn); }, 60s));
    qint64 lastHandIn = 0;
    for (SimulatedSeat *seat : rest) {
        seat->join();
        lastHandIn = std::max(lastHandIn, seat->handedInAt());
        EXPECT_EQ(seat->ending(), SimulatedSeat::Ending::HandedInHere) << seat->plan().seat.toStdString();
    }
    std::printf("%zu seats handed in at once: the last hand-in committed %.0f ms after the first began\n", rest.size(),
                millisecondsBetween(handInOpened, lastHandIn));
    int answeringRetries = 0;
    for (const auto &seat : seats)
        answeringRetries += seat->retries();
    std::printf("keeps and sign-ins of the first seats tried again (the restart): %d\n", answeringRetries);
    EXPECT_GT(answeringRetries, 0) << "the restart came while the seats answered";
    for (const auto &seat : seats)
        EXPECT_TRUE(seat->failure().isEmpty()) << seat->failure().toStdString();
    for (const auto &seat : secondSeats)
        EXPECT_TRUE(seat->failure().isEmpty()) << seat->failure().toStdString();

    // Every drawn question graded once, with the answer given last.
    const std::map<QString, GradedPaper> graded = readGraded(*console);
    EXPECT_EQ(graded.size(), size_t(kSeats));
    for (int candidate = 1; candidate <= kSeats; ++candidate) {
        const SimulatedSeat &first = seatOf(candidate);
        const ExpectedPaper expected = candidate <= kSwitchedOff ? resumedPaper(first, secondSeatOf(candidate))
                                       : candidate == kSilentCollected ? ExpectedPaper{first.paper(), first.kept()}
                                                                       : ExpectedPaper{first.paper(), first.given()};
        const auto found = graded.find(numberOf(candidate));
        ASSERT_NE(found, graded.end()) << numberOf(candidate).toStdString();
        expectGradedAsGiven(numberOf(candidate), found->second, expected);
    }

    // Nothing kept, every seat handed in.
    EXPECT_EQ(countOf(*console, QStringLiteral("答卷")), 0);
    EXPECT_EQ(countOf(*console, QStringLiteral("答卷计时")), 0);
    EXPECT_EQ(countOf(*console, QStringLiteral("答卷顺序")), 0);
    const RoomListing after = readRoom(*console, kOccasion);
    ASSERT_FALSE(after.failed);
    ASSERT_EQ(after.seats.size(), size_t(kSeats));
    for (const RoomSeat &seat : after.seats)
        EXPECT_EQ(seat.state, kSeatHandedIn) << seat.number.toStdString();

    // The log tells each candidate's story.
    const auto log = readRoomLog(*console, kOccasion);
    ASSERT_TRUE(log);
    std::map<QString, std::vector<RoomLogEntry>> stories;
    for (const RoomLogEntry &line : *log)
        stories[line.number].push_back(line);
    EXPECT_EQ(stories.size(), size_t(kSeats));
    for (int candidate = 1; candidate <= kSeats; ++candidate) {
        const QString number = numberOf(candidate);
        expectStory(number, stories[number], QStringLiteral("座位%1").arg(candidate),
                    candidate <= kSwitchedOff ? QStringLiteral("备用%1").arg(candidate) : QString(),
                    kCollected.count(candidate) > 0, candidate == kSilentCollected ? kInvigilator : number);
    }
}

} // namespace
