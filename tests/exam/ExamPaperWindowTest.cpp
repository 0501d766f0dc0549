// The exam paper driven as a candidate and an invigilator use it: signed in
// through the dialog, answered through its controls, handed in through the
// menu 试卷, timed with the scripted clock, and graded afterwards.
#include "support/AnswerRows.h"
#include "support/PaperSignIn.h"
#include "support/PracticeDriving.h"
#include "support/ProgramState.h"
#include "support/TestDatabase.h"

#include "app/MainWindow.h"
#include "app/NavigationBar.h"
#include "data/ConfigTable.h"
#include "data/RoomTable.h"
#include "exam/CandidateDialog.h"
#include "exam/ExamPaperWindow.h"
#include "grading/GradingWindow.h"
#include "practice/PracticeSession.h"
#include "practice/QuestionLayout.h"
#include "ui/DropDownBox.h"
#include "ui/ListGrid.h"
#include "ui/ScriptedPlatform.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <memory>
#include <set>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

// Texts only a standard answer or an explanation carries.
const QString kSecretAnswer = QStringLiteral("标准答案甲");
const QString kSecretExplanation = QStringLiteral("解析乙");

struct Program : ProgramState {
    std::unique_ptr<MainWindow> main;

    // Banks of 6, 3, 2 and 2 questions; 单选 answers A, 多选 AC, 判断 √.
    Program()
    {
        const struct {
            QString type;
            int count;
            QString answer;
        } banks[] = {{"单选", 6, "A"}, {"多选", 3, "AC"}, {"判断", 2, "√"}, {"问答", 2, kSecretAnswer}};
        for (const auto &b : banks)
            for (int n = 1; n <= b.count; ++n)
                db.addQuestion(b.type, {n, QStringLiteral("%1题%2A.甲B.乙C.丙").arg(b.type).arg(n), b.answer,
                                        kSecretExplanation, 2});
        start();
    }
    void start()
    {
        main = std::make_unique<MainWindow>(context);
        main->applyScreenSize({1920, 1080});
        main->show();
    }
    void configure(const ExamSettings &config) { QVERIFY(storeExamSettings(db.store(), config)); }

    // 模拟组卷 with the three texts, as typed into the sign-in dialog.
    ExamPaperWindow *signIn(const QString &number = QStringLiteral("A01"), const QString &occasion = QStringLiteral("一"),
                            const QString &name = QStringLiteral("张三"))
    {
        return signInPaper(*main, {number, occasion, name});
    }
    QAction *menuAction(const QString &caption)
    {
        for (QAction *a : main->findChildren<QAction *>())
            if (a->text() == caption)
                return a;
        return nullptr;
    }
    // The visible menus, each marked + when enabled and - when not.
    QStringList menus()
    {
        QStringList list;
        for (QAction *a : main->menuBar()->actions())
            if (a->isVisible())
                list << a->text() + (a->isEnabled() ? "+" : "-");
        return list;
    }
    QString scored() { return db.text("select group_concat(题型||题号||'='||考生答案, ';') from (select * from 评分 order by rowid)"); }
    QString kept() { return db.text("select group_concat(题型||题号||'='||考生答案, ';') from (select * from 答卷 order by 序号)"); }
};

void showAnswerPage(QWidget *w, int page) { showPage(w, QStringLiteral("答题区高级选择夹"), page); }
QString numberBox(QWidget *w, const QString &type) { return box(w, type)->text(); }

// Every text a control of the window shows.
QStringList shownTexts(QWidget *window)
{
    QStringList texts;
    for (QTextEdit *e : window->findChildren<QTextEdit *>())
        texts << e->toPlainText();
    for (QLabel *l : window->findChildren<QLabel *>())
        texts << l->text();
    for (ListGrid *g : window->findChildren<ListGrid *>())
        for (int r = 0; r < g->rowCount(); ++r)
            for (int c = 0; c < g->model()->columnCount(); ++c)
                texts << g->text(r, c);
    return texts;
}

} // namespace

class ExamPaperWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void aFullPaperFromSignInToGrading();
    void drawCountsDecideThePaper();
    void theTimeRunningOutHandsIn();
    void aPaperLeftWithoutHandInResumes();
    void aRefusedHandInKeepsEveryAnswer();
    void aSecondCopyOfTheProgramNeitherDrawsNorHandsInTwice();
    void screenReaderActionsKeysAndCodeAreKeptOnTheQuestion();
    void aTimeLeftNotKeptIsSaidAndTriedAgain();
    void theCountdownIsAnnouncedAtTenFiveAndOneMinutesOnly();
    void shuffledOptionsAreChosenAsShownAndKeptInTheQuestionsOwnLetters();
    void unshuffledQuestionsComeInTiHaoOrder();
    void aPaperWhoseOptionOrdersAreRefusedIsNotKept();
};

void ExamPaperWindowTest::aFullPaperFromSignInToGrading()
{
    Program p;
    p.configure({2, 2, 1, 1, 0});
    ExamPaperWindow *w = p.signIn(QStringLiteral("A 01"));
    QVERIFY(w);
    QCOMPARE(p.main->windowTitle(), QStringLiteral("考试系统-考试"));
    QCOMPARE(p.platform.lastMessage().text, QStringLiteral("本次试卷共 6 题:单选 2 题,多选 2 题,判断 1 题,问答 1 题"));
    QCOMPARE(p.main->statusText(2), QString()); // no time limit

    // Only the menu 试卷 is offered; Esc closes neither the paper nor the program.
    QCOMPARE(p.menus(), QStringList({"考试-", "练习-", "题库-", "试卷+", "管理-"}));
    QVERIFY(!p.main->navigationBar()->isEnabled());
    QTest::keyClick(w, Qt::Key_Escape);
    QTest::keyClick(p.main.get(), Qt::Key_Escape);
    QVERIFY(w->isVisible() && p.main->isVisible());

    // No standard answer or explanation is anywhere on the paper.
    QVERIFY(!w->findChild<QWidget *>(QStringLiteral("标准答案超级编辑框")));
    QVERIFY(!w->findChild<QWidget *>(QStringLiteral("解析超级编辑框")));
    QVERIFY(!w->findChild<QWidget *>(QStringLiteral("错题高级表格")));
    QStringList pages;
    auto *questionTabs = control<QTabWidget>(w, QStringLiteral("题目区高级选择夹"));
    for (int i = 0; i < questionTabs->count(); ++i)
        pages << questionTabs->tabText(i);
    QCOMPARE(pages, QStringList({"文字", "图片", "答题卡"}));
    QStringList buttons;
    for (QAction *a : control<QToolBar>(w, QStringLiteral("工具条1"))->actions())
        buttons << a->text();
    QCOMPARE(buttons, QStringList({"字体", "首题", "上题", "下题", "尾题", "保存"}));
    for (QWidget *c : w->findChildren<QWidget *>()) {
        if (c->objectName().isEmpty() || c->objectName().startsWith(QStringLiteral("qt_")))
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(c);
        // An empty label is left out of the reading.
        QVERIFY2(iface && (!iface->text(QAccessible::Name).isEmpty() || iface->state().invisible),
                 qPrintable(c->objectName()));
    }

    // 单选: 第 1 题 kept the moment it is ticked; 下题 and A on 第 2 题.
    const std::vector<qint64> single = w->paper().part(QuestionType::SingleChoice);
    QCOMPARE(numberBox(w, "单选"), QStringLiteral("1"));
    QVERIFY(question(w).startsWith(QStringLiteral("单选题%1").arg(single[0])));
    click(w, "B单选框");
    QCOMPARE(p.kept().section(u';', 0, 0), QStringLiteral("单选%1=B").arg(single[0]));
    press(w, "下题");
    QCOMPARE(numberBox(w, "单选"), QStringLiteral("2"));
    click(w, "A单选框");
    press(w, "下题"); // stays on the last
    QCOMPARE(numberBox(w, "单选"), QStringLiteral("2"));
    press(w, "首题");
    QVERIFY(control<QAbstractButton>(w, "B单选框")->isChecked());
    // 多选: A and C on 第 1 题 only; 问答: a typed answer, kept trimmed by 保存.
    showAnswerPage(w, 1);
    click(w, "C选择框");
    click(w, "A选择框");
    showAnswerPage(w, 3);
    // Chinese text arrives from the input method as committed text.
    control<QTextEdit>(w, "问答超级编辑框")->insertPlainText(QStringLiteral("  北京　"));
    press(w, "保存");
    for (int page = 0; page < 4; ++page) {
        showAnswerPage(w, page);
        for (const QString &text : shownTexts(w))
            QVERIFY2(!text.contains(kSecretAnswer) && !text.contains(kSecretExplanation), qPrintable(text));
    }
    const QString overview = control<ListGrid>(w, "答题卡高级表格")->text(2, 3);
    QCOMPARE(overview, QStringLiteral("2"));

    // 交卷 names the unanswered questions; Cancel leaves the paper open.
    p.platform.setNextAnswer(false);
    p.menuAction("交卷")->trigger();
    QCOMPARE(p.platform.lastMessage(), (Message{QStringLiteral("还有 2 题没有作答,确定交卷?"), QStringLiteral("注意")}));
    QPointer<ExamPaperWindow> paper = w;
    QVERIFY(paper && paper->isVisible());
    p.platform.setNextAnswer(true);
    p.menuAction("交卷")->trigger();
    QVERIFY(!paper || paper->isHidden());
    QCOMPARE(p.platform.lastMessage().text, QStringLiteral("交卷完毕,共 6 题,已答 4 题"));
    QCOMPARE(p.menus(), QStringList({"考试+", "练习+", "题库+", "管理+"}));
    QVERIFY(p.main->navigationBar()->isEnabled());
    QCOMPARE(p.db.count("评分"), 6);
    QCOMPARE(p.db.count("答卷"), 0);
    QCOMPARE(p.db.text("select count(*) from 评分 where 考号='A01' and 场次='一' and 姓名='张三'"), QStringLiteral("6"));
    QCOMPARE(p.db.text("select 考生答案 from 评分 where 题型='问答'"), QStringLiteral("北京"));
    QCOMPARE(p.db.text("select 考生答案 from 评分 where 题型='判断'"), QString());

    // The sign-in now refuses this 考号 and 场次; grading gives the total:
    // 单选 第 2 题 (A) and 多选 第 1 题 (AC) are right, 2 points each.
    for (const QString &number : {QStringLiteral("A01"), QStringLiteral("A0 1")}) {
        QVERIFY(!p.signIn(number));
        QCOMPARE(p.platform.lastMessage().text, QStringLiteral("该考生该场次已交卷,想重新作答请换场次"));
    }
    p.main->runMenuItem(QStringLiteral("评分"));
    auto *grading = qobject_cast<GradingWindow *>(p.main->currentTaskWindow());
    QVERIFY(grading);
    control<DropDownBox>(grading, "考号组合框")->setEditText(QStringLiteral("A01"));
    for (QAction *a : control<QToolBar>(grading, "工具条1")->actions())
        if (a->text() == QStringLiteral("评分"))
            a->trigger();
    auto *grid = control<ListGrid>(grading, "高级表格1");
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->text(1, 6) + grid->text(1, 7) + grid->text(1, 8) + "=" + grid->text(1, 9),
             QStringLiteral("A01一张三=4"));
}

void ExamPaperWindowTest::screenReaderActionsKeysAndCodeAreKeptOnTheQuestion()
{
    Program p;
    p.configure({2, 2, 1, 0, 0});
    ExamPaperWindow *w = p.signIn();
    QVERIFY(w);
    p.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.main.get()));
    const auto keptAt = [&](int position) { return p.kept().section(u';', position, position); };
    const auto doAction = [&](const char *name, const QString &action) {
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(control<QAbstractButton>(w, name));
        QVERIFY(iface && iface->actionInterface());
        QVERIFY(iface->actionInterface()->actionNames().contains(action));
        iface->actionInterface()->doAction(action);
    };
    const qint64 single = w->paper().part(QuestionType::SingleChoice)[0];
    const qint64 multiple = w->paper().part(QuestionType::MultipleChoice)[0];
    const qint64 verdict = w->paper().part(QuestionType::TrueFalse)[0];

    // 单选: a screen reader's action, then the arrow key moves the choice on.
    doAction("C单选框", QAccessibleActionInterface::toggleAction());
    QCOMPARE(keptAt(0), QStringLiteral("单选%1=C").arg(single));
    auto *c = control<QAbstractButton>(w, "C单选框");
    c->setFocus();
    QTRY_VERIFY(c->hasFocus());
    QTest::keyClick(c, Qt::Key_Right);
    QVERIFY(control<QAbstractButton>(w, "D单选框")->isChecked());
    QCOMPARE(keptAt(0), QStringLiteral("单选%1=D").arg(single));
    QCOMPARE(numberBox(w, "单选"), QStringLiteral("1"));

    // 多选: the space bar, then a screen reader's action, add to the answer.
    showAnswerPage(w, 1);
    auto *b = control<QAbstractButton>(w, "B选择框");
    b->setFocus();
    QTRY_VERIFY(b->hasFocus());
    QTest::keyClick(b, Qt::Key_Space);
    QCOMPARE(keptAt(2), QStringLiteral("多选%1=B").arg(multiple));
    doAction("D选择框", QAccessibleActionInterface::toggleAction());
    QCOMPARE(keptAt(2), QStringLiteral("多选%1=BD").arg(multiple));
    QCOMPARE(numberBox(w, "多选"), QStringLiteral("1"));

    // 判断: a choice set from code is kept too.
    showAnswerPage(w, 2);
    control<QAbstractButton>(w, "错单选框")->setChecked(true);
    QCOMPARE(keptAt(4), QStringLiteral("判断%1=×").arg(verdict));
    QCOMPARE(w->paper().answered(), 3);
    QCOMPARE(control<ListGrid>(w, "答题卡高级表格")->text(3, 2), QStringLiteral("1/1"));
}

void ExamPaperWindowTest::aTimeLeftNotKeptIsSaidAndTriedAgain()
{
    Program p;
    p.configure({2, 0, 0, 0, 10});
    ExamPaperWindow *w = p.signIn();
    QVERIFY(w);
    QVERIFY(refuseWrites(p.db.store(), "答卷计时", "update"));
    p.platform.advanceClock(11000);
    w->tick();
    QCOMPARE(p.main->statusText(4), QStringLiteral("剩余时间没有保存，正在重试"));
    QCOMPARE(p.db.text("select 剩余秒数 from 答卷计时"), QStringLiteral("600"));
    p.platform.advanceClock(1000);
    w->tick(); // tried again, refused again
    QCOMPARE(p.main->statusText(4), QStringLiteral("剩余时间没有保存，正在重试"));
    QVERIFY(p.db.store().execute(QStringLiteral("drop trigger 拒绝_答卷计时_update")));
    p.platform.advanceClock(1000);
    w->tick();
    QCOMPARE(p.main->statusText(4), QString());
    QCOMPARE(p.db.text("select 剩余秒数 from 答卷计时"), QStringLiteral("587"));
    QCOMPARE(p.main->statusText(2), QStringLiteral("剩余时间 09:47"));
}

// The name changes a screen reader is told of, by the object they concern.
QList<QObject *> g_nameChanges;
void recordNameChange(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::NameChanged)
        g_nameChanges << event->object();
}

void ExamPaperWindowTest::theCountdownIsAnnouncedAtTenFiveAndOneMinutesOnly()
{
    Program p;
    p.configure({2, 0, 0, 0, 11});
    ExamPaperWindow *w = p.signIn();
    QVERIFY(w);
    QObject *time = p.main->findChild<QLabel *>(QStringLiteral("状态条1第2栏"));
    QObject *candidate = p.main->findChild<QLabel *>(QStringLiteral("状态条1第1栏"));
    g_nameChanges.clear();
    if (!QAccessible::isActive())
        QSKIP("needs a screen reader's bus: run under ../shared/tools/with-a11y");
    QAccessible::installUpdateHandler(recordNameChange);
    const auto runTo = [&](qint64 secondsLeft) {
        while (true) {
            p.platform.advanceClock(1000);
            w->tick();
            if (p.main->statusText(2) == remainingTimeText(secondsLeft))
                return;
        }
    };
    runTo(599);
    QCOMPARE(g_nameChanges.count(time), 1); // at 10:00, not each of the 61 seconds
    p.platform.advanceClock(298 * 1000);
    runTo(299);
    runTo(59);
    QCOMPARE(g_nameChanges.count(time), 3);
    // Read on demand: the part is named by the time it shows.
    QCOMPARE(QAccessible::queryAccessibleInterface(time)->text(QAccessible::Name), QStringLiteral("剩余时间 00:59"));
    // Other parts still tell of every change.
    p.main->setStatusText(1, QStringLiteral("考号:B02"));
    QVERIFY(g_nameChanges.count(candidate) >= 1);
    QAccessible::installUpdateHandler(nullptr);
}

void ExamPaperWindowTest::drawCountsDecideThePaper()
{
    const struct {
        ExamSettings config;
        std::array<int, 4> drawn; // all 0: refused
        QString message;
    } cases[] = {
        {{0, 0, 0, 0, 30}, {0, 0, 0, 0}, "试卷没有抽到题目,考试没有开始。请在“配置”中设置抽题数,并检查题库。"},
        {{-3, -1, 0, -9, 0}, {0, 0, 0, 0}, "试卷没有抽到题目,考试没有开始。请在“配置”中设置抽题数,并检查题库。"},
        {{-2, 0, 5, 0, 0}, {0, 0, 2, 0}, "本次试卷共 2 题:单选 0 题,多选 0 题,判断 2 题,问答 0 题\n判断题库只有 2 题,少于配置的 5 题"},
        {{6, 1, 0, 2, 0}, {6, 1, 0, 2}, "本次试卷共 9 题:单选 6 题,多选 1 题,判断 0 题,问答 2 题"},
    };
    int occasion = 0;
    for (const auto &c : cases) {
        Program p;
        p.configure(c.config);
        ExamPaperWindow *w = p.signIn(QStringLiteral("B02"), QString::number(++occasion));
        QCOMPARE(p.platform.lastMessage().text, c.message);
        if (c.drawn == std::array<int, 4>{}) {
            QVERIFY(!w && !p.main->currentTaskWindow());
            QCOMPARE(p.menus(), QStringList({"考试+", "练习+", "题库+", "管理+"}));
            QCOMPARE(p.db.text("select count(*) from 答卷"), QStringLiteral("0"));
            continue;
        }
        QVERIFY(w);
        for (int bank = 0; bank < 4; ++bank) {
            const std::vector<qint64> &part = w->paper().part(*typeAt(bank));
            QCOMPARE(int(part.size()), c.drawn[size_t(bank)]);
            QCOMPARE(std::set<qint64>(part.begin(), part.end()).size(), part.size());
        }
        // A bank of the paper without questions shows an empty page.
        showAnswerPage(w, 1);
        QCOMPARE(question(w).isEmpty(), c.drawn[1] == 0);
    }
    // Empty banks give no paper, whatever 配置 asks.
    Program empty;
    for (const QString &type : {"单选", "多选", "判断", "问答"})
        empty.db.store().execute(QStringLiteral("delete from ") + type);
    empty.configure({3, 3, 3, 3, 0});
    QVERIFY(!empty.signIn());
    QVERIFY(empty.platform.lastMessage().text.startsWith(QStringLiteral("试卷没有抽到题目")));
}

void ExamPaperWindowTest::theTimeRunningOutHandsIn()
{
    Program p;
    p.configure({1, 0, 0, 0, 2});
    p.platform.setClock(5000);
    ExamPaperWindow *w = p.signIn();
    QVERIFY(w);
    QCOMPARE(p.main->statusText(2), QStringLiteral("剩余时间 02:00"));
    p.platform.advanceClock(1000);
    w->tick();
    QCOMPARE(p.main->statusText(2), QStringLiteral("剩余时间 01:59"));
    p.platform.advanceClock(20000);
    w->tick();
    QCOMPARE(p.main->statusText(2), QStringLiteral("剩余时间 01:39"));
    QCOMPARE(p.db.text("select 剩余秒数 from 答卷计时"), QStringLiteral("99"));
    click(w, "D单选框");
    const int shown = p.platform.messages.size();
    p.platform.advanceClock(100000);
    QPointer<ExamPaperWindow> paper = w;
    w->tick();
    // Handed in without a question, the answer given included.
    QVERIFY(!paper || paper->isHidden());
    QCOMPARE(p.platform.messages.size(), shown + 1);
    QCOMPARE(p.platform.lastMessage().text, QStringLiteral("考试时间到:交卷完毕,共 1 题,已答 1 题"));
    QCOMPARE(p.db.text("select 考生答案 from 评分"), QStringLiteral("D"));
    QCOMPARE(p.main->statusText(2), QString());
    QCOMPARE(p.menus(), QStringList({"考试+", "练习+", "题库+", "管理+"}));
}

void ExamPaperWindowTest::aPaperLeftWithoutHandInResumes()
{
    Program p;
    p.configure({3, 1, 0, 0, 10});
    ExamPaperWindow *w = p.signIn();
    QVERIFY(w);
    const std::vector<qint64> single = w->paper().part(QuestionType::SingleChoice);
    const std::vector<qint64> multiple = w->paper().part(QuestionType::MultipleChoice);
    press(w, "下题");
    click(w, "C单选框");
    p.platform.advanceClock(30000);
    w->tick();
    // The program ends without a hand-in (as at a power cut): nothing in 评分.
    p.main.reset();
    QCOMPARE(p.db.count("评分"), 0);
    // The time runs to the deadline on the database's clock, also while the
    // program is off: half a minute has passed there as well.
    QVERIFY(p.db.store().execute(QStringLiteral("update 考场座位 set 截止 = 截止 - 30000")));

    p.platform.clear();
    p.platform.setClock(0); // a new run of the system
    p.start();
    w = p.signIn();
    QVERIFY(w);
    QCOMPARE(p.platform.lastMessage().text, QStringLiteral("继续未交的试卷:共 4 题,已答 1 题"));
    QCOMPARE(w->paper().part(QuestionType::SingleChoice), single);
    QCOMPARE(w->paper().part(QuestionType::MultipleChoice), multiple);
    const qint64 left = w->seatSession()->secondsLeft();
    QVERIFY2(left <= 570 && left > 560, qPrintable(QString::number(left)));
    QCOMPARE(p.main->statusText(2), remainingTimeText(left));
    press(w, "下题");
    QVERIFY(control<QAbstractButton>(w, "C单选框")->isChecked());
    QVERIFY(question(w).startsWith(QStringLiteral("单选题%1").arg(single[1])));
    p.menuAction("收卷")->trigger();
    QCOMPARE(p.platform.lastMessage().text, QStringLiteral("收卷:交卷完毕,共 4 题,已答 1 题"));
    QCOMPARE(p.scored(), QStringLiteral("单选%1=;单选%2=C;单选%3=;多选%4=")
                             .arg(single[0]).arg(single[1]).arg(single[2]).arg(multiple[0]));
}

void ExamPaperWindowTest::aRefusedHandInKeepsEveryAnswer()
{
    Program p;
    p.configure({2, 0, 1, 0, 0});
    ExamPaperWindow *w = p.signIn();
    QVERIFY(w);
    const std::vector<qint64> single = w->paper().part(QuestionType::SingleChoice);
    click(w, "B单选框");
    showAnswerPage(w, 2);
    click(w, "错单选框");
    // A drawn question deleted while the paper is open still gets its row,
    // and still shows as it was read when the paper opened.
    p.db.store().execute(QStringLiteral("delete from 单选 where 题号=?"), {single[1]});
    showAnswerPage(w, 0);
    press(w, "下题");
    QVERIFY(question(w).startsWith(QStringLiteral("单选题%1").arg(single[1])));

    // An answer the database does not keep is said so, and still handed in.
    QVERIFY(refuseWrites(p.db.store(), "答卷", "update"));
    showAnswerPage(w, 0);
    press(w, "首题");
    click(w, "C单选框");
    QCOMPARE(p.platform.lastMessage(),
             (Message{QStringLiteral("答案没有保存\n拒绝写入"), QStringLiteral("失败"), Message::Icon::Warning}));
    QVERIFY(p.db.store().execute(QStringLiteral("drop trigger 拒绝_答卷_update")));

    QVERIFY(refuseWrites(p.db.store(), "评分", "insert"));
    p.menuAction("收卷")->trigger();
    QCOMPARE(p.platform.lastMessage(), (Message{QStringLiteral("试卷没有交上,答案都还在,请再交卷\n拒绝写入"),
                                                QStringLiteral("失败"), Message::Icon::Warning}));
    QVERIFY(w->isVisible());
    QCOMPARE(p.menus(), QStringList({"考试-", "练习-", "题库-", "试卷+", "管理-"}));
    QCOMPARE(p.db.count("评分"), 0);
    QCOMPARE(w->paper().answered(), 2);
    QCOMPARE(p.db.text("select group_concat(考生答案) from 答卷 where 考生答案<>''"), QStringLiteral("B,×"));

    QVERIFY(p.db.store().execute(QStringLiteral("drop trigger 拒绝_评分_insert")));
    p.platform.setNextAnswer(true);
    p.menuAction("交卷")->trigger();
    QCOMPARE(p.platform.lastMessage().text, QStringLiteral("交卷完毕,共 3 题,已答 2 题"));
    QCOMPARE(p.scored().split(u';').size(), 3);
    QVERIFY(p.scored().contains(QStringLiteral("单选%1=C;单选%2=;").arg(single[0]).arg(single[1])));
}

void ExamPaperWindowTest::aSecondCopyOfTheProgramNeitherDrawsNorHandsInTwice()
{
    Program p;
    p.configure({2, 0, 0, 0, 0});
    // Another copy on the same file has claimed this candidate's paper.
    DataStore other;
    QVERIFY(other.open(p.db.path()));
    QVERIFY(ensurePaperTables(other));
    QVERIFY(other.execute(QStringLiteral("insert into 答卷计时 (考号,场次,剩余秒数) values ('A01','一',-1)")));
    QVERIFY(!p.signIn());
    QCOMPARE(p.platform.lastMessage().caption, QStringLiteral("失败"));
    QVERIFY2(p.platform.lastMessage().text.startsWith(QStringLiteral("该考生正在考试\n")),
             qPrintable(p.platform.lastMessage().text));
    QCOMPARE(p.db.count("答卷"), 0);
    QVERIFY(other.execute(QStringLiteral("delete from 答卷计时")));

    // This copy draws; the other copy hands the same paper in first.
    ExamPaperWindow *w = p.signIn();
    QVERIFY(w);
    const std::vector<PaperItem> items = w->paper().items();
    QCOMPARE(handInPaper(other, {"A01", "一", "张三"}, items), HandInOutcome::HandedIn);
    p.platform.setNextAnswer(true);
    p.menuAction("交卷")->trigger();
    QCOMPARE(p.platform.lastMessage().caption, QStringLiteral("失败"));
    QVERIFY2(p.platform.lastMessage().text.startsWith(QStringLiteral("试卷没有交上\n这份试卷已不在数据库中")),
             qPrintable(p.platform.lastMessage().text));
    QCOMPARE(p.db.count("评分"), 2); // graded once
}


void ExamPaperWindowTest::shuffledOptionsAreChosenAsShownAndKeptInTheQuestionsOwnLetters()
{
    Program p;
    // A 单选 whose options do not split cleanly is never moved.
    const QString unclear = QStringLiteral("单选题7问A.1B.维生素C.C.钙");
    p.db.addQuestion(QStringLiteral("单选"), {7, unclear, QStringLiteral("A"), {}, 2});
    p.configure({7, 3, 1, 0, 0});
    QVERIFY(storePaperShuffle(p.db.store(), {true, true}));
    ExamPaperWindow *w = p.signIn();
    QVERIFY(w);
    p.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.main.get()));
    const std::vector<qint64> single = w->paper().part(QuestionType::SingleChoice);
    const std::vector<qint64> multiple = w->paper().part(QuestionType::MultipleChoice);

    // Each choice question shows 甲, 乙 and 丙 relettered A, B, C in an order
    // of its own; the texts shown are what a resumed paper must show again.
    QStringList shown;
    bool anyMoved = false;
    for (const auto &[type, part] : {std::pair{QStringLiteral("单选"), single}, std::pair{QStringLiteral("多选"), multiple}}) {
        showAnswerPage(w, type == QStringLiteral("单选") ? 0 : 1);
        for (size_t i = 0; i < part.size(); ++i) {
            box(w, type)->setText(QString::number(i + 1));
            w->pane().load();
            const QString text = question(w);
            shown << text;
            if (part[i] == 7) {
                QCOMPARE(text, shownQuestionText(unclear));
                continue;
            }
            QStringList lines = text.split(u'\n');
            QCOMPARE(lines.mid(0, 2), QStringList({QStringLiteral("%1题%2").arg(type).arg(part[i]), QString()}));
            QCOMPARE(QStringList({lines[2].left(2), lines[3].left(2), lines[4].left(2)}), QStringList({"A.", "B.", "C."}));
            QStringList bodies{lines[2].mid(2), lines[3].mid(2), lines[4].mid(2)};
            anyMoved = anyMoved || bodies != QStringList({"甲", "乙", "丙"});
            bodies.sort();
            QCOMPARE(bodies, QStringList({"丙", "乙", "甲"}));
        }
    }
    QVERIFY(anyMoved);
    const int unclearPosition = int(std::find(single.begin(), single.end(), 7) - single.begin());
    QCOMPARE(p.db.text(QStringLiteral("select count(*) from 答卷顺序 where 序号=%1").arg(unclearPosition)), QStringLiteral("0"));
    QCOMPARE(p.db.count("答卷顺序"), 9);

    // The mouse, a key and a screen reader choose shown letters; the paper
    // keeps the question's own.
    const int first = single[0] == 7 ? 1 : 0, second = single[2] == 7 ? 3 : 2;
    showAnswerPage(w, 0);
    box(w, "单选")->setText(QString::number(first + 1));
    w->pane().load();
    click(w, shownLetterOf(w, "乙") + "单选框");
    QCOMPARE(p.kept().section(u';', first, first), QStringLiteral("单选%1=B").arg(single[first]));
    auto *text = control<QTextEdit>(w, "题目超级编辑框");
    text->setFocus();
    QTRY_VERIFY(text->hasFocus());
    QTest::keyClick(text, Qt::Key(Qt::Key_A + (shownLetterOf(w, "丙")[0].unicode() - u'A')));
    QCOMPARE(p.kept().section(u';', first, first), QStringLiteral("单选%1=C").arg(single[first]));
    box(w, "单选")->setText(QString::number(second + 1));
    w->pane().load();
    QAccessibleInterface *radio =
        QAccessible::queryAccessibleInterface(control<QAbstractButton>(w, shownLetterOf(w, "甲") + "单选框"));
    QVERIFY(radio && radio->actionInterface());
    radio->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    QCOMPARE(p.kept().section(u';', second, second), QStringLiteral("单选%1=A").arg(single[second]));
    showAnswerPage(w, 1);
    box(w, "多选")->setText("1");
    w->pane().load();
    click(w, shownLetterOf(w, "丙") + "选择框");
    click(w, shownLetterOf(w, "甲") + "选择框");
    QCOMPARE(p.kept().section(u';', 7, 7), QStringLiteral("多选%1=AC").arg(multiple[0]));
    if (const QByteArray folder = qgetenv("KAOSHI_SHOT_DIR"); !folder.isEmpty())
        p.main->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/shuffled-paper.png"));
    // 判断 shows its text as written.
    showAnswerPage(w, 2);
    QCOMPARE(question(w), QStringLiteral("判断题%1\n\nA.甲\nB.乙\nC.丙").arg(w->paper().part(QuestionType::TrueFalse)[0]));

    // Resumed in a new run: the same order, the choices still chosen.
    p.main.reset();
    p.platform.clear();
    p.start();
    w = p.signIn();
    QVERIFY(w);
    QCOMPARE(w->paper().part(QuestionType::SingleChoice), single);
    QStringList again;
    for (const auto &[type, count] : {std::pair{QStringLiteral("单选"), single.size()}, std::pair{QStringLiteral("多选"), multiple.size()}}) {
        showAnswerPage(w, type == QStringLiteral("单选") ? 0 : 1);
        for (size_t i = 0; i < count; ++i) {
            box(w, type)->setText(QString::number(i + 1));
            w->pane().load();
            again << question(w);
        }
    }
    QCOMPARE(again, shown);
    showAnswerPage(w, 0);
    box(w, "单选")->setText(QString::number(first + 1));
    w->pane().load();
    QVERIFY(control<QAbstractButton>(w, shownLetterOf(w, "丙") + "单选框")->isChecked());
    showAnswerPage(w, 1);
    box(w, "多选")->setText("1");
    w->pane().load();
    for (const auto &[body, chosen] : {std::pair{"甲", true}, std::pair{"乙", false}, std::pair{"丙", true}})
        QCOMPARE(control<QAbstractButton>(w, shownLetterOf(w, body) + "选择框")->isChecked(), chosen);

    // Handed in and graded in the question's own letters: 单选 A and 多选 AC are right.
    p.menuAction("收卷")->trigger();
    QCOMPARE(p.db.text(QStringLiteral("select 考生答案 from 评分 where 题型='单选' and 题号=%1").arg(single[first])), QStringLiteral("C"));
    QCOMPARE(p.db.text(QStringLiteral("select 考生答案 from 评分 where 题型='单选' and 题号=%1").arg(single[second])), QStringLiteral("A"));
    QCOMPARE(p.db.text(QStringLiteral("select 考生答案 from 评分 where 题型='多选' and 题号=%1").arg(multiple[0])), QStringLiteral("AC"));
    QCOMPARE(p.db.text("select count(*) from 评分 e join 单选 q on q.题号=e.题号 where e.题型='单选' and e.考生答案=q.标准答案"), QStringLiteral("1"));
    QCOMPARE(p.db.text("select count(*) from 评分 e join 多选 q on q.题号=e.题号 where e.题型='多选' and e.考生答案=q.标准答案"), QStringLiteral("1"));
}

void ExamPaperWindowTest::unshuffledQuestionsComeInTiHaoOrder()
{
    Program p;
    p.configure({5, 3, 0, 0, 0});
    QVERIFY(storePaperShuffle(p.db.store(), {false, false}));
    ExamPaperWindow *w = p.signIn();
    QVERIFY(w);
    for (const QuestionType type : {QuestionType::SingleChoice, QuestionType::MultipleChoice}) {
        const std::vector<qint64> &part = w->paper().part(type);
        QVERIFY(std::is_sorted(part.begin(), part.end()));
    }
    QCOMPARE(w->paper().part(QuestionType::MultipleChoice), (std::vector<qint64>{1, 2, 3}));
    // Options as written.
    QCOMPARE(question(w), QStringLiteral("单选题%1\n\nA.甲\nB.乙\nC.丙").arg(w->paper().part(QuestionType::SingleChoice)[0]));
    click(w, "B单选框");
    QCOMPARE(p.kept().section(u';', 0, 0), QStringLiteral("单选%1=B").arg(w->paper().part(QuestionType::SingleChoice)[0]));
    QCOMPARE(p.db.count("答卷顺序"), 0);
}

void ExamPaperWindowTest::aPaperWhoseOptionOrdersAreRefusedIsNotKept()
{
    Program p;
    p.configure({2, 1, 0, 0, 10});
    QVERIFY(storePaperShuffle(p.db.store(), {true, true}));
    QVERIFY(ensureRoomTables(p.db.store()));
    QVERIFY(refuseWrites(p.db.store(), "答卷顺序", "insert"));
    QVERIFY(!p.signIn());
    QCOMPARE(p.platform.lastMessage(), (Message{QStringLiteral("无法保存试卷,考试没有开始\n拒绝写入"), QStringLiteral("失败"),
                                                Message::Icon::Warning}));
    QCOMPARE(p.db.count("答卷"), 0);
    QCOMPARE(p.db.count("答卷计时"), 0);
    QCOMPARE(p.db.count("答卷顺序"), 0);
    QVERIFY(p.main->navigationBar()->isEnabled());

    // Once the orders can be written, the paper is drawn and kept with them.
    QVERIFY(p.db.store().execute(QStringLiteral("drop trigger 拒绝_答卷顺序_insert")));
    QVERIFY(p.signIn());
    QCOMPARE(p.db.count("答卷"), 3);
    QCOMPARE(p.db.count("答卷顺序"), 3);
}

QTEST_MAIN(ExamPaperWindowTest)
#include "ExamPaperWindowTest.moc"
