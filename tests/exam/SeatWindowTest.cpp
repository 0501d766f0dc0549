// The exam paper as a seat of a computer room: signed in once per candidate
// (a busy seat refused, a silent one taken over after a question), acting on
// what the heartbeat brings (收卷, a release, a take-over elsewhere), and, on a
// server of the test's own that stops, going on offline with the note in the
// status bar until the server is back. KAOSHI_SEAT_SCREENSHOT=<file> saves the
// window while it is offline (run on a real display, e.g. under Xvfb).
#include "OwnServer.h"
#include "PracticeDriving.h"
#include "ProgramState.h"

#include "app/MainWindow.h"
#include "data/ConfigTable.h"
#include "data/PostgresEngine.h"
#include "data/RoomTable.h"
#include "exam/CandidateDialog.h"
#include "exam/ExamPaperWindow.h"
#include "room/SeatJournal.h"
#include "ui/DropDownBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

const PaperOwner kOwner{QStringLiteral("A01"), QStringLiteral("一"), QStringLiteral("张三")};

// 模拟组卷 for kOwner through the sign-in dialog.
ExamPaperWindow *signIn(MainWindow &main)
{
    QTimer::singleShot(0, [] {
        auto *dialog = qobject_cast<CandidateDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<DropDownBox *>(QStringLiteral("考号组合框"))->setEditText(kOwner.number);
        dialog->findChild<DropDownBox *>(QStringLiteral("场次组合框"))->setEditText(kOwner.occasion);
        dialog->findChild<QLineEdit *>(QStringLiteral("姓名编辑框"))->setText(kOwner.name);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("开始考试按钮")), Qt::LeftButton);
        if (QApplication::activeModalWidget() == dialog)
            dialog->close();
    });
    main.runMenuItem(QStringLiteral("模拟组卷"));
    return qobject_cast<ExamPaperWindow *>(main.currentTaskWindow());
}

void trigger(MainWindow &main, const QString &caption)
{
    for (QAction *a : main.findChildren<QAction *>())
        if (a->text() == caption)
            a->trigger();
}

void addQuestions(DataStore &store, int count)
{
    for (int n = 1; n <= count; ++n)
        QVERIFY(store.execute(QStringLiteral("insert into 单选 (题号, 题目, 标准答案, 分值) values (?, ?, 'A', 1)"),
                              {n, QStringLiteral("单选题%1A.甲B.乙C.丙D.丁").arg(n)}));
    ExamSettings exam;
    exam.draws = {count, 0, 0, 0};
    exam.minutes = 30;
    QVERIFY(storeExamSettings(store, exam));
}

// A program on a database file, with a paper of three 单选.
struct FileSeat : ProgramState {
    std::unique_ptr<MainWindow> main;
    FileSeat()
    {
        addQuestions(db.store(), 3);
        QVERIFY(ensurePaperTables(db.store()) && ensureRoomTables(db.store()));
        main = std::make_unique<MainWindow>(context);
        main->applyScreenSize({1920, 1080});
        main->show();
    }
    // Another seat holds kOwner's paper, its last heartbeat ago.
    void heldElsewhere(const QString &seat, qint64 ago)
    {
        const SeatClaim claim = claimSeat(db.store(), kOwner, {seat, {}}, 1800);
        QCOMPARE(claim.outcome, ClaimOutcome::Claimed);
        QVERIFY(db.store().execute(QStringLiteral("update 考场座位 set 心跳 = 心跳 - ?"), {ago}));
        KeptPaper paper{{{QuestionType::SingleChoice, 2, QStringLiteral("C")},
                         {QuestionType::SingleChoice, 3, QString()}},
                        1800};
        QCOMPARE(keepNewPaper(db.store(), kOwner, paper), KeepOutcome::Kept);
    }
};

} // namespace

class SeatWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void aCandidateSittingElsewhereIsRefused();
    void aSilentSeatIsTakenOverAfterTheQuestion();
    void theHeartbeatActsOnTheInvigilatorsRequests_data();
    void theHeartbeatActsOnTheInvigilatorsRequests();
    void anOfflineSeatSaysSoAndSendsWhenTheServerIsBack();
    void anEmptyDrawGivesTheSeatUp();
};

void SeatWindowTest::aCandidateSittingElsewhereIsRefused()
{
    FileSeat s;
    s.heldElsewhere(QStringLiteral("机房2-07"), 1000);
    QVERIFY(!signIn(*s.main));
    QCOMPARE(s.platform.lastMessage(), (Message{QStringLiteral("该考生正在机房2-07考试\n这里没有开始考试"),
                                                QStringLiteral("失败"), Message::Icon::Warning}));
    QCOMPARE(s.db.text("select 座位 from 考场座位"), QStringLiteral("机房2-07"));
}

void SeatWindowTest::aSilentSeatIsTakenOverAfterTheQuestion()
{
    FileSeat s;
    s.heldElsewhere(QStringLiteral("机房2-07"), 61'000);
    // Declined: nothing moves.
    QVERIFY(!signIn(*s.main));
    const Message asked = s.platform.messages.at(s.platform.messages.size() - 1);
    QVERIFY2(asked.text.contains(QStringLiteral("机房2-07")), qPrintable(asked.text));
    QCOMPARE(asked.okText, QStringLiteral("在本机接着考"));
    QCOMPARE(s.db.text("select 座位 from 考场座位"), QStringLiteral("机房2-07"));

    s.platform.setNextAnswer(true);
    ExamPaperWindow *w = signIn(*s.main);
    QVERIFY2(w, qPrintable(s.platform.lastMessage().text));
    QCOMPARE(s.platform.lastMessage().text, QStringLiteral("继续未交的试卷:共 2 题,已答 1 题"));
    QCOMPARE(s.db.text("select 座位 from 考场座位"), ExamPaperWindow::seatName());
    QVERIFY(control<QAbstractButton>(w, QStringLiteral("C单选框"))->isChecked());
    // The time left is the deadline's, kept from the first seat.
    const qint64 left = w->seatSession()->secondsLeft();
    QVERIFY2(left > 1790 && left <= 1800, qPrintable(QString::number(left)));
    QCOMPARE(s.main->statusText(2), remainingTimeText(left));
}

void SeatWindowTest::theHeartbeatActsOnTheInvigilatorsRequests_data()
{
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("told");
    QTest::addColumn<int>("graded");
    QTest::newRow("收卷") << 0 << QStringLiteral("请停笔\n收卷:交卷完毕,共 3 题,已答 1 题") << 3;
    QTest::newRow("允许重新登录") << 1 << QStringLiteral("监考已允许该考生在其他座位登录,本机的考试结束,答案都已保存")
                            << 0;
    QTest::newRow("交卷 elsewhere") << 2 << QStringLiteral("这份试卷已在另一处交卷,本机的考试结束") << 3;
}

void SeatWindowTest::theHeartbeatActsOnTheInvigilatorsRequests()
{
    QFETCH(int, action);
    QFETCH(QString, told);
    QFETCH(int, graded);
    FileSeat s;
    QPointer<ExamPaperWindow> w = signIn(*s.main);
    QVERIFY(w);
    click(w, QStringLiteral("B单选框"));
    const QString who = QStringLiteral("监考");
    if (action == 0)
        QVERIFY(requestCollect(s.db.store(), kOwner, QStringLiteral("请停笔"), who));
    else if (action == 1)
        QVERIFY(releaseSeat(s.db.store(), kOwner, who));
    else
        QCOMPARE(handInKeptPaper(s.db.store(), kOwner, who, QStringLiteral("收卷")), HandInOutcome::HandedIn);
    w->heartbeat();
    QVERIFY(!w || w->isHidden());
    QCOMPARE(s.platform.lastMessage().text, told);
    QCOMPARE(s.db.count("评分"), graded);
    QCOMPARE(s.main->statusText(2), QString());
}

void SeatWindowTest::anOfflineSeatSaysSoAndSendsWhenTheServerIsBack()
{
    OwnServer own;
    QVERIFY2(own.isReady(), qPrintable(own.reason()));
    QCOMPARE(own.admin(QStringLiteral("create database kaoshi encoding 'UTF8' template template0")), QString());
    const ServerSettings settings = own.overNetwork(QStringLiteral("kaoshi"), QStringLiteral("kaoshi"));
    QTemporaryDir dir;
    ScriptedPlatform platform;
    DataStore store(std::make_unique<PostgresEngine>(settings));
    AppContext context{dir.path(), store, platform.platform()};
    context.serverLocation = settings.describe();
    QVERIFY2(store.open(context.serverLocation), qPrintable(store.errorString()));
    addQuestions(store, 3);
    DataStore check(std::make_unique<PostgresEngine>(settings));
    const auto text = [&](const QString &sql) {
        if (!check.isOpen())
            check.open(settings.describe());
        RowSet row = check.query(sql);
        return row.failed() || row.atEnd() ? check.errorString() : row.value(1).toText();
    };

    MainWindow main(context);
    main.applyScreenSize({1280, 800});
    main.show();
    QPointer<ExamPaperWindow> w = signIn(main);
    QVERIFY2(w, qPrintable(platform.lastMessage().text));
    click(w, QStringLiteral("A单选框"));
    QCOMPARE(main.statusText(4), QString());

    check.close();
    QVERIFY(own.halt());
    press(w, QStringLiteral("下题"));
    click(w, QStringLiteral("C单选框"));
    QCOMPARE(main.statusText(4), QStringLiteral("网络中断，答案已保存在本机"));
    QVERIFY(w->isVisible());
    const SeatJournal journal(dir.path(), kOwner);
    QCOMPARE(journal.read().answers.size(), size_t(1));
    // The time keeps running on the offset measured before.
    QVERIFY(main.statusText(2).startsWith(QStringLiteral("剩余时间 ")));
    if (const QByteArray shot = qgetenv("KAOSHI_SEAT_SCREENSHOT"); !shot.isEmpty()) {
        QTest::qWait(300);
        QVERIFY(main.grab().save(QString::fromLocal8Bit(shot)));
    }
    // While the server is gone the check in the background finds nothing.
    w->heartbeat();
    QTest::qWait(2500);
    QCOMPARE(main.statusText(4), QStringLiteral("网络中断，答案已保存在本机"));

    QVERIFY(own.resume());
    w->heartbeat();
    QTRY_COMPARE_WITH_TIMEOUT(main.statusText(4), QString(), 15000);
    QVERIFY(journal.read().isEmpty());
    QCOMPARE(text(QStringLiteral("select string_agg(考生答案, ',' order by 序号) from 答卷")), QStringLiteral("A,C,"));

    // A hand-in while the server is gone waits on the seat and goes in once.
    check.close();
    QVERIFY(own.halt());
    press(w, QStringLiteral("下题"));
    click(w, QStringLiteral("D单选框"));
    platform.setNextAnswer(true);
    trigger(main, QStringLiteral("交卷"));
    QCOMPARE(platform.lastMessage().text,
             QStringLiteral("网络中断：交卷已记在本机，连上服务器后自动交上，请不要关机"));
    QCOMPARE(main.statusText(4), QStringLiteral("网络中断，交卷已记在本机"));
    QVERIFY(w->isVisible());
    QVERIFY(journal.read().handIn);
    QVERIFY(own.resume());
    w->heartbeat();
    QTRY_COMPARE_WITH_TIMEOUT(platform.lastMessage().text, QStringLiteral("交卷完毕,共 3 题,已答 3 题"), 15000);
    QVERIFY(!w || w->isHidden());
    QCOMPARE(text(QStringLiteral("select count(*) from 评分")), QStringLiteral("3"));
    QCOMPARE(text(QStringLiteral("select count(*) from 答卷")), QStringLiteral("0"));
    QVERIFY(journal.read().isEmpty());
    QCOMPARE(main.statusText(4), QString());
}

void SeatWindowTest::anEmptyDrawGivesTheSeatUp()
{
    FileSeat s;
    ExamSettings exam;
    exam.draws = {0, 0, 0, 0};
    exam.minutes = 30;
    QVERIFY(storeExamSettings(s.db.store(), exam));
    QVERIFY(!signIn(*s.main));
    QVERIFY2(s.platform.lastMessage().text.startsWith(QStringLiteral("试卷没有抽到题目")),
             qPrintable(s.platform.lastMessage().text));
    // The candidate is not held as answering anywhere.
    QCOMPARE(s.db.count("考场座位"), 0);
    QCOMPARE(s.db.text("select 事件 from 考场日志 order by rowid desc limit 1"),
             QStringLiteral("没有抽到题目，考试没有开始"));

    // Refused by the database, it is said with the reason.
    s.db.refuse(QStringLiteral("考场座位"), QStringLiteral("delete"));
    const qsizetype before = s.platform.messages.size();
    QVERIFY(!signIn(*s.main));
    QVERIFY(s.platform.messages.size() >= before + 2);
    const Message refused = s.platform.messages.at(s.platform.messages.size() - 2);
    QCOMPARE(refused.caption, QStringLiteral("失败"));
    QVERIFY2(refused.text.startsWith(QStringLiteral("考场中该考生仍记为答题中\n")), qPrintable(refused.text));
    QVERIFY2(refused.text.contains(QStringLiteral("拒绝写入")), qPrintable(refused.text));
    QCOMPARE(s.db.count("考场座位"), 1);
}

QTEST_MAIN(SeatWindowTest)
#include "SeatWindowTest.moc"
