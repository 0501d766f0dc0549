// The practice windows driven through their controls' object names, as a
// learner uses them, against small fixture databases.
#include "support/PracticeDriving.h"
#include "support/ProgramState.h"
#include "support/TestDatabase.h"

#include "app/MainWindow.h"
#include "app/NavigationBar.h"
#include "practice/ChapterPracticeWindow.h"
#include "practice/PictureBox.h"
#include "practice/RandomPracticeWindow.h"
#include "practice/SequentialPracticeWindow.h"
#include "print/PrintHandOver.h"
#include "ui/ListGrid.h"
#include "ui/ScriptedPlatform.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <memory>

#include "practice/PracticeSession.h"

using namespace kaoshi;
using kaoshi::test::QuestionRow;
using kaoshi::test::TestDatabase;
using namespace kaoshi::test;

namespace {

const QString kSequential = QStringLiteral("顺序练习");
const QString kRandom = QStringLiteral("随机练习");

// One program run: fixture database, scripted platform and the main window.
struct Program : ProgramState {
    std::unique_ptr<MainWindow> main;
    // "错题" opens the print window, which closes with the main window.

    // Every bank gets questions 1 … count unless it is filled already.
    void fillBanks(int count = 3)
    {
        for (const QString &type : {QStringLiteral("单选"), QStringLiteral("多选"), QStringLiteral("判断"),
                                    QStringLiteral("问答")})
            if (db.count(type) == 0)
                db.addQuestions(type, count);
    }

    // The random window gets the identity order in every bank, so that
    // positions equal 题号, unless drawnOrders is asked for.
    PracticeWindow *open(const QString &item, bool drawnOrders = false)
    {
        if (!main) {
            main = std::make_unique<MainWindow>(context);
            main->applyScreenSize({1920, 1080});
            main->show();
        }
        main->runMenuItem(item);
        auto *window = qobject_cast<PracticeWindow *>(main->currentTaskWindow());
        auto *random = qobject_cast<RandomPracticeWindow *>(window);
        if (random && !drawnOrders) {
            for (int page = 0; page < 4; ++page) {
                std::vector<qint64> order(random->order(*typeAt(page)).size());
                for (size_t i = 0; i < order.size(); ++i)
                    order[i] = qint64(i) + 1;
                random->setOrder(*typeAt(page), order);
            }
            random->goFirst();
        }
        return window;
    }

    QString stored(const QString &type, int number)
    {
        return db.text("select 练习答案 from " + type + " where 题号=" + QString::number(number));
    }
};

void typeNumber(QLineEdit *box, const QString &text)
{
    box->clear();
    QTest::keyClicks(box, text);
}

void doubleClickRow(ListGrid *grid, int row)
{
    grid->setCursorRow(row);
    const QRect cell = grid->visualRect(grid->model()->index(row - 1, 1));
    // An item view takes a double-click only after the press that selects
    // the cell, as a real mouse sends it.
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

void writeImage(const QString &path, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QDir().mkpath(QFileInfo(path).absolutePath());
    image.save(path, "PNG");
}

QStringList checkedLetters(QWidget *window, const QString &kind)
{
    QStringList letters;
    for (const QString &letter : {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("D"),
                                  QStringLiteral("E"), QStringLiteral("F"), QStringLiteral("G")})
        if (control<QAbstractButton>(window, letter + kind)->isChecked())
            letters << letter;
    return letters;
}

} // namespace

class PracticeWindowsTest : public QObject
{
    Q_OBJECT

private slots:
    void bothWindows_data();
    void opensOnTheLowestQuestionOfTheFirstBank_data() { bothWindows_data(); }
    void opensOnTheLowestQuestionOfTheFirstBank();
    void showsTheQuestionTextLaidOut();
    void answersRoundTripForEveryType_data() { bothWindows_data(); }
    void answersRoundTripForEveryType();
    void navigationStopsAtBothEndsOfEachBank_data() { bothWindows_data(); }
    void navigationStopsAtBothEndsOfEachBank();
    void savingWritesTheQuestionShown();
    void numberBoxTakesDigitsOnly();
    void redoClearsTheCurrentBankOnlyOnOk();
    void refusedSaveAndRedoSaySoAndStay();
    void eachPageKeepsItsPosition();
    void anEmptyBankSaysSoAndOnlyFourEmptyBanksRefuse_data() { bothWindows_data(); }
    void anEmptyBankSaysSoAndOnlyFourEmptyBanksRefuse();
    void randomOrderMapsPositionsToNumbers();
    void randomPositionsOutsideTheOrderShowNothing();
    void randomOrdersAreDrawnAnewOnEachOpening();
    void wrongListListsAndJumps_data() { bothWindows_data(); }
    void wrongListListsAndJumps();
    void wrongButtonRefillsTheList();
    void pictureButtonsStepThroughPictures();
    void missingOrForeignPictures();
    void fontChangesTheFourTextFields();
    void resizingWidensTheControls();
    void chapterPracticeWalksOneChapter();
    void keysChooseAndEnterSavesWithThePositionShown();
};

void PracticeWindowsTest::bothWindows_data()
{
    QTest::addColumn<QString>("item");
    QTest::newRow("sequential") << kSequential;
    QTest::newRow("random") << kRandom;
}

void PracticeWindowsTest::opensOnTheLowestQuestionOfTheFirstBank()
{
    QFETCH(QString, item);
    Program p;
    for (int n : {3, 4, 5})
        p.db.addQuestion(QStringLiteral("单选"), {n, QStringLiteral("单选第%1题").arg(n)});
    p.fillBanks();
    PracticeWindow *w = p.open(item);
    QVERIFY(w);
    QCOMPARE(p.main->windowTitle(), QStringLiteral("考试系统-") + item);
    QCOMPARE(control<QTabWidget>(w, QStringLiteral("答题区高级选择夹"))->currentIndex(), 0);
    if (item == kSequential) {
        QCOMPARE(box(w, QStringLiteral("单选"))->text(), QStringLiteral("3"));
        QCOMPARE(question(w), QStringLiteral("单选第3题"));
    }
    QCOMPARE(p.main->practiceSession().charFormat.size, 20);
    QCOMPARE(control<QTextEdit>(w, QStringLiteral("解析超级编辑框"))->font().pointSize(), 20);
}

void PracticeWindowsTest::showsTheQuestionTextLaidOut()
{
    Program p;
    p.db.addQuestion(QStringLiteral("单选"), {1, QStringLiteral("甲？A.一B.二C.三")});
    p.db.addQuestion(QStringLiteral("单选"), {2, QStringLiteral("没有选项的题目")});
    p.db.addQuestion(QStringLiteral("单选"), {3, QStringLiteral("问A1B2C3D4E5F6G7H8")});
    p.fillBanks();
    PracticeWindow *w = p.open(kSequential);
    QCOMPARE(question(w), QStringLiteral("甲？\n\nA.一\nB.二\nC.三"));
    press(w, QStringLiteral("下题"));
    QCOMPARE(question(w), QStringLiteral("没有选项的题目"));
    press(w, QStringLiteral("下题"));
    QCOMPARE(question(w), QStringLiteral("问\n\nA1\nB2\nC3\nD4\nE5\nF6\nG7\nH8"));
}

void PracticeWindowsTest::answersRoundTripForEveryType()
{
    QFETCH(QString, item);
    Program p;
    p.db.addQuestion(QStringLiteral("单选"), {1, QStringLiteral("单1"), QStringLiteral("A"), QStringLiteral("解析1"), 1, {}, QStringLiteral("C")});
    p.db.addQuestion(QStringLiteral("单选"), {2, QStringLiteral("单2")});
    p.fillBanks();
    PracticeWindow *w = p.open(item);

    // 单选: the stored C shows only C; choosing B stores B.
    QCOMPARE(checkedLetters(w, QStringLiteral("单选框")), QStringList{QStringLiteral("C")});
    QCOMPARE(control<QTextEdit>(w, QStringLiteral("标准答案超级编辑框"))->toPlainText(), QStringLiteral("A"));
    QCOMPARE(control<QTextEdit>(w, QStringLiteral("解析超级编辑框"))->toPlainText(), QStringLiteral("解析1"));
    click(w, QStringLiteral("B单选框"));
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.stored(QStringLiteral("单选"), 1), QStringLiteral("B"));
    QCOMPARE(box(w, QStringLiteral("单选"))->text(), QStringLiteral("2"));
    QVERIFY(checkedLetters(w, QStringLiteral("单选框")).isEmpty());

    // 多选: D, A, C store ACD, shown again on return.
    showPage(w, QStringLiteral("答题区高级选择夹"), 1);
    for (const char *letter : {"D", "A", "C"})
        click(w, QString::fromLatin1(letter) + QStringLiteral("选择框"));
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.stored(QStringLiteral("多选"), 1), QStringLiteral("ACD"));
    press(w, QStringLiteral("上题"));
    QCOMPARE(checkedLetters(w, QStringLiteral("选择框")), (QStringList{"A", "C", "D"}));

    // 判断: √ stored; nothing checked stores the empty text.
    showPage(w, QStringLiteral("答题区高级选择夹"), 2);
    click(w, QStringLiteral("对单选框"));
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.stored(QStringLiteral("判断"), 1), QStringLiteral("√"));
    p.db.store().execute(QStringLiteral("update 判断 set 练习答案='×' where 题号=2"));
    press(w, QStringLiteral("首题"));
    press(w, QStringLiteral("下题"));
    QVERIFY(control<QRadioButton>(w, QStringLiteral("错单选框"))->isChecked());
    control<QRadioButton>(w, QStringLiteral("错单选框"))->setAutoExclusive(false);
    control<QRadioButton>(w, QStringLiteral("错单选框"))->setChecked(false);
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.stored(QStringLiteral("判断"), 2), QString());

    // 问答: ASCII and full-width spaces around the answer are dropped; a
    // quote is stored as typed.
    showPage(w, QStringLiteral("答题区高级选择夹"), 3);
    auto *answer = control<QTextEdit>(w, QStringLiteral("问答超级编辑框"));
    answer->setPlainText(QStringLiteral("　  答案  "));
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.stored(QStringLiteral("问答"), 1), QStringLiteral("答案"));
    answer->setPlainText(QStringLiteral("it's"));
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.stored(QStringLiteral("问答"), 2), QStringLiteral("it's"));
    QCOMPARE(p.db.text(QStringLiteral("select count(*) from 问答 where 标准答案='A'")), QStringLiteral("3"));
}

void PracticeWindowsTest::navigationStopsAtBothEndsOfEachBank()
{
    QFETCH(QString, item);
    Program p;
    p.db.addQuestions(QStringLiteral("单选"), 50);
    p.db.addQuestions(QStringLiteral("问答"), 20);
    p.fillBanks();
    PracticeWindow *w = p.open(item);
    QLineEdit *single = box(w, QStringLiteral("单选"));

    press(w, QStringLiteral("上题"));
    QCOMPARE(single->text(), QStringLiteral("1"));
    QCOMPARE(question(w), QStringLiteral("单选题1"));
    // Each bank has its own bounds: 50 questions of 单选 are all reachable
    // although 问答 has only 20.
    press(w, QStringLiteral("尾题"));
    QCOMPARE(single->text(), QStringLiteral("50"));
    QCOMPARE(question(w), QStringLiteral("单选题50"));
    press(w, QStringLiteral("下题"));
    QCOMPARE(single->text(), QStringLiteral("50"));
    QCOMPARE(question(w), QStringLiteral("单选题50"));
    // 保存 on the last question stores and stays.
    click(w, QStringLiteral("D单选框"));
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.stored(QStringLiteral("单选"), 50), QStringLiteral("D"));
    QCOMPARE(single->text(), QStringLiteral("50"));
    press(w, QStringLiteral("上题"));
    QCOMPARE(question(w), QStringLiteral("单选题49"));
    press(w, QStringLiteral("首题"));
    QCOMPARE(question(w), QStringLiteral("单选题1"));

    showPage(w, QStringLiteral("答题区高级选择夹"), 3);
    press(w, QStringLiteral("尾题"));
    QCOMPARE(box(w, QStringLiteral("问答"))->text(), QStringLiteral("20"));
    press(w, QStringLiteral("下题"));
    QCOMPARE(question(w), QStringLiteral("问答题20"));
}

void PracticeWindowsTest::savingWritesTheQuestionShown()
{
    Program p;
    p.fillBanks(10);
    PracticeWindow *w = p.open(kSequential);
    QLineEdit *single = box(w, QStringLiteral("单选"));
    press(w, QStringLiteral("下题"));
    // The number box is edited but not loaded: 保存 writes to question 2,
    // then moves on from the edited number.
    typeNumber(single, QStringLiteral("7"));
    click(w, QStringLiteral("A单选框"));
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.stored(QStringLiteral("单选"), 2), QStringLiteral("A"));
    QCOMPARE(p.stored(QStringLiteral("单选"), 7), QString());
    QCOMPARE(single->text(), QStringLiteral("8"));
    QCOMPARE(question(w), QStringLiteral("单选题8"));

    // A 题号 that matches no row shows an empty question and saves nowhere.
    p.db.store().execute(QStringLiteral("delete from 单选 where 题号=5"));
    typeNumber(single, QStringLiteral("4"));
    press(w, QStringLiteral("下题"));
    QCOMPARE(question(w), QString());
    QVERIFY(checkedLetters(w, QStringLiteral("单选框")).isEmpty());
    click(w, QStringLiteral("B单选框"));
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.db.text(QStringLiteral("select count(*) from 单选 where 练习答案='B'")), QStringLiteral("0"));
    QCOMPARE(question(w), QStringLiteral("单选题6"));
}

void PracticeWindowsTest::numberBoxTakesDigitsOnly()
{
    Program p;
    p.fillBanks(10);
    PracticeWindow *w = p.open(kSequential);
    QLineEdit *single = box(w, QStringLiteral("单选"));
    typeNumber(single, QStringLiteral("1 or 1=1"));
    QCOMPARE(single->text(), QStringLiteral("111"));
    typeNumber(single, QStringLiteral("-3"));
    QCOMPARE(single->text(), QStringLiteral("3"));
    typeNumber(single, QStringLiteral("123456789012"));
    QCOMPARE(single->text(), QStringLiteral("123456789"));
    press(w, QStringLiteral("上题"));
    QCOMPARE(single->text(), QStringLiteral("123456788"));
    QCOMPARE(question(w), QString());
}

void PracticeWindowsTest::redoClearsTheCurrentBankOnlyOnOk()
{
    Program p;
    for (const QString &type : {QStringLiteral("单选"), QStringLiteral("多选")})
        for (int n = 1; n <= 3; ++n)
            p.db.addQuestion(type, {n, QStringLiteral("q"), QStringLiteral("A"), {}, 1, {}, QStringLiteral("B")});
    p.fillBanks();
    PracticeWindow *w = p.open(kSequential);
    const QString answered = QStringLiteral("select count(*) from %1 where 练习答案<>''");

    p.platform.setNextAnswer(false);
    press(w, QStringLiteral("重做"));
    QCOMPARE(p.platform.lastMessage(), (Message{QStringLiteral("清空答案重新做题?"), QStringLiteral("注意"),
                                                Message::Icon::None}));
    QCOMPARE(p.db.text(answered.arg(QStringLiteral("单选"))), QStringLiteral("3"));

    p.platform.setNextAnswer(true);
    press(w, QStringLiteral("重做"));
    QCOMPARE(p.db.text(answered.arg(QStringLiteral("单选"))), QStringLiteral("0"));
    QCOMPARE(p.db.text(answered.arg(QStringLiteral("多选"))), QStringLiteral("3"));
}

void PracticeWindowsTest::refusedSaveAndRedoSaySoAndStay()
{
    Program p;
    p.fillBanks(5);
    p.db.store().execute(QStringLiteral("update 单选 set 练习答案='C' where 题号=1"));
    PracticeWindow *w = p.open(kSequential);
    p.db.refuse(QStringLiteral("单选"), QStringLiteral("update"));
    click(w, QStringLiteral("A单选框"));
    p.platform.clear();
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.platform.messages,
             (QList<Message>{{QStringLiteral("答案没有保存\n拒绝写入"), QStringLiteral("失败"), Message::Icon::Warning}}));
    // The question and the answer given stay on screen.
    QCOMPARE(box(w, QStringLiteral("单选"))->text(), QStringLiteral("1"));
    QCOMPARE(question(w), QStringLiteral("单选题1"));
    QCOMPARE(checkedLetters(w, QStringLiteral("单选框")), QStringList{QStringLiteral("A")});
    QCOMPARE(p.stored(QStringLiteral("单选"), 1), QStringLiteral("C"));

    p.platform.clear();
    p.platform.setNextAnswer(true);
    press(w, QStringLiteral("重做"));
    QCOMPARE(p.platform.lastMessage(), (Message{QStringLiteral("没有清空单选的练习答案\n拒绝写入"), QStringLiteral("失败"),
                                                Message::Icon::Warning}));
    QCOMPARE(p.stored(QStringLiteral("单选"), 1), QStringLiteral("C"));
}

void PracticeWindowsTest::eachPageKeepsItsPosition()
{
    Program p;
    p.fillBanks(5);
    PracticeWindow *w = p.open(kSequential);
    press(w, QStringLiteral("下题"));
    press(w, QStringLiteral("下题"));
    showPage(w, QStringLiteral("答题区高级选择夹"), 1);
    QCOMPARE(box(w, QStringLiteral("多选"))->text(), QStringLiteral("1"));
    QCOMPARE(question(w), QStringLiteral("多选题1"));
    press(w, QStringLiteral("下题"));
    showPage(w, QStringLiteral("答题区高级选择夹"), 0);
    QCOMPARE(question(w), QStringLiteral("单选题3"));
    showPage(w, QStringLiteral("答题区高级选择夹"), 1);
    QCOMPARE(question(w), QStringLiteral("多选题2"));
}

void PracticeWindowsTest::anEmptyBankSaysSoAndOnlyFourEmptyBanksRefuse()
{
    QFETCH(QString, item);
    {
        Program p;
        QVERIFY(!p.open(item));
        QCOMPARE(p.platform.messages,
                 (QList<Message>{{QStringLiteral("题库是空的：请在 题库 > 导入题库 中导入题目"), QStringLiteral("系统消息"),
                                  Message::Icon::Information}}));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(p.main->findChildren<PracticeWindow *>().isEmpty());
    }
    Program p;
    p.db.addQuestions(QStringLiteral("多选"), 2);
    p.db.addQuestions(QStringLiteral("问答"), 2);
    PracticeWindow *w = p.open(item);
    QVERIFY(w);
    QVERIFY(p.platform.messages.isEmpty());
    // It opens on the first bank that holds questions.
    QCOMPARE(control<QTabWidget>(w, QStringLiteral("答题区高级选择夹"))->currentIndex(), 1);
    QVERIFY(question(w).startsWith(QStringLiteral("多选题")));
    // An empty bank's page says so and offers nothing to answer, keys included.
    showPage(w, QStringLiteral("答题区高级选择夹"), 0);
    QCOMPARE(question(w), QStringLiteral("单选题库是空的"));
    QVERIFY(!control<QRadioButton>(w, QStringLiteral("A单选框"))->isEnabled());
    QVERIFY(!box(w, QStringLiteral("单选"))->isEnabled());
    QTest::keyClick(control<QTextEdit>(w, QStringLiteral("题目超级编辑框")), Qt::Key_A);
    QVERIFY(!control<QRadioButton>(w, QStringLiteral("A单选框"))->isChecked());
    showPage(w, QStringLiteral("答题区高级选择夹"), 2);
    QCOMPARE(question(w), QStringLiteral("判断题库是空的"));
    QVERIFY(!control<QRadioButton>(w, QStringLiteral("对单选框"))->isEnabled());
    showPage(w, QStringLiteral("答题区高级选择夹"), 3);
    QVERIFY(question(w).startsWith(QStringLiteral("问答题")));
    QVERIFY(control<QTextEdit>(w, QStringLiteral("问答超级编辑框"))->isEnabled());
}

void PracticeWindowsTest::randomOrderMapsPositionsToNumbers()
{
    Program p;
    p.fillBanks(5);
    auto *w = qobject_cast<RandomPracticeWindow *>(p.open(kRandom));
    QVERIFY(w);
    w->setOrder(QuestionType::SingleChoice, {3, 5, 1, 4, 2});
    press(w, QStringLiteral("首题"));
    QCOMPARE(box(w, QStringLiteral("单选"))->text(), QStringLiteral("1"));
    QCOMPARE(question(w), QStringLiteral("单选题3"));
    press(w, QStringLiteral("下题"));
    QCOMPARE(box(w, QStringLiteral("单选"))->text(), QStringLiteral("2"));
    QCOMPARE(question(w), QStringLiteral("单选题5"));
    click(w, QStringLiteral("E单选框"));
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.stored(QStringLiteral("单选"), 5), QStringLiteral("E"));
    QCOMPARE(p.stored(QStringLiteral("单选"), 2), QString());
    QCOMPARE(question(w), QStringLiteral("单选题1"));
    press(w, QStringLiteral("尾题"));
    QCOMPARE(question(w), QStringLiteral("单选题2"));
}

void PracticeWindowsTest::randomPositionsOutsideTheOrderShowNothing()
{
    Program p;
    // A gap: 题号 1, 2, 4. The order is drawn from 1 … 3.
    for (int n : {1, 2, 4})
        p.db.addQuestion(QStringLiteral("单选"), {n, QStringLiteral("单选题%1").arg(n)});
    p.fillBanks();
    auto *w = qobject_cast<RandomPracticeWindow *>(p.open(kRandom));
    std::vector<qint64> order = w->order(QuestionType::SingleChoice);
    std::sort(order.begin(), order.end());
    QCOMPARE(order, (std::vector<qint64>{1, 2, 3}));

    w->setOrder(QuestionType::SingleChoice, {3, 1, 2});
    press(w, QStringLiteral("首题"));
    QCOMPARE(question(w), QString()); // 题号 3 does not exist
    // Position 4 lies within the bank's 题号 bounds but outside the order.
    press(w, QStringLiteral("尾题"));
    QCOMPARE(box(w, QStringLiteral("单选"))->text(), QStringLiteral("4"));
    QCOMPARE(question(w), QString());
    click(w, QStringLiteral("A单选框"));
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.db.text(QStringLiteral("select count(*) from 单选 where 练习答案<>''")), QStringLiteral("0"));
    typeNumber(box(w, QStringLiteral("单选")), QStringLiteral("99"));
    press(w, QStringLiteral("上题"));
    QCOMPARE(question(w), QString());
}

void PracticeWindowsTest::randomOrdersAreDrawnAnewOnEachOpening()
{
    Program p;
    p.fillBanks(200);
    p.platform.setClock(5000);
    auto *first = qobject_cast<RandomPracticeWindow *>(p.open(kRandom, true));
    const std::vector<qint64> before = first->order(QuestionType::SingleChoice);
    QCOMPARE(before.size(), size_t(200));
    // The window opens on position 1, showing the question the order puts there.
    QCOMPARE(box(first, QStringLiteral("单选"))->text(), QStringLiteral("1"));
    QCOMPARE(question(first), p.db.text("select 题目 from 单选 where 题号=" + QString::number(before[0])));
    // The pages do not share one order, and a new opening draws anew even
    // at the same clock reading.
    QVERIFY(first->order(QuestionType::MultipleChoice) != before);
    auto *second = qobject_cast<RandomPracticeWindow *>(p.open(kRandom, true));
    QVERIFY(second != first);
    QVERIFY(second->order(QuestionType::SingleChoice) != before);
}

void PracticeWindowsTest::wrongListListsAndJumps()
{
    QFETCH(QString, item);
    Program p;
    p.fillBanks(5);
    p.db.store().execute(QStringLiteral("update 单选 set 练习答案='B' where 题号=4"));
    p.db.store().execute(QStringLiteral("update 单选 set 练习答案='A' where 题号=2"));
    p.db.store().execute(QStringLiteral("update 多选 set 标准答案='ACD', 练习答案='AC' where 题号=3"));
    p.db.store().execute(QStringLiteral("update 多选 set 标准答案='ACD', 练习答案='ACD' where 题号=5"));
    PracticeWindow *w = p.open(item);
    auto *random = qobject_cast<RandomPracticeWindow *>(w);
    if (random) // position 3 holds 题号 4: the jump must not go through the order
        random->setOrder(QuestionType::MultipleChoice, {2, 3, 4, 5, 1});
    showPage(w, QStringLiteral("题目区高级选择夹"), 2);
    auto *grid = control<ListGrid>(w, QStringLiteral("错题高级表格"));
    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(grid->text(0, 3), QStringLiteral("题目"));
    QCOMPARE(grid->columnWidth(0), 0);
    QCOMPARE((QStringList{grid->text(1, 1), grid->text(1, 2), grid->text(1, 5)}),
             (QStringList{"4", "单选", "B"}));
    QCOMPARE((QStringList{grid->text(2, 1), grid->text(2, 2), grid->text(2, 4), grid->text(2, 5)}),
             (QStringList{"3", "多选", "ACD", "AC"}));

    // The header does nothing; the 多选 row switches the answer area.
    const QPoint title(grid->columnViewportPosition(3) + 5, 5);
    QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, title);
    QTest::mouseDClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, title);
    QCOMPARE(control<QTabWidget>(w, QStringLiteral("题目区高级选择夹"))->currentIndex(), 2);
    doubleClickRow(grid, 2);
    QCOMPARE(control<QTabWidget>(w, QStringLiteral("答题区高级选择夹"))->currentIndex(), 1);
    QCOMPARE(control<QTabWidget>(w, QStringLiteral("题目区高级选择夹"))->currentIndex(), 0);
    QCOMPARE(box(w, QStringLiteral("多选"))->text(), QStringLiteral("3"));
    QCOMPARE(question(w), QStringLiteral("多选题3"));
    QCOMPARE(checkedLetters(w, QStringLiteral("选择框")), (QStringList{"A", "C"}));
    QCOMPARE(control<QTextEdit>(w, QStringLiteral("标准答案超级编辑框"))->toPlainText(), QStringLiteral("ACD"));

    // Answering right removes the row at the next refill. The next question
    // counts on from the number in the box.
    click(w, QStringLiteral("D选择框"));
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.stored(QStringLiteral("多选"), 3), QStringLiteral("ACD"));
    QCOMPARE(box(w, QStringLiteral("多选"))->text(), QStringLiteral("4"));
    QCOMPARE(question(w), random ? QStringLiteral("多选题5") : QStringLiteral("多选题4"));
    showPage(w, QStringLiteral("题目区高级选择夹"), 2);
    QCOMPARE(grid->rowCount(), 2);
}

void PracticeWindowsTest::wrongButtonRefillsTheList()
{
    Program p;
    p.fillBanks(3);
    PracticeWindow *w = p.open(kSequential);
    auto *grid = control<ListGrid>(w, QStringLiteral("错题高级表格"));
    auto *area = control<QTabWidget>(w, QStringLiteral("题目区高级选择夹"));
    QCOMPARE(control<QToolBar>(w, QStringLiteral("工具条1"))->actions().at(1)->toolTip(), QStringLiteral("错题导出"));
    press(w, QStringLiteral("错题"));
    QCOMPARE(area->currentIndex(), 2);
    QCOMPARE(grid->rowCount(), 1);
    p.db.store().execute(QStringLiteral("update 判断 set 标准答案='×', 练习答案='√' where 题号=1"));
    press(w, QStringLiteral("错题"));
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->text(1, 2), QStringLiteral("判断"));
}

void PracticeWindowsTest::pictureButtonsStepThroughPictures()
{
    Program p;
    p.fillBanks(3);
    const QString image = QDir(p.db.programDir()).filePath(QStringLiteral("image/"));
    writeImage(image + "1.png", {40, 20}, Qt::red);
    writeImage(image + "2.png", {400, 100}, Qt::green);
    writeImage(image + "3.png", {30, 30}, Qt::blue);
    for (int i = 1; i <= 3; ++i)
        p.db.addPicture(QStringLiteral("单选"), 2, QStringLiteral("摘要%1").arg(i), QStringLiteral("\\image\\%1.png").arg(i));
    p.db.addPicture(QStringLiteral("多选"), 2, QStringLiteral("别的题"), QStringLiteral("\\image\\1.png"));
    PracticeWindow *w = p.open(kSequential);
    showPage(w, QStringLiteral("题目区高级选择夹"), 1);
    auto *summary = control<QLabel>(w, QStringLiteral("摘要透明标签"));
    auto *picture = control<PictureBox>(w, QStringLiteral("图片框1"));
    QCOMPARE(summary->text(), QString());
    QVERIFY(picture->image().isNull());

    press(w, QStringLiteral("下题"));
    QCOMPARE(summary->text(), QStringLiteral("摘要1"));
    QCOMPARE(picture->image().pixelColor(0, 0), QColor(Qt::red));
    const QStringList steps{"下图", "下图", "下图", "上图", "首图", "上图", "尾图", "上图"};
    const QStringList shown{"摘要2", "摘要3", "摘要3", "摘要2", "摘要1", "摘要1", "摘要3", "摘要2"};
    for (int i = 0; i < steps.size(); ++i) {
        click(w, steps[i] + QStringLiteral("按钮"));
        QCOMPARE(summary->text(), shown[i]);
    }
    // The wide picture is fitted into the box keeping its aspect ratio.
    const QRect fitted = picture->pictureRect();
    QVERIFY(picture->contentsRect().contains(fitted));
    QCOMPARE(fitted.width() / 4, fitted.height());

    QTest::mouseDClick(picture, Qt::LeftButton);
    QCOMPARE(p.platform.openedFiles, QStringList{QDir::toNativeSeparators(image + "2.png")});

    // Without pictures the buttons end on an empty page and nothing opens.
    press(w, QStringLiteral("下题"));
    for (const char *button : {"上图按钮", "下图按钮", "尾图按钮"})
        click(w, QString::fromUtf8(button));
    QCOMPARE(summary->text(), QString());
    QTest::mouseDClick(picture, Qt::LeftButton);
    QCOMPARE(p.platform.openedFiles.size(), 1);
}

void PracticeWindowsTest::missingOrForeignPictures()
{
    Program p;
    p.fillBanks(3);
    QTemporaryDir elsewhere;
    writeImage(elsewhere.filePath(QStringLiteral("x.png")), {10, 10}, Qt::red);
    writeImage(QDir(p.db.programDir()).filePath(QStringLiteral("outside.png")), {10, 10}, Qt::red);
    p.db.addPicture(QStringLiteral("单选"), 1, QStringLiteral("<b>丢失的图片</b>"),
                    QStringLiteral("\\image\\missing.png"));
    p.db.addPicture(QStringLiteral("单选"), 1, QStringLiteral("上一层"), QStringLiteral("\\image\\..\\outside.png"));
    p.db.addPicture(QStringLiteral("单选"), 1, QStringLiteral("别处"), QStringLiteral("\\..\\") +
                                                                     QFileInfo(elsewhere.path()).fileName() +
                                                                     QStringLiteral("\\x.png"));
    PracticeWindow *w = p.open(kSequential);
    showPage(w, QStringLiteral("题目区高级选择夹"), 1);
    auto *summary = control<QLabel>(w, QStringLiteral("摘要透明标签"));
    auto *picture = control<PictureBox>(w, QStringLiteral("图片框1"));
    QCOMPARE(summary->text(), QStringLiteral("<b>丢失的图片</b>"));
    QCOMPARE(summary->textFormat(), Qt::PlainText); // shown as typed, never as markup
    QVERIFY(picture->image().isNull());
    for (const QString &expected : {QStringLiteral("上一层"), QStringLiteral("别处")}) {
        click(w, QStringLiteral("下图按钮"));
        QCOMPARE(summary->text(), expected);
        QVERIFY(picture->image().isNull());
        QTest::mouseDClick(picture, Qt::LeftButton);
    }
    QVERIFY(p.platform.openedFiles.isEmpty());
}

void PracticeWindowsTest::fontChangesTheFourTextFields()
{
    Program p;
    p.fillBanks(3);
    PracticeWindow *w = p.open(kSequential);
    FontChoice choice;
    choice.family = QStringLiteral("黑体");
    choice.pointSize = 14;
    choice.bold = true;
    choice.strikeOut = true;
    choice.colour = QColor(200, 0, 0);
    p.platform.setNextFont(choice);
    press(w, QStringLiteral("字体"));
    for (const char *name : {"题目超级编辑框", "问答超级编辑框", "标准答案超级编辑框", "解析超级编辑框"}) {
        auto *edit = control<QTextEdit>(w, QString::fromUtf8(name));
        QCOMPARE(edit->font().pointSize(), 14);
        QVERIFY(edit->font().bold() && edit->font().strikeOut() && !edit->font().italic());
        QCOMPARE(edit->font().family(), QFont(QStringLiteral("宋体")).family());
        QCOMPARE(edit->palette().color(QPalette::Text), QColor(200, 0, 0));
    }
    // Cancel keeps the format; the next opening keeps all but the size.
    press(w, QStringLiteral("字体"));
    QCOMPARE(p.main->practiceSession().charFormat.effects, CharFormat::Bold | CharFormat::StrikeOut);
    QCOMPARE(p.platform.fontDialogs, 2);
    PracticeWindow *random = p.open(kRandom);
    auto *edit = control<QTextEdit>(random, QStringLiteral("题目超级编辑框"));
    QCOMPARE(edit->font().pointSize(), 20);
    QVERIFY(edit->font().bold());
}

void PracticeWindowsTest::resizingWidensTheControls()
{
    Program p;
    p.fillBanks(3);
    PracticeWindow *w = p.open(kSequential);
    const QStringList names{"单选分组框", "答题区高级选择夹", "问答超级编辑框", "题目区高级选择夹", "题目超级编辑框",
                            "图片框1", "错题高级表格", "标准答案超级编辑框", "解析超级编辑框", "工具条1"};
    QList<QRect> before;
    for (const QString &name : names)
        before << control<QWidget>(w, name)->geometry();
    w->resize(w->width() + 100, w->height() + 10);
    for (int i = 0; i < names.size(); ++i) {
        const QRect after = control<QWidget>(w, names[i])->geometry();
        QCOMPARE(after.topLeft(), before[i].topLeft());
        QCOMPARE(after.width() - before[i].width(), names[i] == QStringLiteral("工具条1") ? 0 : 100);
    }
    QCOMPARE(control<QWidget>(w, QStringLiteral("题目超级编辑框"))->height(), w->height() - 260);
}

void PracticeWindowsTest::chapterPracticeWalksOneChapter()
{
    Program p;
    const QString one = QStringLiteral("第一章");
    const QString two = QStringLiteral("第二章");
    const QList<QPair<qint64, QString>> single{{1, one}, {2, two}, {3, one}, {4, QString()}, {5, one}};
    for (const auto &[number, chapter] : single)
        p.db.addQuestion(QStringLiteral("单选"), {number, QStringLiteral("单选题%1").arg(number), QStringLiteral("A"),
                                                  QStringLiteral("解析%1").arg(number), 1, chapter});
    p.db.addQuestion(QStringLiteral("多选"), {1, QStringLiteral("多选题1"), QStringLiteral("AB"), {}, 1, two});
    p.db.addQuestion(QStringLiteral("判断"), {1, QStringLiteral("判断题1"), QStringLiteral("×"), {}, 1, one});
    p.db.addQuestion(QStringLiteral("问答"), {1, QStringLiteral("问答题1"), QStringLiteral("答"), {}, 1, two});
    QPointer<QWidget> sequential = p.open(kSequential);

    NavigationBar *bar = p.main->navigationBar();
    const int group = bar->groupIndex(QStringLiteral("章节练习"));
    bar->openGroup(group);
    QCOMPARE(bar->itemCaption(group, 0), QStringLiteral("(未分章节)"));
    QCOMPARE(bar->itemCaption(group, 1), one);
    bar->clickItem(group, 1);
    QVERIFY(!sequential || sequential->isHidden());
    auto *w = qobject_cast<ChapterPracticeWindow *>(p.main->currentTaskWindow());
    QVERIFY(w);
    QCOMPARE(p.main->windowTitle(), QStringLiteral("考试系统-章节练习-第一章"));

    // Positions 1 … 3 of the chapter are 题号 1, 3 and 5.
    QCOMPARE(box(w, QStringLiteral("单选"))->text(), QStringLiteral("1"));
    QCOMPARE(question(w), QStringLiteral("单选题1"));
    press(w, QStringLiteral("下题"));
    QCOMPARE(box(w, QStringLiteral("单选"))->text(), QStringLiteral("2"));
    QCOMPARE(question(w), QStringLiteral("单选题3"));
    QCOMPARE(control<QTextEdit>(w, QStringLiteral("解析超级编辑框"))->toPlainText(), QStringLiteral("解析3"));
    click(w, QStringLiteral("C单选框"));
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.stored(QStringLiteral("单选"), 3), QStringLiteral("C"));
    QCOMPARE(question(w), QStringLiteral("单选题5"));
    press(w, QStringLiteral("下题"));
    QCOMPARE(box(w, QStringLiteral("单选"))->text(), QStringLiteral("3"));
    press(w, QStringLiteral("首题"));
    QCOMPARE(question(w), QStringLiteral("单选题1"));
    press(w, QStringLiteral("尾题"));
    QCOMPARE(question(w), QStringLiteral("单选题5"));
    click(w, QStringLiteral("B单选框"));
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.stored(QStringLiteral("单选"), 5), QStringLiteral("B"));
    for (int n : {1, 2, 4})
        QCOMPARE(p.stored(QStringLiteral("单选"), n), QString());

    // A bank without the chapter shows an empty page; another bank its own part.
    showPage(w, QStringLiteral("答题区高级选择夹"), 1);
    QCOMPARE(question(w), QString());
    press(w, QStringLiteral("下题"));
    QCOMPARE(question(w), QString());
    showPage(w, QStringLiteral("答题区高级选择夹"), 2);
    QCOMPARE(question(w), QStringLiteral("判断题1"));
    click(w, QStringLiteral("对单选框"));
    press(w, QStringLiteral("保存"));
    QCOMPARE(p.stored(QStringLiteral("判断"), 1), QStringLiteral("√"));

    // A wrong answer of the chapter listed and jumped to is shown at its place.
    showPage(w, QStringLiteral("答题区高级选择夹"), 0);
    showPage(w, QStringLiteral("题目区高级选择夹"), 2);
    auto *grid = control<ListGrid>(w, QStringLiteral("错题高级表格"));
    QCOMPARE(grid->rowCount(), 4);
    doubleClickRow(grid, 2);
    QCOMPARE(question(w), QStringLiteral("单选题5"));
    QCOMPARE(box(w, QStringLiteral("单选"))->text(), QStringLiteral("3"));
    QVERIFY(p.platform.messages.isEmpty());

    // The questions without a chapter; a chapter without questions opens nothing.
    bar->clickItem(group, 0);
    w = qobject_cast<ChapterPracticeWindow *>(p.main->currentTaskWindow());
    QVERIFY(w);
    QCOMPARE(w->chapter(), QString());
    QCOMPARE(question(w), QStringLiteral("单选题4"));
    p.main->openChapter(QStringLiteral("第九章"));
    QVERIFY(p.main->currentTaskWindow() == nullptr);
    QCOMPARE(p.platform.lastMessage(), (Message{QStringLiteral("章节“第九章”没有题目"), QStringLiteral("系统消息"),
                                                Message::Icon::Information}));
}

void PracticeWindowsTest::keysChooseAndEnterSavesWithThePositionShown()
{
    Program p;
    p.fillBanks(3);
    PracticeWindow *w = p.open(kSequential);
    p.main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.main.get()));
    QCOMPARE(p.main->statusText(3), QStringLiteral("第 1 / 3 题"));
    const auto stored = [&](const QString &type, int number) {
        return p.db.text(QStringLiteral("select 练习答案 from %1 where 题号=%2").arg(type).arg(number));
    };
    auto *text = control<QTextEdit>(w, QStringLiteral("题目超级编辑框"));
    text->setFocus();
    QTRY_VERIFY(text->hasFocus());

    // 单选: a letter chooses; Enter saves and moves on.
    QTest::keyClick(text, Qt::Key_C);
    QVERIFY(control<QRadioButton>(w, QStringLiteral("C单选框"))->isChecked());
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(stored(QStringLiteral("单选"), 1), QStringLiteral("C"));
    QCOMPARE(box(w, QStringLiteral("单选"))->text(), QStringLiteral("2"));
    QCOMPARE(p.main->statusText(3), QStringLiteral("第 2 / 3 题"));

    // 多选: letters toggle their ticks.
    showPage(w, QStringLiteral("答题区高级选择夹"), 1);
    text->setFocus();
    for (Qt::Key key : {Qt::Key_D, Qt::Key_A, Qt::Key_D, Qt::Key_B})
        QTest::keyClick(text, key);
    QTest::keyClick(text, Qt::Key_Enter);
    QCOMPARE(stored(QStringLiteral("多选"), 1), QStringLiteral("AB"));

    // 判断: 0/N choose ×, 1/Y choose √.
    showPage(w, QStringLiteral("答题区高级选择夹"), 2);
    text->setFocus();
    QTest::keyClick(text, Qt::Key_N);
    QVERIFY(control<QRadioButton>(w, QStringLiteral("错单选框"))->isChecked());
    QTest::keyClick(text, Qt::Key_1);
    QVERIFY(control<QRadioButton>(w, QStringLiteral("对单选框"))->isChecked());
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(stored(QStringLiteral("判断"), 1), QStringLiteral("√"));

    // 问答: the field keeps its letters and Enter is a new line there.
    showPage(w, QStringLiteral("答题区高级选择夹"), 3);
    auto *free = control<QTextEdit>(w, QStringLiteral("问答超级编辑框"));
    free->setFocus();
    QTRY_VERIFY(free->hasFocus());
    QTest::keyClicks(free, QStringLiteral("ab"));
    QTest::keyClick(free, Qt::Key_Return);
    QTest::keyClicks(free, QStringLiteral("1y"));
    QCOMPARE(free->toPlainText(), QStringLiteral("ab\n1y"));
    QCOMPARE(box(w, QStringLiteral("问答"))->text(), QStringLiteral("1"));
    QCOMPARE(stored(QStringLiteral("问答"), 1), QString());

    // The keys are told in the tooltips; the position goes with the window.
    QCOMPARE(control<QRadioButton>(w, QStringLiteral("A单选框"))->toolTip(), QStringLiteral("按 A 键选择"));
    QCOMPARE(control<QRadioButton>(w, QStringLiteral("对单选框"))->toolTip(), QStringLiteral("按 1 或 Y 键选择"));
    QCOMPARE(control<QToolBar>(w, QStringLiteral("工具条1"))->findChild<QAction *>(QStringLiteral("保存按钮"))->toolTip(),
             QStringLiteral("保存（Enter）"));
    w->close();
    QCOMPARE(p.main->statusText(3), QString());
}

QTEST_MAIN(PracticeWindowsTest)
#include "PracticeWindowsTest.moc"
