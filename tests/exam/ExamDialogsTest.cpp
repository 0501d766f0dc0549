// The configuration dialog and the sign-in dialog driven through their
// controls, inside the main window.
#include "support/AnswerRows.h"
#include "support/ProgramState.h"
#include "support/TestDatabase.h"

#include "app/MainWindow.h"
#include "practice/PracticeSession.h"
#include "data/ConfigTable.h"
#include "exam/CandidateDialog.h"
#include "exam/ExamConfigDialog.h"
#include "ui/AppContext.h"
#include "ui/DropDownBox.h"
#include "ui/ScriptedPlatform.h"
#include "ui/TaskWindow.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QCheckBox>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

const QStringList kBoxes{"单选抽题编辑框", "多选抽题编辑框", "判断抽题编辑框", "问答抽题编辑框", "计时编辑框"};

struct Program : kaoshi::test::ProgramState {
    MainWindow main{context};

    Program()
    {
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
    }
    QLineEdit *box(QWidget *dialog, int i) { return dialog->findChild<QLineEdit *>(kBoxes[i]); }
    ExamConfigDialog *openConfig()
    {
        main.runMenuItem(QStringLiteral("配置"));
        auto *dialog = qobject_cast<ExamConfigDialog *>(main.currentTaskWindow());
        if (dialog) {
            QApplication::setActiveWindow(dialog);
            dialog->activateWindow();
        }
        return dialog;
    }
};

// Types into a box and leaves it, as a user moving on to the next box.
void typeAndLeave(QLineEdit *box, const QString &keys)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClicks(box, keys);
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(box, &out);
}

// Every named control exposes its text, or a short description, as its
// accessible name.
void verifyAccessibleNames(QWidget *dialog)
{
    for (QWidget *w : dialog->findChildren<QWidget *>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QStringLiteral("qt_")))
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
        QVERIFY2(iface && !iface->text(QAccessible::Name).isEmpty(), qPrintable(w->objectName()));
    }
}

const Message kFailure{QString(), QStringLiteral("失败"), Message::Icon::Warning};

} // namespace

class ExamDialogsTest : public QObject
{
    Q_OBJECT
private slots:
    void configShowsTheStoredRowAndStoresTheBoxes();
    void configBoxesTakeDigitsAndMinusAndRewriteOnLeaving();
    void configFailureKeepsTheDialogOpen();
    void configIsTheCurrentTaskWindowUntilAnotherTask();
    void configShufflesShowTheDefaultsAndAreStoredWithTheCounts();
    void signInChecksTheFieldsInOrder();
    void signInRefusesAnOccasionHandedInAndAcceptsANewOne();
    void signInLooksUpAsTypedAndKeepsNoSpaces();
    void signInListsFillAsTheyOpen();
    void signInThatCannotReadIsRefused();
    void signInFromTheMenuClosesTheTaskWindowAndShowsTheCandidate();
};

void ExamDialogsTest::configShowsTheStoredRowAndStoresTheBoxes()
{
    Program p;
    QVERIFY(storeExamSettings(p.db.store(), {3, 0, 7, 1, 45}));
    ExamConfigDialog *dialog = p.openConfig();
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("配置"));
    QCOMPARE(dialog->size(), QSize(315, 299));
    QStringList shown;
    for (int i = 0; i < 5; ++i)
        shown << p.box(dialog, i)->text();
    // Set directly: a stored 0 shows as "0" until its box is left.
    QCOMPARE(shown, (QStringList{"3", "0", "7", "1", "45"}));
    QCOMPARE(p.box(dialog, 0)->geometry(), QRect(100, 20, 180, 24));
    QCOMPARE(p.box(dialog, 4)->geometry(), QRect(100, 160, 180, 24));
    auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("确定按钮"));
    QCOMPARE(ok->geometry(), QRect(127, 232, 54, 32));
    verifyAccessibleNames(dialog);

    // "确定" without changes stores the same values.
    QPointer<ExamConfigDialog> guard(dialog);
    QTest::mouseClick(ok, Qt::LeftButton);
    QVERIFY(guard.isNull() || !guard->isVisible());
    QCOMPARE(readExamSettings(p.db.store()), (ExamSettings{3, 0, 7, 1, 45}));

    dialog = p.openConfig();
    const QStringList typed{"5", "5", "10", "2", "60"};
    for (int i = 0; i < 5; ++i)
        typeAndLeave(p.box(dialog, i), typed[i]);
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("确定按钮")), Qt::LeftButton);
    QCOMPARE(readExamSettings(p.db.store()), (ExamSettings{5, 5, 10, 2, 60}));
    QVERIFY(p.platform.messages.isEmpty());
}

void ExamDialogsTest::configBoxesTakeDigitsAndMinusAndRewriteOnLeaving()
{
    Program p;
    QVERIFY(storeExamSettings(p.db.store(), {1, 2, 3, 4, 5}));
    ExamConfigDialog *dialog = p.openConfig();
    QVERIFY(dialog);
    const struct {
        QString keys;
        QString shown;  // after leaving the box
        qint64 stored;
    } cases[] = {
        {"a1b2", "12", 12},   // letters have no effect
        {"-3", "-3", -3},     // a negative count is stored as it is
        {"", "", 0},          // empty stores 0
        {"0", "", 0},         // 0 shows empty after leaving, and stores 0
        {"-", "", 0},         // no integer at all stores 0
    };
    for (int i = 0; i < 5; ++i) {
        typeAndLeave(p.box(dialog, i), cases[i].keys);
        QCOMPARE(p.box(dialog, i)->text(), cases[i].shown);
    }
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("确定按钮")), Qt::LeftButton);
    QCOMPARE(readExamSettings(p.db.store()), (ExamSettings{12, -3, 0, 0, 0}));
}

void ExamDialogsTest::configFailureKeepsTheDialogOpen()
{
    Program p;
    QVERIFY(storeExamSettings(p.db.store(), {1, 2, 3, 4, 5}));
    QVERIFY(refuseWrites(p.db.store(), QStringLiteral("配置"), QStringLiteral("update")));
    ExamConfigDialog *dialog = p.openConfig();
    typeAndLeave(p.box(dialog, 0), "9");
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("确定按钮")), Qt::LeftButton);
    const Message shown = p.platform.lastMessage();
    QCOMPARE(shown.caption, kFailure.caption);
    QCOMPARE(shown.icon, kFailure.icon);
    QVERIFY(shown.text.contains(QStringLiteral("配置")));
    QVERIFY(shown.text.contains(QStringLiteral("拒绝写入")));
    QCOMPARE(p.main.currentTaskWindow(), dialog);
    QVERIFY(dialog->isVisible());
    QCOMPARE(p.box(dialog, 0)->text(), QStringLiteral("9"));
    QCOMPARE(readExamSettings(p.db.store()), (ExamSettings{1, 2, 3, 4, 5}));
}

void ExamDialogsTest::configIsTheCurrentTaskWindowUntilAnotherTask()
{
    Program p;
    p.main.runMenuItem(QStringLiteral("单选题库"));
    QPointer<QWidget> bank = p.main.currentTaskWindow();
    QVERIFY(bank);
    ExamConfigDialog *dialog = p.openConfig();
    QVERIFY(dialog);
    QVERIFY(bank.isNull() || !bank->isVisible());
    QCOMPARE(dialog->parentWidget(), &p.main);
    QVERIFY(dialog->isWindow());

    QPointer<ExamConfigDialog> guard(dialog);
    p.main.runMenuItem(QStringLiteral("多选题库"));
    QVERIFY(guard.isNull() || !guard->isVisible());
    QVERIFY(p.main.currentTaskWindow() != nullptr);
}

void ExamDialogsTest::configShufflesShowTheDefaultsAndAreStoredWithTheCounts()
{
    Program p;
    QVERIFY(storeExamSettings(p.db.store(), {1, 2, 3, 4, 5}));
    p.db.store().execute(QStringLiteral("drop table if exists 配置项"));
    const auto boxes = [](QWidget *dialog) {
        return std::pair{dialog->findChild<QCheckBox *>(QStringLiteral("打乱题序选择框")),
                         dialog->findChild<QCheckBox *>(QStringLiteral("打乱选项选择框"))};
    };
    // A file from before the shuffles: questions shuffled, options as written.
    ExamConfigDialog *dialog = p.openConfig();
    auto [questions, options] = boxes(dialog);
    QVERIFY(questions && options);
    QCOMPARE(questions->text(), QStringLiteral("打乱题序"));
    QCOMPARE(options->text(), QStringLiteral("打乱选项"));
    QVERIFY(questions->isChecked());
    QVERIFY(!options->isChecked());
    QCOMPARE(questions->geometry().top(), 195);
    verifyAccessibleNames(dialog);
    QTest::mouseClick(questions, Qt::LeftButton, {}, QPoint(8, 12)); // on the tick
    QTest::mouseClick(options, Qt::LeftButton, {}, QPoint(8, 12)); // on the tick
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("确定按钮")), Qt::LeftButton);
    QCOMPARE(readPaperShuffle(p.db.store()), (PaperShuffle{false, true}));

    // Shown as stored when opened again.
    dialog = p.openConfig();
    std::tie(questions, options) = boxes(dialog);
    if (const QByteArray folder = qgetenv("KAOSHI_SHOT_DIR"); !folder.isEmpty())
        dialog->grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/config-dialog.png"));
    QVERIFY(!questions->isChecked());
    QVERIFY(options->isChecked());

    // A shuffle refused: the counts typed are not stored either, the dialog stays.
    QVERIFY(refuseWrites(p.db.store(), QStringLiteral("配置项"), QStringLiteral("insert")));
    typeAndLeave(p.box(dialog, 0), "9");
    QTest::mouseClick(questions, Qt::LeftButton, {}, QPoint(8, 12)); // on the tick
    QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("确定按钮")), Qt::LeftButton);
    QCOMPARE(p.platform.lastMessage().caption, kFailure.caption);
    QVERIFY(p.platform.lastMessage().text.contains(QStringLiteral("拒绝写入")));
    QVERIFY(dialog->isVisible());
    QCOMPARE(readExamSettings(p.db.store()), (ExamSettings{1, 2, 3, 4, 5}));
    QCOMPARE(readPaperShuffle(p.db.store()), (PaperShuffle{false, true}));
}

// ---------------------------------------------------------------- sign-in

namespace {

struct SignIn : Program {
    CandidateDialog dialog{context};
    DropDownBox *number = dialog.findChild<DropDownBox *>(QStringLiteral("考号组合框"));
    DropDownBox *occasion = dialog.findChild<DropDownBox *>(QStringLiteral("场次组合框"));
    QLineEdit *name = dialog.findChild<QLineEdit *>(QStringLiteral("姓名编辑框"));

    SignIn()
    {
        addAnswers(db.store(), {{"A01", "一", "张三", 1, "单选", "A"},
                                {"A01", "二", "张三", 2, "单选", "B"},
                                {"B'02", "一", "李四", 1, "单选", "C"}});
        dialog.show();
    }
    // Fills the three fields and presses "开始考试"; true when the dialog
    // accepted the candidate.
    bool signIn(const QString &n, const QString &o, const QString &m)
    {
        number->setEditText(n);
        occasion->setEditText(o);
        name->setText(m);
        dialog.setResult(QDialog::Rejected);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("开始考试按钮")), Qt::LeftButton);
        return dialog.result() == QDialog::Accepted;
    }
    QStringList items(DropDownBox *box)
    {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    }
    void openList(DropDownBox *box)
    {
        box->showPopup();
        box->hidePopup();
    }
};

} // namespace

void ExamDialogsTest::signInChecksTheFieldsInOrder()
{
    SignIn s;
    QCOMPARE(s.dialog.windowTitle(), QStringLiteral("考生信息"));
    QCOMPARE(s.dialog.size(), QSize(436, 142));
    verifyAccessibleNames(&s.dialog);
    const struct {
        QString number, occasion, name, message;
    } cases[] = {
        {"", "", "", "请填考号"},
        {"", "三", "王五", "请填考号"},
        {"C03", "", "王五", "请填场次"},
        {"C03", "三", "", "请填姓名"},
    };
    for (const auto &c : cases) {
        QVERIFY(!s.signIn(c.number, c.occasion, c.name));
        QCOMPARE(s.platform.lastMessage(), (Message{c.message, QStringLiteral("系统消息"), Message::Icon::Information}));
        QVERIFY(s.dialog.isVisible());
    }
    QCOMPARE(s.dialog.candidate(), Candidate());
    // No candidate line (the banks are empty: the first part keeps its start-up hint).
    QVERIFY(!s.main.statusText(1).contains(QStringLiteral("考号")));
}

void ExamDialogsTest::signInRefusesAnOccasionHandedInAndAcceptsANewOne()
{
    SignIn s;
    for (const QString &number : {QStringLiteral("A01"), QStringLiteral("B'02")}) {
        QVERIFY(!s.signIn(number, QStringLiteral("一"), QStringLiteral("张三")));
        QCOMPARE(s.platform.lastMessage(), (Message{QStringLiteral("该考生该场次已交卷,想重新作答请换场次"),
                                                    QStringLiteral("系统消息"), Message::Icon::Information}));
        QVERIFY(s.dialog.isVisible());
        QCOMPARE(s.dialog.candidate(), Candidate());
    }
    // A quote is a character like any other: this number has no "三".
    QVERIFY(s.signIn(QStringLiteral("B'02"), QStringLiteral("三"), QStringLiteral("李四")));
    QCOMPARE(s.dialog.candidate(), (Candidate{"B'02", "三", "李四"}));
    s.platform.clear();
    // Signing in writes nothing to 评分: the same new occasion is accepted again.
    for (int twice = 0; twice < 2; ++twice) {
        QVERIFY(s.signIn(QStringLiteral("A01"), QStringLiteral("三"), QStringLiteral("张三")));
        QCOMPARE(s.dialog.candidate(), (Candidate{"A01", "三", "张三"}));
        QCOMPARE(s.main.statusText(1), QStringLiteral("考号:A01  场次:三  姓名:张三"));
    }
    QVERIFY(s.platform.messages.isEmpty());
    QCOMPARE(s.db.count(QStringLiteral("评分")), 3);
}

void ExamDialogsTest::signInLooksUpAsTypedAndKeepsNoSpaces()
{
    SignIn s;
    // "A 01" has no answers of 一, but "A01", the number it signs in as, has:
    // refused, since its paper would hand in under A01 again.
    QVERIFY(!s.signIn(QStringLiteral("A 01"), QStringLiteral("一"), QStringLiteral(" 张　三 ")));
    QCOMPARE(s.platform.lastMessage().text, QStringLiteral("该考生该场次已交卷,想重新作答请换场次"));
    // Looked up with its space and signed in without it.
    QVERIFY(s.signIn(QStringLiteral("A 01"), QStringLiteral("三"), QStringLiteral(" 张　三 ")));
    QCOMPARE(s.dialog.candidate(), (Candidate{"A01", "三", "张三"}));
    QCOMPARE(s.main.statusText(1), QStringLiteral("考号:A01  场次:三  姓名:张三"));
    // A name of spaces only is not empty; it is signed in as "".
    QVERIFY(s.signIn(QStringLiteral("C　03"), QStringLiteral(" 五 "), QStringLiteral(" 　 ")));
    QCOMPARE(s.dialog.candidate(), (Candidate{"C03", "五", ""}));
    QCOMPARE(s.main.statusText(1), QStringLiteral("考号:C03  场次:五  姓名:"));

    // Enter in the name box signs in like the button.
    s.dialog.setResult(QDialog::Rejected);
    s.dialog.show();
    s.number->setEditText(QStringLiteral("E05"));
    s.name->setText(QStringLiteral("钱七"));
    QTest::keyClick(s.name, Qt::Key_Return);
    QCOMPARE(s.dialog.result(), int(QDialog::Accepted));
    QCOMPARE(s.dialog.candidate(), (Candidate{"E05", "五", "钱七"}));
}

void ExamDialogsTest::signInListsFillAsTheyOpen()
{
    SignIn s;
    QCOMPARE(s.number->count(), 0);
    // The occasion list before a number is left as it is.
    s.occasion->addItem(QStringLiteral("旧"));
    s.openList(s.occasion);
    QCOMPARE(s.items(s.occasion), QStringList{QStringLiteral("旧")});

    s.openList(s.number);
    QCOMPARE(s.items(s.number), (QStringList{"A01", "B'02"}));
    QCOMPARE(s.number->currentText(), QString());
    s.number->setCurrentIndex(1);
    s.openList(s.occasion);
    QCOMPARE(s.items(s.occasion), QStringList{QStringLiteral("一")});
    s.number->setEditText(QStringLiteral("A01"));
    s.openList(s.occasion);
    QCOMPARE(s.items(s.occasion), (QStringList{"一", "二"}));
    // The typed texts stay while the lists refill.
    s.occasion->setEditText(QStringLiteral("九"));
    s.openList(s.occasion);
    QCOMPARE(s.occasion->currentText(), QStringLiteral("九"));
}

void ExamDialogsTest::signInThatCannotReadIsRefused()
{
    SignIn s;
    QVERIFY(s.db.store().execute(QStringLiteral("alter table 评分 rename to 旧评分")));
    QVERIFY(!s.signIn(QStringLiteral("C03"), QStringLiteral("一"), QStringLiteral("王五")));
    const Message shown = s.platform.lastMessage();
    QCOMPARE(shown.caption, QStringLiteral("失败"));
    QCOMPARE(shown.icon, Message::Icon::Warning);
    QVERIFY(shown.text.contains(QStringLiteral("评分")));
    QCOMPARE(s.dialog.candidate(), Candidate());
    // No candidate line (the banks are empty: the first part keeps its start-up hint).
    QVERIFY(!s.main.statusText(1).contains(QStringLiteral("考号")));
}

void ExamDialogsTest::signInFromTheMenuClosesTheTaskWindowAndShowsTheCandidate()
{
    Program p;
    p.main.runMenuItem(QStringLiteral("单选题库"));
    QPointer<QWidget> bank = p.main.currentTaskWindow();
    QVERIFY(bank);
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<CandidateDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        sawDialog = true;
        QVERIFY(dialog->parentWidget() == nullptr);
        dialog->findChild<DropDownBox *>(QStringLiteral("考号组合框"))->setEditText(QStringLiteral("D04"));
        dialog->findChild<DropDownBox *>(QStringLiteral("场次组合框"))->setEditText(QStringLiteral("一"));
        dialog->findChild<QLineEdit *>(QStringLiteral("姓名编辑框"))->setText(QStringLiteral("赵六"));
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("开始考试按钮")), Qt::LeftButton);
        if (QApplication::activeModalWidget() == dialog)
            dialog->close();
    });
    p.main.runMenuItem(QStringLiteral("模拟组卷"));
    QVERIFY(sawDialog);
    QVERIFY(bank.isNull() || !bank->isVisible());
    QVERIFY(p.main.currentTaskWindow() == nullptr);
    QCOMPARE(p.main.statusText(1), QStringLiteral("考号:D04  场次:一  姓名:赵六"));
    // The paper was asked for with the candidate: it did not open only
    // because 配置 draws nothing.
    QVERIFY(p.platform.lastMessage().text.startsWith(QStringLiteral("试卷没有抽到题目")));
}

QTEST_MAIN(ExamDialogsTest)
#include "ExamDialogsTest.moc"
