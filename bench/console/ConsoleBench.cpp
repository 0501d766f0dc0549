// Speed of the invigilator's console refresh, through the real window inside
// the main window: one reading of the room (the grouped statement with the
// answered and drawn counts and the database's clock) and the rows shown and
// painted. Rooms of 50, 100 and 200 seats, 30 drawn questions per seat, half
// of them answered; a tenth of the seats handed in (their answers in 评分),
// a tenth silent. 评分 also holds 300,000 answers of earlier occasions, as a
// school's database does after a few terms. On the file, and on a server when
// run through tests/support/test-server (PGHOST etc. set). Medians of 5 runs.
#include "support/TestDatabase.h"

#include "app/MainWindow.h"
#include "data/AnswerTable.h"
#include "data/ConsoleTable.h"
#include "data/RoomTable.h"
#include "exam/ConsoleWindow.h"
#include "ui/AppContext.h"
#include "ui/ListGrid.h"
#include "ui/ScriptedPlatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <vector>

using namespace kaoshi;
using kaoshi::test::TestDatabase;
using kaoshi::test::TestEngine;

namespace {

constexpr int kRuns = 5;
constexpr int kQuestions = 30;
constexpr int kEarlierAnswers = 300'000;
const QString kOccasion = QStringLiteral("2026期末");

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double milliseconds(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e6; }

void fillEarlierAnswers(DataStore &store)
{
    std::vector<StoredAnswer> rows;
    rows.reserve(kEarlierAnswers);
    for (int i = 0; i < kEarlierAnswers; ++i)
        rows.push_back({QStringLiteral("S%1").arg(i / 100, 5, 10, QLatin1Char('0')),
                        QStringLiteral("旧%1").arg(i % 7), QStringLiteral("往届"), i % 100 + 1,
                        QuestionType::SingleChoice, QStringLiteral("A")});
    Transaction unit(store);
    insertAnswers(store, rows);
    unit.commit();
}

// Seats 1 … count on kOccasion, added to those already there.
void fillRoom(DataStore &store, int from, int count)
{
    const qint64 now = serverNow(store).value_or(0);
    Transaction unit(store);
    for (int i = from; i < from + count; ++i) {
        const PaperOwner owner{QStringLiteral("K%1").arg(i, 4, 10, QLatin1Char('0')), kOccasion,
                               QStringLiteral("考生%1").arg(i)};
        const bool handedIn = i % 10 == 0;
        const qint64 heartbeat = i % 10 == 5 ? now - 60'000 : now;
        store.execute(QStringLiteral("insert into 考场座位 (考号,场次,姓名,座位,开始,截止,心跳,状态,收卷请求,消息) "
                                     "values (?,?,?,?,?,?,?,?,0,'')"),
                      {owner.number, owner.occasion, owner.name, QStringLiteral("seat-%1").arg(i), now - 600'000,
                       now + 3'600'000, heartbeat, handedIn ? kSeatHandedIn : kSeatAnswering});
        KeptPaper paper;
        for (int q = 1; q <= kQuestions; ++q)
            paper.items.push_back({QuestionType::SingleChoice, q, q % 2 ? QStringLiteral("B") : QString()});
        if (handedIn) {
            std::vector<StoredAnswer> rows;
            for (const PaperItem &item : paper.items)
                rows.push_back({owner.number, owner.occasion, owner.name, item.number, item.type, item.answer});
            insertAnswers(store, rows);
        } else {
            keepNewPaper(store, owner, paper);
        }
    }
    unit.commit();
}

void run(TestEngine engine)
{
    TestDatabase db(engine);
    if (!db.isReady()) {
        std::printf("%s: not ready: %s\n", engine == TestEngine::File ? "file" : "server", qPrintable(db.reason()));
        return;
    }
    DataStore &store = db.store();
    ensurePaperTables(store);
    ensureRoomTables(store);
    fillEarlierAnswers(store);
    ScriptedPlatform platform;
    AppContext context{db.programDir(), store, platform.platform()};
    MainWindow main(context);
    main.applyScreenSize({1920, 1080});
    main.show();
    QApplication::processEvents();
    const char *where = engine == TestEngine::File ? "file  " : "server";
    int seats = 0;
    for (const int size : {50, 100, 200}) {
        fillRoom(store, seats + 1, size - seats);
        seats = size;
        main.runMenuItem(QStringLiteral("监考"));
        auto *console = qobject_cast<ConsoleWindow *>(main.currentTaskWindow());
        auto *grid = console->findChild<ListGrid *>(QStringLiteral("考生表格"));
        QApplication::processEvents();
        std::vector<double> statement, window;
        for (int r = 0; r < kRuns; ++r) {
            QElapsedTimer t;
            t.start();
            const RoomListing listing = readConsoleRoom(store, kOccasion);
            statement.push_back(milliseconds(t));
            if (listing.failed || int(listing.seats.size()) != size)
                std::printf("reading failed: %s\n", qPrintable(store.lastError().message));
            t.restart();
            console->refresh();
            grid->viewport()->repaint();
            window.push_back(milliseconds(t));
        }
        std::printf("%s %3d seats: grouped statement %7.2f ms, window refresh (read, rows, paint) %7.2f ms  "
                    "(runs:", where, size, median(statement), median(window));
        for (double w : window)
            std::printf(" %.2f", w);
        std::printf(")  target < 100 ms\n");
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    std::printf("console refresh, %d questions per seat, %d earlier answers in 评分, medians of %d\n", kQuestions,
                kEarlierAnswers, kRuns);
    run(TestEngine::File);
    if (qEnvironmentVariableIsSet("PGHOST"))
        run(TestEngine::Server);
    else
        std::printf("server: skipped (run through tests/support/test-server run STATE build/bench/console_bench)\n");
    return 0;
}
