// The invigilator's console driven through its controls on a room of three
// seats — one answering, one handed in, one silent — on a file and on the
// server. KAOSHI_SHOT_DIR=<folder> saves the console with the three seats
// as console-file.png and console-server.png there.
#include "support/AnswerRows.h"
#include "support/ProgramState.h"
#include "support/TestDatabase.h"

#include "app/MainWindow.h"
#include "data/AnswerTable.h"
#include "data/RoomTable.h"
#include "data/ConsoleTable.h"
#include "exam/ConsoleWindow.h"
#include "exam/RoomConsole.h"
#include "ui/ListGrid.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QInputDialog>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QSysInfo>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <thread>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

const QString kOccasion = QStringLiteral("一");
const QString kAnswering = QStringLiteral("A01");
const QString kHandedIn = QStringLiteral("A02");
const QString kSilent = QStringLiteral("A03");
const qint64 kThirtyMinutes = 30 * 60'000;

// Grid columns (0 is hidden).
enum Column { Number = 1, Name, Seat, Start, Progress, TimeLeft, State };

QString invigilator() { return QStringLiteral("监考（%1）").arg(QSysInfo::machineHostName()); }

struct Room : ProgramState {
    std::unique_ptr<MainWindow> main;
    ConsoleWindow *console = nullptr;
    ListGrid *seats = nullptr;
    qint64 now = 0;

    explicit Room(TestEngine engine) : ProgramState(engine)
    {
        QVERIFY2(db.isReady(), qPrintable(db.reason()));
        DataStore &store = db.store();
        QVERIFY(ensurePaperTables(store) && ensureRoomTables(store));
        now = serverNow(store).value();
        // Three drawn questions each: A01 answered two, A03 one; A02 handed in all three.
        addSeat({kAnswering, kOccasion, QStringLiteral("张三")}, QStringLiteral("seat-1"), now, kSeatAnswering);
        keep({kAnswering, kOccasion, QStringLiteral("张三")}, {QStringLiteral("A"), QStringLiteral("B"), QString()});
        addSeat({kHandedIn, kOccasion, QStringLiteral("李四")}, QStringLiteral("seat-2"), now - 5'000, kSeatHandedIn);
        QVERIFY(addAnswers(store, {{kHandedIn, kOccasion, "李四", 1, "单选", "A"},
                                   {kHandedIn, kOccasion, "李四", 2, "单选", "C"},
                                   {kHandedIn, kOccasion, "李四", 3, "单选", "D"}}));
        addSeat({kSilent, kOccasion, QStringLiteral("王五")}, QStringLiteral("seat-3"), now - 60'000, kSeatAnswering);
        keep({kSilent, kOccasion, QStringLiteral("王五")}, {QString(), QStringLiteral("C"), QString()});
        // Another occasion's seat is not listed.
        addSeat({QStringLiteral("B01"), QStringLiteral("0"), QStringLiteral("赵六")}, QStringLiteral("seat-9"), now,
                kSeatAnswering);
        QVERIFY(logRoomEvent(store, {QStringLiteral("seat-1"), kAnswering, kOccasion, kAnswering, QStringLiteral("登录")}));

        main = std::make_unique<MainWindow>(context);
        main->applyScreenSize({1920, 1080});
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        main->runMenuItem(QStringLiteral("监考"));
        console = qobject_cast<ConsoleWindow *>(main->currentTaskWindow());
        QVERIFY(console);
        seats = console->findChild<ListGrid *>(QStringLiteral("考生表格"));
        QVERIFY(seats);
    }

    void addSeat(const PaperOwner &owner, const QString &seat, qint64 heartbeat, const QString &state)
    {
        QVERIFY(db.store().execute(
            QStringLiteral("insert into 考场座位 (考号,场次,姓名,座位,开始,截止,心跳,状态,收卷请求,消息) "
                           "values (?,?,?,?,?,?,?,?,0,'')"),
            {owner.number, owner.occasion, owner.name, seat, now - 600'000, now + kThirtyMinutes, heartbeat, state}));
    }
    void keep(const PaperOwner &owner, const QStringList &answers)
    {
        KeptPaper paper;
        for (int i = 0; i < answers.size(); ++i)
            paper.items.push_back({QuestionType::SingleChoice, i + 1, answers[i]});
        QCOMPARE(keepNewPaper(db.store(), owner, paper), KeepOutcome::Kept);
    }

    int rowOf(const QString &number) const
    {
        for (int row = 1; row < seats->rowCount(); ++row)
            if (seats->text(row, Number) == number)
                return row;
        return 0;
    }
    QString cell(const QString &number, int column) const { return seats->text(rowOf(number), column); }
    void select(const QString &number)
    {
        seats->clearSelection();
        if (!number.isEmpty())
            seats->selectRow(rowOf(number) - 1);
    }
    template <typename W = QWidget>
    W *control(const QString &name) const
    {
        W *widget = console->findChild<W *>(name);
        [&] { QVERIFY2(widget, qPrintable(name)); }();
        return widget;
    }
    void press(const QString &name) { QTest::mouseClick(control<QPushButton>(name), Qt::LeftButton); }
    // Answers the minutes dialog of 延长时间, once it opens, by typing the
    // number and Enter (a screen reader's press opens it a moment later).
    void whenAskedForMinutes(int minutes)
    {
        auto *poll = new QTimer(console);
        QObject::connect(poll, &QTimer::timeout, poll, [poll, minutes] {
            auto *dialog = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            poll->deleteLater();
            poll->stop();
            auto *box = dialog->findChild<QSpinBox *>(QStringLiteral("分钟数框"));
            QVERIFY(box);
            QCOMPARE(box->accessibleName(), QStringLiteral("延长的分钟数"));
            box->selectAll();
            QTest::keyClicks(box, QString::number(minutes));
            QTest::keyClick(box, Qt::Key_Return);
            if (QApplication::activeModalWidget() == dialog)
                dialog->reject();
        });
        poll->start(10);
    }

    qint64 number(const QString &statement) { return db.text(statement).toLongLong(); }
    qint64 deadline(const QString &candidate)
    {
        return number(QStringLiteral("select 截止 from 考场座位 where 考号='%1'").arg(candidate));
    }
    // The last log line as 座位|考号|操作者|事件.
    QString lastLog()
    {
        const std::vector<RoomLogEntry> log = readRoomLog(db.store(), kOccasion).value();
        const RoomLogEntry &e = log.back();
        return QStringList{e.seat, e.number, e.who, e.what}.join(u'|');
    }
    qint64 logLines() { return db.count(QStringLiteral("考场日志")); }
    // Moves a candidate's deadline to the database's now plus fromNowMs.
    void setDeadline(const QString &candidate, qint64 fromNowMs)
    {
        QVERIFY(db.store().execute(QStringLiteral("update 考场座位 set 截止=? where 考号=?"),
                                   {serverNow(db.store()).value() + fromNowMs, candidate}));
    }
    qint64 rowsOf(const QString &table, const QString &candidate)
    {
        return number(QStringLiteral("select count(*) from %1 where 考号='%2'").arg(table, candidate));
    }
    QString summary() const { return control<QLabel>(QStringLiteral("考场概况标签"))->text(); }
};

const QString kOverdueHandIn = QStringLiteral("收卷（已过截止时间，由监考交卷）");

void addEngines()
{
    QTest::addColumn<int>("engine");
    QTest::newRow("file") << int(TestEngine::File);
    QTest::newRow("server") << int(TestEngine::Server);
}

#define ROOM_ON_ENGINE                                                                                                \
    QFETCH(int, engine);                                                                                               \
    Room r{TestEngine(engine)};                                                                                        \
    if (QTest::currentTestFailed())                                                                                    \
        return;

} // namespace

class ConsoleWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void listsEachSeatWithItsState_data() { addEngines(); }
    void listsEachSeatWithItsState();
    void actionsChangeTheSeatsAndAreLogged_data() { addEngines(); }
    void actionsChangeTheSeatsAndAreLogged();
    void refusedActionsSayFailedAndChangeNothing_data() { addEngines(); }
    void refusedActionsSayFailedAndChangeNothing();
    void refreshesEveryFiveSecondsKeepingTheChoice();
    void refreshHandsInOverduePapersOnce_data() { addEngines(); }
    void refreshHandsInOverduePapersOnce();
    void twoConsolesHandEachPaperInOnce_data() { addEngines(); }
    void twoConsolesHandEachPaperInOnce();
    void keyboardAndScreenReaderReachEveryAction();
    void logIsListedAndExportedThroughThePrintWindow();
};

void ConsoleWindowTest::listsEachSeatWithItsState()
{
    ROOM_ON_ENGINE
    QCOMPARE(r.main->windowTitle(), QStringLiteral("考试系统-监考"));
    QCOMPARE(r.control<QComboBox>(QStringLiteral("场次选择框"))->currentText(), kOccasion);
    QCOMPARE(r.seats->rowCount(), 4);
    QStringList titles;
    for (int c = Number; c <= State; ++c)
        titles << r.seats->text(0, c);
    QCOMPARE(titles, QStringList({"考号", "姓名", "座位", "开始", "已答/总题数", "剩余时间", "状态"}));
    const auto row = [&](const QString &number) {
        QStringList cells;
        for (int c : {Number, Name, Seat, Progress, State})
            cells << r.cell(number, c);
        return cells;
    };
    QCOMPARE(row(kAnswering), QStringList({"A01", "张三", "seat-1", "2/3", "答题中"}));
    QCOMPARE(row(kHandedIn), QStringList({"A02", "李四", "seat-2", "3/3", "已交卷"}));
    QCOMPARE(row(kSilent), QStringList({"A03", "王五", "seat-3", "1/3", "失去联系"}));
    QVERIFY2(QStringList({"30:00", "29:59", "29:58"}).contains(r.cell(kAnswering, TimeLeft)),
             qPrintable(r.cell(kAnswering, TimeLeft)));
    QCOMPARE(r.cell(kHandedIn, TimeLeft), QString());
    QCOMPARE(r.cell(kAnswering, Start), QDateTime::fromMSecsSinceEpoch(r.now - 600'000).toString("HH:mm:ss"));
    auto *summary = r.control<QLabel>(QStringLiteral("考场概况标签"));
    QVERIFY2(summary->text().startsWith(QStringLiteral("共3人：答题中1，已交卷1，失去联系1")), qPrintable(summary->text()));
    QCOMPARE(summary->accessibleName(), summary->text());
    if (const QByteArray folder = qgetenv("KAOSHI_SHOT_DIR"); !folder.isEmpty())
        QVERIFY(r.main->grab().save(QStringLiteral("%1/console-%2.png")
                                        .arg(QString::fromLocal8Bit(folder), QString::fromLatin1(QTest::currentDataTag()))));
    // Every control speaks to a screen reader.
    for (QWidget *c : r.console->findChildren<QWidget *>()) {
        if (c->objectName().isEmpty() || c->objectName().startsWith(QStringLiteral("qt_")))
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(c);
        QVERIFY2(iface && !iface->text(QAccessible::Name).isEmpty(), qPrintable(c->objectName()));
    }
    QVERIFY(r.platform.messages.isEmpty());
}

void ConsoleWindowTest::actionsChangeTheSeatsAndAreLogged()
{
    ROOM_ON_ENGINE
    // 延长时间 for the chosen seat only.
    r.select(kAnswering);
    const qint64 before = r.deadline(kAnswering);
    r.whenAskedForMinutes(10);
    r.press(QStringLiteral("延长时间按钮"));
    QCOMPARE(r.deadline(kAnswering), before + 10 * 60'000);
    QCOMPARE(r.deadline(kSilent), before);
    QCOMPARE(r.lastLog(), QStringList({"seat-1", "A01", invigilator(), "延长时间 10 分钟"}).join(u'|'));
    QVERIFY2(QStringList({"40:00", "39:59", "39:58"}).contains(r.cell(kAnswering, TimeLeft)),
             qPrintable(r.cell(kAnswering, TimeLeft)));

    // 收卷 without a choice: every seat not handed in. The answering seat is
    // asked; the silent one is handed in from what it kept.
    r.select(QString());
    r.platform.clear();
    r.platform.setNextAnswer(true);
    const qint64 lines = r.logLines();
    r.press(QStringLiteral("收卷按钮"));
    QCOMPARE(r.platform.messages.size(), 1);
    QCOMPARE(r.platform.lastMessage().text, QStringLiteral("收取本场次全部2名未交卷的考生的试卷？"));
    QCOMPARE(r.db.text("select 收卷请求 || '|' || 消息 from 考场座位 where 考号='A01'"),
             QStringLiteral("1|监考老师已收卷，试卷即将交出"));
    QCOMPARE(r.number("select count(*) from 评分 where 考号='A03'"), 3);
    QCOMPARE(r.number("select count(*) from 评分 where 考号='A03' and 考生答案='C'"), 1);
    QCOMPARE(r.number("select count(*) from 答卷 where 考号='A03'"), 0);
    QCOMPARE(r.number("select count(*) from 答卷 where 考号='A01'"), 3);
    QCOMPARE(r.db.text("select 状态 from 考场座位 where 考号='A03'"), kSeatHandedIn);
    QCOMPARE(r.logLines(), lines + 2);
    QCOMPARE(r.cell(kSilent, State), QStringLiteral("已交卷"));
    QCOMPARE(r.cell(kSilent, Progress), QStringLiteral("1/3"));

    // 允许重新登录: the seat is released for the chosen candidate.
    r.select(kAnswering);
    r.platform.setNextAnswer(true);
    r.press(QStringLiteral("允许重新登录按钮"));
    QCOMPARE(r.db.text("select 座位 from 考场座位 where 考号='A01'"), QString());
    QCOMPARE(r.lastLog().section(u'|', 1), QStringList({"A01", invigilator(), "允许重新登录"}).join(u'|'));
    QCOMPARE(r.cell(kAnswering, Seat), QStringLiteral("（已释放）"));

    // A cancelled question changes nothing.
    r.platform.setNextAnswer(false);
    const qint64 all = r.logLines();
    r.press(QStringLiteral("收卷按钮"));
    QCOMPARE(r.logLines(), all);
    QCOMPARE(r.number("select count(*) from 答卷 where 考号='A01'"), 3);
}

void ConsoleWindowTest::refusedActionsSayFailedAndChangeNothing()
{
    ROOM_ON_ENGINE
    const qint64 deadline = r.deadline(kAnswering);
    const auto failure = [&](const QString &what) {
        return Message{what + QStringLiteral("\n拒绝写入"), QStringLiteral("失败"), Message::Icon::Warning};
    };

    // The log refuses: the silent seat's hand-in and the other's request go back with it.
    r.db.refuse(QStringLiteral("考场日志"), QStringLiteral("insert"));
    r.platform.setNextAnswer(true);
    r.press(QStringLiteral("收卷按钮"));
    QCOMPARE(r.platform.lastMessage(), failure(QStringLiteral("没有收卷")));
    QCOMPARE(r.number("select count(*) from 评分 where 考号='A03'"), 0);
    QCOMPARE(r.number("select count(*) from 答卷 where 考号='A03'"), 3);
    QCOMPARE(r.db.text("select 收卷请求 from 考场座位 where 考号='A01'"), QStringLiteral("0"));
    QCOMPARE(r.cell(kSilent, State), QStringLiteral("失去联系"));

    r.whenAskedForMinutes(5);
    r.press(QStringLiteral("延长时间按钮"));
    QCOMPARE(r.platform.lastMessage(), failure(QStringLiteral("没有延长时间")));
    QCOMPARE(r.deadline(kAnswering), deadline);
    QCOMPARE(r.deadline(kSilent), deadline);

    // The seats refuse.
    r.db.refuse(QStringLiteral("考场座位"), QStringLiteral("update"));
    r.select(kAnswering);
    r.platform.setNextAnswer(true);
    r.press(QStringLiteral("允许重新登录按钮"));
    QCOMPARE(r.platform.lastMessage(), failure(QStringLiteral("没有允许重新登录")));
    QCOMPARE(r.db.text("select 座位 from 考场座位 where 考号='A01'"), QStringLiteral("seat-1"));
    QCOMPARE(r.cell(kAnswering, Seat), QStringLiteral("seat-1"));
    QCOMPARE(r.logLines(), 1);
}

void ConsoleWindowTest::refreshesEveryFiveSecondsKeepingTheChoice()
{
    Room r(TestEngine::File);
    if (QTest::currentTestFailed())
        return;
    auto *timer = r.console->findChild<QTimer *>(QStringLiteral("刷新计时器"));
    QVERIFY(timer && timer->isActive());
    QCOMPARE(timer->interval(), 5000);
    r.select(kSilent);
    // The answering seat falls silent and the silent one comes back.
    QVERIFY(r.db.store().execute(QStringLiteral("update 考场座位 set 心跳 = 心跳 - 60000 where 考号='A01'")));
    QVERIFY(r.db.store().execute(QStringLiteral("update 考场座位 set 心跳 = ? where 考号='A03'"),
                                 {serverNow(r.db.store()).value()}));
    QVERIFY(r.db.store().execute(QStringLiteral("update 答卷 set 考生答案='A' where 考号='A03'")));
    timer->setInterval(20);
    QTRY_COMPARE(r.cell(kAnswering, State), QStringLiteral("失去联系"));
    QCOMPARE(r.cell(kSilent, State), QStringLiteral("答题中"));
    QCOMPARE(r.cell(kSilent, Progress), QStringLiteral("3/3"));
    const QModelIndexList chosen = r.seats->selectionModel()->selectedRows();
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(r.seats->text(chosen[0].row() + 1, Number), kSilent);

    // A reading that fails says so above the rows, which stay.
    timer->stop();
    QVERIFY(r.db.store().execute(QStringLiteral("alter table 考场座位 rename to 考场座位旧")));
    r.press(QStringLiteral("刷新按钮"));
    QVERIFY(r.control<QLabel>(QStringLiteral("考场概况标签"))->text().startsWith(QStringLiteral("刷新失败：")));
    QCOMPARE(r.seats->rowCount(), 4);
    QVERIFY(r.platform.messages.isEmpty());
}

void ConsoleWindowTest::refreshHandsInOverduePapersOnce()
{
    ROOM_ON_ENGINE
    // The silent seat's time ran out 20 s ago; the answering seat's a moment
    // ago, so that seat hands in itself.
    r.setDeadline(kSilent, -20'000);
    r.setDeadline(kAnswering, -1'000);
    const qint64 lines = r.logLines();

    // The answers refuse: the paper stays kept, the summary says so, no dialog.
    r.db.refuse(QStringLiteral("评分"), QStringLiteral("insert"));
    r.press(QStringLiteral("刷新按钮"));
    QVERIFY2(r.summary().contains(QStringLiteral("已过截止时间的试卷没有交上（下次刷新再交）：考生A03（王五）：")) &&
                 r.summary().contains(QStringLiteral("拒绝写入")),
             qPrintable(r.summary()));
    QCOMPARE(r.control<QLabel>(QStringLiteral("考场概况标签"))->accessibleName(), r.summary());
    QVERIFY(r.platform.messages.isEmpty());
    QCOMPARE(r.rowsOf(QStringLiteral("答卷"), kSilent), 3);
    QCOMPARE(r.rowsOf(QStringLiteral("答卷计时"), kSilent), 1);
    QCOMPARE(r.rowsOf(QStringLiteral("评分"), kSilent), 0);
    QCOMPARE(r.db.text("select 状态 from 考场座位 where 考号='A03'"), kSeatAnswering);
    QCOMPARE(r.logLines(), lines);
    QCOMPARE(r.cell(kSilent, State), QStringLiteral("失去联系"));

    // Next refresh, with the refusal gone: handed in from what was kept.
    r.db.store().execute(r.db.engine() == TestEngine::Server ? QStringLiteral("drop trigger refuse_评分_insert on 评分")
                                                              : QStringLiteral("drop trigger refuse_评分_insert"));
    r.press(QStringLiteral("刷新按钮"));
    QVERIFY2(!r.summary().contains(QStringLiteral("没有交上")), qPrintable(r.summary()));
    QCOMPARE(r.rowsOf(QStringLiteral("评分"), kSilent), 3);
    QCOMPARE(r.number("select count(*) from 评分 where 考号='A03' and 考生答案='C'"), 1);
    QCOMPARE(r.rowsOf(QStringLiteral("答卷"), kSilent), 0);
    QCOMPARE(r.rowsOf(QStringLiteral("答卷计时"), kSilent), 0);
    QCOMPARE(r.db.text("select 状态 from 考场座位 where 考号='A03'"), kSeatHandedIn);
    QCOMPARE(r.lastLog(), QStringList({"seat-3", "A03", invigilator(), kOverdueHandIn}).join(u'|'));
    QCOMPARE(r.cell(kSilent, State), QStringLiteral("已交卷"));
    QCOMPARE(r.cell(kSilent, Progress), QStringLiteral("1/3"));
    // The seat that still answers is left to hand in itself.
    QCOMPARE(r.rowsOf(QStringLiteral("答卷"), kAnswering), 3);
    QCOMPARE(r.rowsOf(QStringLiteral("评分"), kAnswering), 0);

    // Once is enough.
    r.press(QStringLiteral("刷新按钮"));
    QCOMPARE(r.rowsOf(QStringLiteral("评分"), kSilent), 3);
    QCOMPARE(r.logLines(), lines + 1);
    QVERIFY(r.platform.messages.isEmpty());
}

void ConsoleWindowTest::twoConsolesHandEachPaperInOnce()
{
    ROOM_ON_ENGINE
    // Twenty more silent papers, all past their time, read by two consoles
    // before either hands one in.
    QStringList overdue{kSilent};
    for (int i = 10; i < 30; ++i) {
        const PaperOwner owner{QStringLiteral("C%1").arg(i), kOccasion, QStringLiteral("考生%1").arg(i)};
        r.addSeat(owner, QStringLiteral("seat-%1").arg(i), r.now - 60'000, kSeatAnswering);
        r.keep(owner, {QStringLiteral("A"), QString(), QStringLiteral("B")});
        overdue << owner.number;
    }
    QVERIFY(r.db.store().execute(QStringLiteral("update 考场座位 set 截止=? where 场次=? and 考号 <> ?"),
                                 {r.now - 60'000, kOccasion, kAnswering}));
    std::unique_ptr<DataStore> other = r.db.anotherStore();
    QVERIFY(other->isOpen());
    const RoomListing first = readConsoleRoom(r.db.store(), kOccasion);
    const RoomListing second = readConsoleRoom(*other, kOccasion);
    QVERIFY(!first.failed && !second.failed);
    OverdueHandIn byFirst, bySecond;
    std::thread racing([&] { bySecond = handInOverduePapers(*other, second, QStringLiteral("监考（二）")); });
    byFirst = handInOverduePapers(r.db.store(), first, invigilator());
    racing.join();

    QVERIFY2(byFirst.notHandedIn.isEmpty(), qPrintable(byFirst.notHandedIn.join(u'\n')));
    QVERIFY2(bySecond.notHandedIn.isEmpty(), qPrintable(bySecond.notHandedIn.join(u'\n')));
    QCOMPARE(byFirst.handedIn + bySecond.handedIn, int(overdue.size()));
    for (const QString &candidate : overdue) {
        QCOMPARE(r.rowsOf(QStringLiteral("评分"), candidate), 3);
        QCOMPARE(r.rowsOf(QStringLiteral("答卷"), candidate), 0);
        QCOMPARE(r.number(QStringLiteral("select count(*) from 考场日志 where 考号='%1' and 事件='%2'")
                              .arg(candidate, kOverdueHandIn)),
                 1);
    }
    QCOMPARE(r.rowsOf(QStringLiteral("评分"), kAnswering), 0);
    r.press(QStringLiteral("刷新按钮"));
    QVERIFY2(r.summary().startsWith(QStringLiteral("共23人：答题中1，已交卷22，失去联系0")), qPrintable(r.summary()));
}

void ConsoleWindowTest::keyboardAndScreenReaderReachEveryAction()
{
    Room r(TestEngine::File);
    if (QTest::currentTestFailed())
        return;
    // Arrow keys choose a row: the third is the silent seat.
    r.seats->setFocus();
    for (int i = 0; i < 3; ++i)
        QTest::keyClick(r.seats, Qt::Key_Down);
    QCOMPARE(r.seats->selectionModel()->selectedRows().size(), 1);
    QCOMPARE(r.seats->text(r.seats->selectionModel()->selectedRows()[0].row() + 1, Number), kSilent);
    // Space on the focused button.
    auto *release = r.control<QPushButton>(QStringLiteral("允许重新登录按钮"));
    release->setFocus();
    r.platform.setNextAnswer(true);
    QTest::keyClick(release, Qt::Key_Space);
    QCOMPARE(r.db.text("select 座位 from 考场座位 where 考号='A03'"), QString());
    // A screen reader's press.
    QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(r.control(QStringLiteral("延长时间按钮")));
    QVERIFY(iface && iface->actionInterface());
    QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("延长时间"));
    const qint64 before = r.deadline(kSilent);
    r.whenAskedForMinutes(3);
    iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    QTRY_COMPARE(r.deadline(kSilent), before + 3 * 60'000);
    QCOMPARE(r.deadline(kAnswering), before);
}

void ConsoleWindowTest::logIsListedAndExportedThroughThePrintWindow()
{
    Room r(TestEngine::File);
    if (QTest::currentTestFailed())
        return;
    r.select(kAnswering);
    r.whenAskedForMinutes(2);
    r.press(QStringLiteral("延长时间按钮"));
    auto *pages = r.control<QTabWidget>(QStringLiteral("监考选择夹"));
    pages->setCurrentIndex(1);
    auto *log = r.control<ListGrid>(QStringLiteral("日志表格"));
    QCOMPARE(log->rowCount(), 3);
    QStringList titles;
    for (int c = 1; c < log->columnCount(); ++c)
        titles << log->text(0, c);
    QCOMPARE(titles, QStringList({"时间", "座位", "考号", "场次", "操作者", "事件"}));
    QStringList last;
    for (int c = 2; c < log->columnCount(); ++c)
        last << log->text(2, c);
    QCOMPARE(last, QStringList({"seat-1", "A01", "一", invigilator(), "延长时间 2 分钟"}));
    QCOMPARE(log->text(1, 6), QStringLiteral("登录"));

    r.press(QStringLiteral("导出日志按钮"));
    QWidget *print = r.main->printHandOver().window();
    QVERIFY(print);
    QCOMPARE(print->windowTitle(), QStringLiteral("考场日志导出"));
    QCOMPARE(r.main->printHandOver().request().source.data(), log->gridModel());
    r.main->printHandOver().close();
}

QTEST_MAIN(ConsoleWindowTest)
#include "ConsoleWindowTest.moc"
