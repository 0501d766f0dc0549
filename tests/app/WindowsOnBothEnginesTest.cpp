// The windows that write, on a database file and on a database server alike:
// the status bar naming the database, practice, the exam paper from sign-in
// to hand-in, grading totals, hand marking and the question editor. Each writes once and
// then meets a database that refuses the write: 失败 with the engine's reason,
// nothing stored, the window where it was.
#include "AnswerRows.h"
#include "PaperSignIn.h"
#include "PracticeDriving.h"
#include "ProgramState.h"
#include "TestDatabase.h"

#include "app/MainWindow.h"
#include "bank/QuestionEditorWindow.h"
#include "data/ConfigTable.h"
#include "exam/CandidateDialog.h"
#include "exam/ExamPaperWindow.h"
#include "grading/GradingWindow.h"
#include "grading/MarkingWindow.h"
#include "ui/ElidedLabel.h"
#include "ui/DropDownBox.h"
#include "ui/ListGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>
#include <memory>

using namespace kaoshi;
using namespace kaoshi::test;

Q_DECLARE_METATYPE(kaoshi::test::TestEngine)

namespace {

const Message kRefusedAnswer{QStringLiteral("答案没有保存\n拒绝写入"), QStringLiteral("失败"), Message::Icon::Warning};

struct Run : ProgramState {
    std::unique_ptr<MainWindow> main;
    explicit Run(TestEngine engine) : ProgramState(engine)
    {
        if (engine == TestEngine::Server)
            context.serverLocation = db.serverSettings().describe();
    }
    void start()
    {
        main = std::make_unique<MainWindow>(context);
        main->applyScreenSize({1920, 1080});
        main->show();
    }
    QString stored(const QString &sql) { return db.text(sql); }
    void menu(const QString &caption)
    {
        for (QAction *a : main->findChildren<QAction *>())
            if (a->text() == caption) {
                a->trigger();
                return;
            }
        QFAIL(qPrintable(caption));
    }
    ExamPaperWindow *signIn(const QString &number)
    {
        return signInPaper(*main, {number, QStringLiteral("一"), QStringLiteral("张三")});
    }
};

#define READY(run) QVERIFY2((run).db.isReady(), qPrintable((run).db.reason()))

} // namespace

class WindowsOnBothEnginesTest : public QObject
{
    Q_OBJECT
private slots:
    void engines_data()
    {
        QTest::addColumn<TestEngine>("engine");
        QTest::newRow("file") << TestEngine::File;
        QTest::newRow("server") << TestEngine::Server;
    }

    void theFirstPanelNamesTheDatabaseInUse_data()
    {
        engines_data();
        QTest::newRow("file for this run") << TestEngine::File;
    }
    void theFirstPanelNamesTheDatabaseInUse()
    {
        QFETCH(TestEngine, engine);
        Run r(engine);
        READY(r);
        const bool thisRun = QByteArray(QTest::currentDataTag()) == "file for this run";
        r.context.fileForThisRun = thisRun;
        r.start();
        QLabel *panel = r.main->statusBar()->findChild<QLabel *>(QStringLiteral("状态条1数据库栏"));
        QVERIFY(panel);
        const QString file = r.db.path();
        const QString folder = QFileInfo(file).dir().dirName();
        const QString shown = engine == TestEngine::Server
                                  ? QStringLiteral("服务器：") + r.context.serverLocation
                                  : (thisRun ? QStringLiteral("本机文件（仅本次）：…/") : QStringLiteral("本机文件：…/")) +
                                        folder + QStringLiteral("/考试修改.mdb");
        QCOMPARE(panel->text(), shown);
        QCOMPARE(panel->accessibleName(), shown);
        // What it paints fits the panel: a long path is cut in the middle,
        // the file's name still seen.
        const auto *painted = dynamic_cast<const ElidedLabel *>(panel);
        QVERIFY(painted);
        QVERIFY2(panel->fontMetrics().horizontalAdvance(painted->shownText()) <= panel->contentsRect().width(),
                 qPrintable(painted->shownText()));
        if (engine == TestEngine::File)
            QVERIFY2(painted->shownText().endsWith(QStringLiteral("考试修改.mdb")), qPrintable(painted->shownText()));
        if (engine == TestEngine::File)
            QVERIFY2(panel->toolTip().contains(file), qPrintable(panel->toolTip()));
        if (thisRun)
            QVERIFY(panel->toolTip().endsWith(QStringLiteral("（连接不上数据库设置中的服务器，本次运行使用本机文件）")));
        // The candidate line follows it.
        r.main->setStatusText(1, QStringLiteral("考号:A01"));
        QLabel *candidate = r.main->statusBar()->findChild<QLabel *>(QStringLiteral("状态条1第1栏"));
        QCOMPARE(candidate->text(), QStringLiteral("考号:A01"));
        QVERIFY(panel->geometry().right() < candidate->geometry().left());
    }

    void practiceKeepsAnAnswerOrSaysWhyNot_data() { engines_data(); }
    void practiceKeepsAnAnswerOrSaysWhyNot()
    {
        QFETCH(TestEngine, engine);
        Run r(engine);
        READY(r);
        for (QuestionType type : allQuestionTypes())
            r.db.addQuestions(type, 3);
        r.start();
        r.main->runMenuItem(QStringLiteral("顺序练习"));
        QWidget *w = r.main->currentTaskWindow();
        QVERIFY(w);
        click(w, QStringLiteral("C单选框"));
        press(w, QStringLiteral("保存")); // and on to the next question
        QCOMPARE(r.stored(QStringLiteral("select 练习答案 from 单选 where 题号=1")), QStringLiteral("C"));
        QCOMPARE(question(w), QStringLiteral("单选题2"));

        r.db.refuse(QStringLiteral("单选"), QStringLiteral("update"));
        click(w, QStringLiteral("B单选框"));
        r.platform.clear();
        press(w, QStringLiteral("保存"));
        QCOMPARE(r.platform.messages, QList<Message>{kRefusedAnswer});
        QCOMPARE(question(w), QStringLiteral("单选题2"));
        QCOMPARE(box(w, QStringLiteral("单选"))->text(), QStringLiteral("2"));
        QCOMPARE(r.stored(QStringLiteral("select count(*) from 单选 where 练习答案<>''")), QStringLiteral("1"));
    }

    void anExamPaperIsSatAndHandedInOrKeptWhenRefused_data() { engines_data(); }
    void anExamPaperIsSatAndHandedInOrKeptWhenRefused()
    {
        QFETCH(TestEngine, engine);
        Run r(engine);
        READY(r);
        r.db.addQuestions(QuestionType::SingleChoice, 4);
        ExamSettings settings;
        settings.draws = {2, 0, 0, 0};
        QVERIFY(storeExamSettings(r.db.store(), settings));
        r.start();

        ExamPaperWindow *paper = r.signIn(QStringLiteral("A01"));
        QVERIFY(paper);
        click(paper, QStringLiteral("A单选框"));
        QCOMPARE(r.stored(QStringLiteral("select count(*) from 答卷 where 考生答案='A'")), QStringLiteral("1"));
        r.platform.setNextAnswer(true);
        r.menu(QStringLiteral("交卷"));
        QCOMPARE(r.platform.lastMessage().text, QStringLiteral("交卷完毕,共 2 题,已答 1 题"));
        QCOMPARE(r.stored(QStringLiteral("select count(*) from 评分 where 考号='A01' and 考生答案='A'")),
                 QStringLiteral("1"));

        // A hand-in the database refuses keeps the paper and every answer.
        paper = r.signIn(QStringLiteral("A02"));
        QVERIFY(paper);
        click(paper, QStringLiteral("B单选框"));
        r.db.refuse(QStringLiteral("评分"), QStringLiteral("insert"));
        r.platform.clear();
        r.menu(QStringLiteral("收卷"));
        QCOMPARE(r.platform.messages, (QList<Message>{{QStringLiteral("试卷没有交上,答案都还在,请再交卷\n拒绝写入"),
                                                       QStringLiteral("失败"), Message::Icon::Warning}}));
        QVERIFY(paper->isVisible());
        QCOMPARE(r.stored(QStringLiteral("select count(*) from 评分 where 考号='A02'")), QStringLiteral("0"));
        QCOMPARE(r.stored(QStringLiteral("select count(*) from 答卷 where 考生答案='B'")), QStringLiteral("1"));

        // An answer the database refuses to keep is said so at once.
        r.db.refuse(QStringLiteral("答卷"), QStringLiteral("update"));
        r.platform.clear();
        click(paper, QStringLiteral("C单选框"));
        QCOMPARE(r.platform.messages, QList<Message>{kRefusedAnswer});
        QCOMPARE(r.stored(QStringLiteral("select count(*) from 答卷 where 考生答案='B'")), QStringLiteral("1"));
    }

    void gradingTotalsAndARefusedDelete_data() { engines_data(); }
    void gradingTotalsAndARefusedDelete()
    {
        QFETCH(TestEngine, engine);
        Run r(engine);
        READY(r);
        for (qint64 n = 1; n <= 3; ++n)
            r.db.addQuestion(QuestionType::SingleChoice, {n, QStringLiteral("题%1").arg(n), QStringLiteral("A"), {}, 2.5});
        QVERIFY(addAnswers(r.db.store(), {{"A01", "一", "张三", 1, "单选", "A"},
                                          {"A01", "一", "张三", 2, "单选", "B"},
                                          {"A01", "一", "张三", 3, "单选", "A"},
                                          {"B02", "一", "李四", 1, "单选", "C"}}));
        r.start();
        r.main->runMenuItem(QStringLiteral("评分"));
        auto *grading = qobject_cast<GradingWindow *>(r.main->currentTaskWindow());
        QVERIFY(grading);
        auto *grid = control<ListGrid>(grading, QStringLiteral("高级表格1"));
        auto grade = [&](const QString &number) {
            control<DropDownBox>(grading, QStringLiteral("考号组合框"))->setEditText(number);
            control<DropDownBox>(grading, QStringLiteral("场次组合框"))->setEditText(QStringLiteral("一"));
            press(grading, QStringLiteral("评分"));
        };
        grade(QString());
        QStringList totals;
        for (int row = 1; row < grid->rowCount(); ++row)
            totals << grid->text(row, 6) + grid->text(row, 8) + QLatin1Char('=') + grid->text(row, 9);
        QCOMPARE(totals, (QStringList{QStringLiteral("A01张三=5"), QStringLiteral("B02李四=0")}));

        grade(QStringLiteral("A01"));
        grid->setCursorRow(1, 3);
        r.db.refuse(QStringLiteral("评分"), QStringLiteral("delete"));
        r.platform.clear();
        press(grading, QStringLiteral("删除"));
        QCOMPARE(r.platform.messages, (QList<Message>{{QStringLiteral("答案未能删除\n拒绝写入"), QStringLiteral("失败"),
                                                       Message::Icon::Warning}}));
        QCOMPARE(r.db.count("评分"), 4);
    }

    void markingKeepsAScoreOrSaysWhyNot_data() { engines_data(); }
    void markingKeepsAScoreOrSaysWhyNot()
    {
        QFETCH(TestEngine, engine);
        Run r(engine);
        READY(r);
        r.db.addQuestion(QuestionType::SingleChoice, {1, QStringLiteral("单选题"), QStringLiteral("A"), {}, 2});
        r.db.addQuestion(QuestionType::FreeAnswer, {1, QStringLiteral("简述光合作用"), QStringLiteral("光能"), {}, 4});
        QVERIFY(addAnswers(r.db.store(), {{"A01", "一", "张三", 1, "单选", "A"},
                                          {"A01", "一", "张三", 1, "问答", "植物吸收阳光"},
                                          {"B02", "一", "李四", 1, "问答", "光能"}}));
        r.start();
        r.main->runMenuItem(QStringLiteral("阅卷"));
        auto *marking = qobject_cast<MarkingWindow *>(r.main->currentTaskWindow());
        QVERIFY(marking);
        QCOMPARE(control<QComboBox>(marking, QStringLiteral("场次选择框"))->currentText(), QStringLiteral("一"));
        QCOMPARE(marking->answerCount(), 2);
        QCOMPARE(control<QTextEdit>(marking, QStringLiteral("考生答案框"))->toPlainText(), QStringLiteral("植物吸收阳光"));
        auto *score = control<QDoubleSpinBox>(marking, QStringLiteral("得分框"));
        QCOMPARE(score->maximum(), 4.0);
        score->setValue(2.5);
        click(marking, QStringLiteral("给分按钮"));
        QVERIFY(r.platform.messages.isEmpty());
        QCOMPARE(marking->position(), 1);
        QCOMPARE(r.stored(QStringLiteral("select 得分 from 阅卷 where 考号='A01'")), QStringLiteral("2.5"));

        // The next score meets a database that refuses it: said, kept typed.
        r.db.refuse(QStringLiteral("阅卷"), QStringLiteral("insert"));
        score->setValue(3);
        click(marking, QStringLiteral("给分按钮"));
        QCOMPARE(r.platform.messages, (QList<Message>{{QStringLiteral("得分未能保存\n拒绝写入"), QStringLiteral("失败"),
                                                       Message::Icon::Warning}}));
        QCOMPARE(score->value(), 3.0);
        QCOMPARE(marking->position(), 1);
        QCOMPARE(r.db.count("阅卷"), 1);

        // The grading window counts the hand score and marks it.
        r.main->runMenuItem(QStringLiteral("评分"));
        auto *grading = qobject_cast<GradingWindow *>(r.main->currentTaskWindow());
        QVERIFY(grading);
        control<DropDownBox>(grading, QStringLiteral("考号组合框"))->setEditText(QStringLiteral("A01"));
        control<DropDownBox>(grading, QStringLiteral("场次组合框"))->setEditText(QStringLiteral("一"));
        press(grading, QStringLiteral("评分"));
        QAbstractItemModel *model = control<ListGrid>(grading, QStringLiteral("高级表格1"))->model();
        // Rows: 单选 (compared), 问答 (by hand), 总分.
        QCOMPARE(model->index(1, 9).data().toString(), QStringLiteral("2.5"));
        QCOMPARE(model->index(1, 9).data(Qt::ToolTipRole).toString(), QStringLiteral("阅卷给分"));
        QVERIFY(model->index(0, 9).data(Qt::ToolTipRole).isNull());
        // The total follows the list once its first slice is summed, which a
        // busy server may not finish within the first slice's time.
        QTRY_COMPARE(model->index(2, 9).data().toString(), QStringLiteral("4.5"));
    }

    void theEditorStoresOrSaysWhyNot_data() { engines_data(); }
    void theEditorStoresOrSaysWhyNot()
    {
        QFETCH(TestEngine, engine);
        Run r(engine);
        READY(r);
        r.db.addQuestions(QuestionType::SingleChoice, 2);
        const qint64 rowId =
            r.db.store().query(QStringLiteral("select rowid from 单选 where 题号=2")).value(1).toInteger();
        auto edit = [&](const QString &newText) {
            auto editor = std::make_unique<QuestionEditorWindow>(
                r.context, QuestionType::SingleChoice,
                QuestionTexts{QStringLiteral("2"), QStringLiteral("单选题2"), QStringLiteral("A"), {}, {}, {}, rowId});
            editor->show();
            control<QTextEdit>(editor.get(), QStringLiteral("题目超级编辑框"))->setPlainText(newText);
            press(editor.get(), QStringLiteral("保存"));
            return editor;
        };
        QVERIFY(!edit(QStringLiteral("改过的题"))->isVisible()); // stored and closed
        QCOMPARE(r.stored(QStringLiteral("select 题目 from 单选 where 题号=2")), QStringLiteral("改过的题"));

        r.db.refuse(QStringLiteral("单选"), QStringLiteral("update"));
        r.platform.clear();
        const auto refused = edit(QStringLiteral("再改一次"));
        QCOMPARE(r.platform.messages, (QList<Message>{{QStringLiteral("更新单选失败\n拒绝写入"), QStringLiteral("失败"),
                                                       Message::Icon::Warning}}));
        QVERIFY(refused->isVisible());
        QCOMPARE(control<QTextEdit>(refused.get(), QStringLiteral("题目超级编辑框"))->toPlainText(), QStringLiteral("再改一次"));
        QCOMPARE(r.stored(QStringLiteral("select 题目 from 单选 where 题号=2")), QStringLiteral("改过的题"));
    }

    // A paper per candidate: options shown in an order of their own, kept
    // with the paper, shown again on resume, graded in the question's own
    // letters; orders the database refuses keep no paper at all.
    void aShuffledPaperResumesInItsOrderAndIsGradedInOwnLetters_data() { engines_data(); }
    void aShuffledPaperResumesInItsOrderAndIsGradedInOwnLetters()
    {
        QFETCH(TestEngine, engine);
        Run r(engine);
        READY(r);
        for (int n = 1; n <= 3; ++n)
            r.db.addQuestion(QuestionType::SingleChoice,
                             {n, QStringLiteral("单选%1？A.甲B.乙C.丙D.丁").arg(n), QStringLiteral("B")});
        ExamSettings settings;
        settings.draws = {3, 0, 0, 0};
        QVERIFY(storeExamSettings(r.db.store(), settings));
        QVERIFY(storePaperShuffle(r.db.store(), {true, true}));
        r.start();

        ExamPaperWindow *paper = r.signIn(QStringLiteral("A01"));
        QVERIFY(paper);
        const qint64 number = paper->paper().part(QuestionType::SingleChoice)[0];
        const QString shown = question(paper);
        click(paper, shownLetterOf(paper, QStringLiteral("乙")) + QStringLiteral("单选框"));
        QCOMPARE(r.stored(QStringLiteral("select 考生答案 from 答卷 where 序号=0")), QStringLiteral("B"));
        QCOMPARE(r.stored(QStringLiteral("select count(*) from 答卷顺序")), QStringLiteral("3"));
        r.main.reset();
        r.start();
        paper = r.signIn(QStringLiteral("A01"));
        QVERIFY(paper);
        QCOMPARE(question(paper), shown);
        QVERIFY(control<QAbstractButton>(paper, shownLetterOf(paper, QStringLiteral("乙")) + QStringLiteral("单选框"))->isChecked());
        r.platform.setNextAnswer(true);
        r.menu(QStringLiteral("交卷"));
        QCOMPARE(r.stored(QStringLiteral("select 考生答案 from 评分 where 题号=%1").arg(number)), QStringLiteral("B"));

        r.db.refuse(QStringLiteral("答卷顺序"), QStringLiteral("insert"));
        r.platform.clear();
        QVERIFY(!r.signIn(QStringLiteral("A02")));
        QCOMPARE(r.platform.lastMessage(), (Message{QStringLiteral("无法保存试卷,考试没有开始\n拒绝写入"),
                                                    QStringLiteral("失败"), Message::Icon::Warning}));
        QCOMPARE(r.stored(QStringLiteral("select count(*) from 答卷 where 考号='A02'")), QStringLiteral("0"));
        QCOMPARE(r.stored(QStringLiteral("select count(*) from 答卷计时 where 考号='A02'")), QStringLiteral("0"));
    }
};

QTEST_MAIN(WindowsOnBothEnginesTest)
#include "WindowsOnBothEnginesTest.moc"
