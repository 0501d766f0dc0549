// Speed of a computer room on the server: 200 seats, each a SeatSession on a
// connection, a data folder (its journal) and a thread of its own, as the
// seats of a room are.
//
//   keeps [seconds]  every seat keeps one answer every 2 s (starting at a
//                    random moment of the first 2 s, so that the room keeps
//                    about 100 answers a second) and beats its heartbeat
//                    every 5 s, for 20 s unless told; the figure is the time
//                    of one keep as the seat waits for it (the answer's line
//                    written to the journal and flushed to the disk, the
//                    statement and its commit on the server), median and
//                    99th percentile of all keeps.
//   handins          every seat holds a paper of 30 answered questions; all
//                    hand in in the same instant (a gate opened at once);
//                    the figure is the time from the gate to the last
//                    hand-in committed (its 30 评分 rows, the kept paper
//                    removed, the seat's row and log line, the journal
//                    emptied), and each hand-in's own time.
//
// Each run makes a fresh database on the server of tests/support/test-server
// (PGHOST etc.), its banks and the seats' papers (not timed). The server
// needs room for 200 connections and more:
//   KAOSHI_TEST_SERVER_MAX_CONNECTIONS=250 KAOSHI_TEST_SERVER_DURABLE=1 \
//     tests/support/test-server start build/bench-server
//   tests/support/test-server run build/bench-server build/bench/room_bench keeps
#include "BenchData.h"
#include "Gate.h"
#include "support/TestDatabase.h"

#include "data/PostgresEngine.h"
#include "data/RoomTable.h"
#include "exam/ExamPaper.h"
#include "room/SeatSession.h"

#include <QDateTime>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

using namespace kaoshi;
using namespace kaoshi::test;
using namespace std::chrono_literals;

namespace {

constexpr int kSeats = 200;
constexpr int kQuestions = 30;
constexpr auto kKeepEvery = 2s;
constexpr auto kBeatEvery = 5s;
const QString kOccasion = QStringLiteral("2026期末");

using Clock = std::chrono::steady_clock;

double milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, size_t(share * double(values.size())))];
}

PaperOwner ownerOf(int seat)
{
    return {QStringLiteral("K%1").arg(seat, 4, 10, QLatin1Char('0')), kOccasion, QStringLiteral("考生%1").arg(seat)};
}

QString seatName(int seat) { return QStringLiteral("座位%1").arg(seat); }

// One seat: its connection and journal folder, signed in, its paper drawn
// and kept.
struct Seat {
    int index = 0;
    QTemporaryDir dataDir;
    std::unique_ptr<DataStore> store;
    std::unique_ptr<SeatSession> session;
};

bool signIn(Seat &seat, const ServerSettings &settings, bool answered)
{
    seat.store = std::make_unique<DataStore>(std::make_unique<PostgresEngine>(settings));
    if (!seat.store->open(settings.describe()))
        return false;
    seat.session = std::make_unique<SeatSession>(*seat.store, ownerOf(seat.index), seatName(seat.index),
                                                 seat.dataDir.path(), [] { return QDateTime::currentMSecsSinceEpoch(); });
    if (seat.session->signIn(3600).outcome != SeatSession::SignIn::Sitting || seat.session->findPaper().failed)
        return false;
    QRandomGenerator generator(quint32(seat.index));
    const PaperDraw draw = drawPaper(*seat.store, {kQuestions, 0, 0, 0}, generator, true);
    std::vector<PaperItem> paper = draw.paper.items();
    if (answered)
        for (PaperItem &item : paper)
            item.answer = QStringLiteral("ABCD").mid(int(generator.bounded(4)), 1);
    return !draw.failed && seat.session->keepPaper({paper, 3600}) == KeepOutcome::Kept;
}

// A fresh database with a bank of 200 questions and every seat signed in.
std::vector<Seat> openRoom(TestDatabase &db, bool answered)
{
    bench::fillBank(db.store(), QStringLiteral("单选"), 200);
    ensurePaperTables(db.store());
    ensureRoomTables(db.store());
    std::vector<Seat> seats(kSeats);
    const auto started = Clock::now();
    for (int i = 0; i < kSeats; ++i) {
        seats[size_t(i)].index = i + 1;
        if (!signIn(seats[size_t(i)], db.serverSettings(), answered)) {
            std::printf("seat %d could not sign in: %s\n", i + 1,
                        seats[size_t(i)].session ? qPrintable(seats[size_t(i)].session->error()) : "");
            return {};
        }
    }
    std::printf("%d seats signed in with papers of %d questions (set-up, not timed: %.0f ms)\n", kSeats, kQuestions,
                milliseconds(Clock::now() - started));
    return seats;
}

void keeps(TestDatabase &db, std::chrono::seconds duration)
{
    std::vector<Seat> seats = openRoom(db, false);
    if (seats.empty())
        return;
    std::mutex mutex;
    std::vector<double> times;
    std::vector<int> slowAt; // the second of the run in which a keep took over 50 ms
    int failures = 0;
    Gate start;
    std::vector<std::thread> threads;
    for (Seat &seat : seats)
        threads.emplace_back([&, s = &seat] {
            QRandomGenerator generator(quint32(s->index) * 31u);
            std::vector<double> mine;
            std::vector<int> slow;
            int failed = 0;
            start.wait(60s);
            const auto begin = Clock::now();
            auto nextKeep = begin + std::chrono::milliseconds(generator.bounded(2000));
            auto nextBeat = begin + std::chrono::milliseconds(generator.bounded(5000));
            for (int position = 0; Clock::now() < begin + duration;) {
                const auto next = std::min(nextKeep, nextBeat);
                std::this_thread::sleep_until(next);
                if (next == nextBeat) {
                    s->session->heartbeat();
                    nextBeat += kBeatEvery;
                    continue;
                }
                const auto before = Clock::now();
                const bool kept = s->session->keepAnswer(position % kQuestions, QStringLiteral("ABCD").mid(position % 4, 1)) ==
                                  SeatSession::Keep::Kept;
                mine.push_back(milliseconds(Clock::now() - before));
                if (mine.back() > 50)
                    slow.push_back(int(std::chrono::duration_cast<std::chrono::seconds>(before - begin).count()));
                failed += kept ? 0 : 1;
                ++position;
                nextKeep += kKeepEvery;
            }
            std::lock_guard lock(mutex);
            times.insert(times.end(), mine.begin(), mine.end());
            slowAt.insert(slowAt.end(), slow.begin(), slow.end());
            failures += failed;
        });
    start.open();
    for (std::thread &thread : threads)
        thread.join();
    std::printf("keeps: %zu keeps in %lld s (%d failed): median %.2f ms, 99%% %.2f ms, max %.2f ms  "
                "(target: 99%% < 50 ms)\n",
                times.size(), qint64(duration.count()), failures, percentile(times, 0.5), percentile(times, 0.99),
                percentile(times, 1.0));
    // Slow keeps that fall into one second are one stall of the server or
    // the machine, not the room's load.
    std::sort(slowAt.begin(), slowAt.end());
    std::printf("keeps over 50 ms: %zu, in second(s) of the run:", slowAt.size());
    for (size_t i = 0; i < slowAt.size(); ++i)
        if (i == 0 || slowAt[i] != slowAt[i - 1])
            std::printf(" %d (%lld)", slowAt[i], qint64(std::count(slowAt.begin(), slowAt.end(), slowAt[i])));
    std::printf("\n");
}

void handIns(TestDatabase &db)
{
    std::vector<Seat> seats = openRoom(db, true);
    if (seats.empty())
        return;
    std::mutex mutex;
    std::vector<double> times;
    Clock::time_point last{};
    int failures = 0;
    Gate start;
    std::vector<std::thread> threads;
    for (Seat &seat : seats)
        threads.emplace_back([&, s = &seat] {
            start.wait(60s);
            const auto before = Clock::now();
            const SeatSession::HandIn outcome = s->session->handIn(QStringLiteral("交卷"));
            const auto after = Clock::now();
            std::lock_guard lock(mutex);
            times.push_back(milliseconds(after - before));
            last = std::max(last, after);
            failures += outcome == SeatSession::HandIn::HandedIn ? 0 : 1;
        });
    std::this_thread::sleep_for(500ms); // every thread waits at the gate
    const auto opened = Clock::now();
    start.open();
    for (std::thread &thread : threads)
        thread.join();
    const qint64 graded = db.count(QStringLiteral("评分"));
    std::printf("hand-ins: %d at once (%d failed, %lld 评分 rows): all committed after %.0f ms; each hand-in median "
                "%.0f ms, 99%% %.0f ms  (target: all within 5 s)\n",
                kSeats, failures, graded, milliseconds(last - opened), percentile(times, 0.5), percentile(times, 0.99));
}

} // namespace

int main(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsSet("PGHOST")) {
        std::printf("run through tests/support/test-server run STATE build/bench/room_bench keeps|handins\n");
        return 1;
    }
    const QString part = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("keeps");
    TestDatabase db(TestEngine::Server);
    if (!db.isReady()) {
        std::printf("server: not ready: %s\n", qPrintable(db.reason()));
        return 1;
    }
    std::fflush(stdout);
    if (part == QStringLiteral("handins"))
        handIns(db);
    else
        keeps(db, std::chrono::seconds(argc > 2 ? std::atoi(argv[2]) : 20));
    return 0;
}
