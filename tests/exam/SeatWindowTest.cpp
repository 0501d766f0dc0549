// The exam paper as a seat of a computer room: signed in once per candidate
// (a busy seat refused, a silent one taken over after a question), acting on
// what the heartbeat brings (收卷, a release, a take-over elsewhere), and, on a
// server of the test's own that stops, going on offline with the note in the
// status bar until the server is back. KAOSHI_SEAT_SCREENSHOT=<file> saves the
// window while it is offline (run on a real display, e.g. under Xvfb).
#include "OwnServerRun.h"
#include "PaperSignIn.h"
#include "PracticeDriving.h"
#include "ProgramState.h"

#include "app/MainWindow.h"
#include "data/ConfigTable.h"
#include "data/PictureFileTable.h"
#include "data/PictureTable.h"
#include "data/PostgresEngine.h"
#include "data/RoomTable.h"
#include "exam/CandidateDialog.h"
#include "exam/ExamPaperWindow.h"
#include "practice/PictureBox.h"
#include "room/SeatJournal.h"
#include "ui/DropDownBox.h"
#include "ui/QtPlatform.h"

#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

const PaperOwner kOwner{QStringLiteral("A01"), QStringLiteral("一"), QStringLiteral("张三")};

// 模拟组卷 for kOwner through the sign-in dialog.
ExamPaperWindow *signIn(MainWindow &main) { return signInPaper(main, kOwner); }

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

// Question n of the 单选 bank has one picture row, "图n", its colour picked
// by n; the server holds the bytes of every picture but question kNoBytes's.
constexpr qint64 kNoBytes = 3;
QColor pictureColour(qint64 n) { return QColor::fromHsv(int(n * 60 % 360), 255, 255); }

void addPictures(DataStore &store, int count)
{
    for (int n = 1; n <= count; ++n) {
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(pictureColour(n));
        QByteArray png;
        QBuffer buffer(&png);
        QVERIFY(buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG"));
        const QString location = QStringLiteral("\\image\\单选%1.png").arg(n);
        QVERIFY(pictures::insert(store, QuestionType::SingleChoice, n, {{QStringLiteral("图%1").arg(n), location}}));
        if (n != kNoBytes)
            QVERIFY(pictureFiles::put(store, location, png));
    }
}

// The paper shows the question at index of its 单选 part: its text and its
// picture, or a note where the seat has no copy of the picture.
void expectShown(ExamPaperWindow *w, int index)
{
    const qint64 number = w->paper().part(QuestionType::SingleChoice).at(size_t(index));
    QVERIFY2(question(w).startsWith(QStringLiteral("单选题%1\n").arg(number)), qPrintable(question(w)));
    showPage(w, QStringLiteral("题目区高级选择夹"), 1);
    QCOMPARE(control<QLabel>(w, QStringLiteral("摘要透明标签"))->text(), QStringLiteral("图%1").arg(number));
    const auto *box = control<PictureBox>(w, QStringLiteral("图片框1"));
    if (number != kNoBytes)
        QCOMPARE(box->image().pixel(0, 0), pictureColour(number).rgb());
    else
        QCOMPARE(box->note(), QStringLiteral("图片无法显示"));
    showPage(w, QStringLiteral("题目区高级选择夹"), 0);
}

// What a screen reader reaches from a window's own interface, child by
// child: the first shown interface of that name and role (of any role for
// NoRole); null when none.
QAccessibleInterface *reach(QWidget *window, QAccessible::Role role, const QString &name)
{
    const std::function<QAccessibleInterface *(QAccessibleInterface *)> walk =
        [&](QAccessibleInterface *at) -> QAccessibleInterface * {
        if (!at || at->state().invisible)
            return nullptr;
        if ((role == QAccessible::NoRole || at->role() == role) && at->text(QAccessible::Name) == name)
            return at;
        for (int i = 0; i < at->childCount(); ++i)
            if (QAccessibleInterface *found = walk(at->child(i)))
                return found;
        return nullptr;
    };
    return walk(QAccessible::queryAccessibleInterface(window));
}

// Does the button's accessible action, as a screen reader does.
void pressByAction(QAccessibleInterface *button, const QString &action)
{
    QVERIFY(button && button->actionInterface());
    QVERIFY2(button->actionInterface()->actionNames().contains(action), qPrintable(button->text(QAccessible::Name)));
    button->actionInterface()->doAction(action);
}

// A program on a database file, with a paper of three 单选.
// With realBoxes, its questions and notices are Qt's own message boxes.
struct FileSeat : ProgramState {
    QtPlatform qt;
    std::unique_ptr<AppContext> boxed;
    std::unique_ptr<MainWindow> main;
    explicit FileSeat(bool realBoxes = false)
    {
        addQuestions(db.store(), 3);
        QVERIFY(ensurePaperTables(db.store()) && ensureRoomTables(db.store()));
        if (realBoxes) {
            const Platform scripted = platform.platform();
            boxed = std::make_unique<AppContext>(AppContext{
                context.dataDir, db.store(),
                Platform{qt, scripted.files, scripted.fonts, scripted.desktop, scripted.clock, scripted.waits}});
        }
        main = std::make_unique<MainWindow>(boxed ? *boxed : context);
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
    void aScreenReaderTakesOverAndAnswers();
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
    OwnServerRun run(OwnServerRun::Reach::Network);
    QVERIFY2(run.isReady(), qPrintable(run.failure));
    addQuestions(run.store, 3);
    addPictures(run.store, 3);
    DataStore check(std::make_unique<PostgresEngine>(run.settings));
    const auto text = [&](const QString &sql) {
        if (!check.isOpen())
            check.open(run.settings.describe());
        RowSet row = check.query(sql);
        return row.failed() || row.atEnd() ? check.errorString() : row.value(1).toText();
    };

    MainWindow main(run.context);
    main.applyScreenSize({1280, 800});
    main.show();
    QPointer<ExamPaperWindow> w = signIn(main);
    QVERIFY2(w, qPrintable(run.platform.lastMessage().text));
    click(w, QStringLiteral("A单选框"));
    QCOMPARE(main.statusText(4), QString());

    check.close();
    QVERIFY(run.own.halt());
    // The paper's questions and pictures were read when it opened: the next
    // question shows whole while the server is gone.
    press(w, QStringLiteral("下题"));
    expectShown(w, 1);
    // A screen reader answers through an option's action and reads the note.
    pressByAction(reach(&main, QAccessible::RadioButton, QStringLiteral("B")), QAccessibleActionInterface::toggleAction());
    QCOMPARE(main.statusText(4), QStringLiteral("网络中断，答案已保存在本机"));
    QVERIFY(reach(&main, QAccessible::NoRole, QStringLiteral("网络中断，答案已保存在本机")));
    click(w, QStringLiteral("C单选框"));
    QVERIFY(w->isVisible());
    const SeatJournal journal(run.dir.path(), kOwner);
    const int second = w->paper().position(QuestionType::SingleChoice, 1);
    QCOMPARE(journal.read().answers, (std::vector<JournalAnswer>{{second, QStringLiteral("B")}, {second, QStringLiteral("C")}}));
    press(w, QStringLiteral("上题"));
    expectShown(w, 0);
    QVERIFY(control<QAbstractButton>(w, QStringLiteral("A单选框"))->isChecked());
    press(w, QStringLiteral("下题"));
    QVERIFY(control<QAbstractButton>(w, QStringLiteral("C单选框"))->isChecked());
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

    QVERIFY(run.own.resume());
    w->heartbeat();
    QTRY_COMPARE_WITH_TIMEOUT(main.statusText(4), QString(), 15000);
    QVERIFY(journal.read().isEmpty());
    QCOMPARE(text(QStringLiteral("select string_agg(考生答案, ',' order by 序号) from 答卷")), QStringLiteral("A,C,"));

    // A hand-in while the server is gone waits on the seat and goes in once.
    check.close();
    QVERIFY(run.own.halt());
    press(w, QStringLiteral("下题"));
    click(w, QStringLiteral("D单选框"));
    run.platform.setNextAnswer(true);
    trigger(main, QStringLiteral("交卷"));
    QCOMPARE(run.platform.lastMessage().text,
             QStringLiteral("网络中断：交卷已记在本机，连上服务器后自动交上，请不要关机"));
    QCOMPARE(main.statusText(4), QStringLiteral("网络中断，交卷已记在本机"));
    QVERIFY(w->isVisible());
    QVERIFY(journal.read().handIn);
    QVERIFY(run.own.resume());
    w->heartbeat();
    QTRY_COMPARE_WITH_TIMEOUT(run.platform.lastMessage().text, QStringLiteral("交卷完毕,共 3 题,已答 3 题"), 15000);
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

void SeatWindowTest::aScreenReaderTakesOverAndAnswers()
{
    FileSeat s(true);
    s.heldElsewhere(QStringLiteral("机房2-07"), 61'000);
    // Each of Qt's boxes is answered as a screen reader does: what it says is
    // read from its accessible text, and its button is pressed by its action
    // (a press clicks a moment later, so each box is pressed once).
    QStringList heard;
    QList<bool> readable;
    QPointer<QMessageBox> pressed;
    QTimer boxes;
    connect(&boxes, &QTimer::timeout, &boxes, [&] {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || box == pressed)
            return;
        pressed = box;
        heard << box->text();
        readable << bool(reach(box, QAccessible::NoRole, box->text()));
        QAccessibleInterface *button = reach(box, QAccessible::PushButton, QStringLiteral("在本机接着考"));
        if (!button)
            button = QAccessible::queryAccessibleInterface(box->button(QMessageBox::Ok));
        const QString press = QAccessibleActionInterface::pressAction();
        if (button && button->actionInterface() && button->actionInterface()->actionNames().contains(press))
            button->actionInterface()->doAction(press);
        else
            box->reject(); // not pressable: the checks below fail
    });
    boxes.start(20);
    ExamPaperWindow *w = signIn(*s.main);
    boxes.stop();
    QVERIFY2(w, qPrintable(heard.join(u'|')));
    QCOMPARE(heard.size(), 2);
    QCOMPARE(readable, QList<bool>({true, true}));
    QVERIFY2(heard[0].contains(QStringLiteral("机房2-07")), qPrintable(heard[0]));
    QCOMPARE(heard[1], QStringLiteral("继续未交的试卷:共 2 题,已答 1 题"));
    QCOMPARE(s.db.text("select 座位 from 考场座位"), ExamPaperWindow::seatName());

    // The options are reached from the window and pressed by their action.
    QAccessibleInterface *chosen = reach(s.main.get(), QAccessible::RadioButton, QStringLiteral("C"));
    QVERIFY(chosen && chosen->state().checked);
    pressByAction(reach(s.main.get(), QAccessible::RadioButton, QStringLiteral("A")),
                  QAccessibleActionInterface::toggleAction());
    QCOMPARE(s.db.text("select 考生答案 from 答卷 where 题号=2"), QStringLiteral("A"));
    QVERIFY(!chosen->state().checked);
}

QTEST_MAIN(SeatWindowTest)
#include "SeatWindowTest.moc"
