// The grading window driven through its controls, inside the main window.
#include "support/AnswerRows.h"
#include "support/ProgramState.h"
#include "support/TestDatabase.h"

#include "app/MainWindow.h"
#include "data/AnswerTable.h"
#include "data/Transaction.h"
#include "practice/PracticeSession.h"
#include "grading/GradingWindow.h"
#include "print/FreePrintWindow.h"
#include "print/PrintHandOver.h"
#include "ui/AppContext.h"
#include "ui/DropDownBox.h"
#include "ui/ListGrid.h"
#include "ui/ScriptedPlatform.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QToolBar>
#include <QtTest>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

struct Grading : kaoshi::test::ProgramState {
    MainWindow main{context};
    GradingWindow *window = nullptr;
    ListGrid *grid = nullptr;
    DropDownBox *number = nullptr;
    DropDownBox *occasion = nullptr;

    Grading()
    {
        for (qint64 n = 1; n <= 3; ++n)
            db.addQuestion("单选", {n, QStringLiteral("单选题%1").arg(n), QString(QChar(char16_t(u'A' + n - 1))), {}, 2.5});
        db.addQuestion("多选", {1, "多选题", "AC", {}, 5});
        db.addQuestion("判断", {1, "判断题", "√", {}, 1});
        db.addQuestion("问答", {1, "问答题", "北京", {}, 10});
        addAnswers(db.store(), {
            {"A01", "一", "张三", 1, "问答", "北京"},
            {"A01", "一", "张三", 3, "单选", "C"},
            {"A01", "一", "张三", 1, "判断", "×"},
            {"A01", "一", "张三", 1, "多选", "CA"},
            {"A01", "一", "张三", 1, "单选", "A"},
            {"A01", "一", "张三", 2, "单选", "B"},
            {"A01", "一", "张三", 7, "单选", "A"},   // the question is missing
            {"A01", "一", "张三", 1, "填空", "X"},   // no such bank
            {"A01", "二", "张三", 1, "多选", "AC"},
            {"A01", "二", "张 三", 1, "判断", "√"},
            {"B'02", "一'", "李四", 1, "单选", "A"},
        });
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.runMenuItem(QStringLiteral("评分"));
        window = qobject_cast<GradingWindow *>(main.currentTaskWindow());
        QVERIFY(window);
        grid = window->findChild<ListGrid *>(QStringLiteral("高级表格1"));
        number = window->findChild<DropDownBox *>(QStringLiteral("考号组合框"));
        occasion = window->findChild<DropDownBox *>(QStringLiteral("场次组合框"));
        QVERIFY(grid && number && occasion);
    }
    void press(const QString &caption)
    {
        auto *bar = window->findChild<QToolBar *>(QStringLiteral("工具条1"));
        for (QAction *action : bar->actions()) {
            if (action->text() == caption) {
                QTest::mouseClick(bar->widgetForAction(action), Qt::LeftButton);
                return;
            }
        }
        QFAIL(qPrintable(caption));
    }
    void grade(const QString &n, const QString &o)
    {
        number->setEditText(n);
        occasion->setEditText(o);
        press(QStringLiteral("评分"));
    }
    // The listed rows, read through the grid's model as a reader would:
    // columns 1 … 9 joined with "|".
    QStringList rows() const
    {
        QStringList list;
        QAbstractItemModel *model = grid->model();
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = 1; c < model->columnCount(); ++c)
                cells << model->data(model->index(r, c), Qt::DisplayRole).toString();
            const QString row = cells.join(u'|');
            if (row != QStringLiteral("||||||||"))
                list << row;
        }
        return list;
    }
    QStringList sortedRows() const
    {
        QStringList list = rows();
        list.sort();
        return list;
    }
    void selectRows(int first, int last)
    {
        QAbstractItemModel *model = grid->model();
        grid->selectionModel()->select(
            QItemSelection(model->index(first - 1, 0), model->index(last - 1, model->columnCount() - 1)),
            QItemSelectionModel::ClearAndSelect);
    }
};

const QString kDetailsOfA01 = QStringLiteral(
    "1|单选|单选题1|A|A|A01|一|张三|2.5\n"
    "2|单选|单选题2|B|B|A01|一|张三|2.5\n"
    "3|单选|单选题3|C|C|A01|一|张三|2.5\n"
    "7|单选|||A|A01|一|张三|\n"
    "1|多选|多选题|AC|CA|A01|一|张三|\n"
    "1|判断|判断题|√|×|A01|一|张三|\n"
    "1|问答|问答题|北京|北京|A01|一|张三|10\n"
    "1|填空|||X|A01|一|张三|\n"
    "总分||||||||17.5");

} // namespace

class GradingWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void opensWithTenColumnsProportionedToTheWindow();
    void totalsFollowTheFilters();
    void detailsMarkOneCandidatesAnswers();
    void detailsOfThousandsOfAnswersAreReadAsTheyComeIntoView();
    void deleteRemovesTheSelectedAnswersOnly();
    void deleteIsRefusedOutsideOneCandidatesAnswers();
    void failedWritesAreReported();
    void theTotalOfALongListFollowsTheList();
    void filterListsFillAsTheyOpen();
    void resizeNeverDropsListedRows();
    void exportHandsTheListToThePrintWindow();
};

void GradingWindowTest::opensWithTenColumnsProportionedToTheWindow()
{
    Grading g;
    QCOMPARE(g.main.windowTitle(), QStringLiteral("考试系统-评分"));
    QCOMPARE(g.grid->columnCount(), 10);
    QStringList titles;
    for (int c = 0; c < 10; ++c)
        titles << g.grid->model()->headerData(c, Qt::Horizontal).toString();
    QCOMPARE(titles, (QStringList{"", "题号", "题型", "题目", "标准答案", "考生答案", "考号", "场次", "姓名", "总分"}));
    QCOMPARE(g.grid->columnWidth(0), 0);
    const QSize size = g.window->size();
    QCOMPARE(g.grid->geometry(), QRect(10, 40, size.width() - 20, size.height() - 50));
    for (int c = 1; c < 10; ++c)
        QCOMPARE(g.grid->columnWidth(c), int(0.1 * (size.width() - 20)));
    QCOMPARE(g.grid->rowCount(), (size.height() - 50) / 24);

    // The toolbar row: three buttons in order, then the two filters, nothing overlapping.
    QStringList captions;
    auto *bar = g.window->findChild<QToolBar *>(QStringLiteral("工具条1"));
    for (QAction *action : bar->actions())
        captions << action->text();
    QCOMPARE(captions, (QStringList{"删除", "导出", "评分"}));
    auto *numberLabel = g.window->findChild<QLabel *>(QStringLiteral("计时标签2"));
    auto *occasionLabel = g.window->findChild<QLabel *>(QStringLiteral("计时标签3"));
    QCOMPARE(numberLabel->text(), QStringLiteral("考号"));
    QCOMPARE(occasionLabel->text(), QStringLiteral("场次"));
    const QList<QWidget *> row{bar, numberLabel, g.number, occasionLabel, g.occasion};
    for (int i = 1; i < row.size(); ++i)
        QVERIFY(row[i - 1]->geometry().right() < row[i]->geometry().left());
    for (QWidget *w : row)
        QVERIFY(!w->geometry().intersects(g.grid->geometry()));
}

void GradingWindowTest::totalsFollowTheFilters()
{
    Grading g;
    const struct {
        QString number, occasion;
        QStringList rows;
    } cases[] = {
        {"", "", {"|||||A01|一|张三|17.5", "|||||A01|二|张 三|1", "|||||A01|二|张三|5", "|||||B'02|一'|李四|2.5"}},
        {"A01", "", {"|||||A01|一|张三|17.5", "|||||A01|二|张 三|1", "|||||A01|二|张三|5"}},
        {"", "二", {"|||||A01|二|张 三|1", "|||||A01|二|张三|5"}},
        {"B'02", "", {"|||||B'02|一'|李四|2.5"}},
        {"", "一'", {"|||||B'02|一'|李四|2.5"}},
        {"x' or '1'='1", "", {}},
    };
    for (const auto &c : cases) {
        g.grade(c.number, c.occasion);
        QCOMPARE(g.sortedRows(), c.rows);
        // Exactly the listed rows, no blank ones before a resize.
        QCOMPARE(g.grid->rowCount(), int(c.rows.size()) + 1);
    }
    // The filters survive grading.
    QCOMPARE(g.number->currentText(), QStringLiteral("x' or '1'='1"));
    QVERIFY(g.platform.messages.isEmpty());
}

void GradingWindowTest::detailsMarkOneCandidatesAnswers()
{
    Grading g;
    g.grade("A01", "一");
    QCOMPARE(g.rows().join(u'\n'), kDetailsOfA01);
    // The summary row is grey in columns 1 to 9; data rows are striped.
    QAbstractItemModel *model = g.grid->model();
    const int last = model->rowCount() - 1;
    QCOMPARE(model->data(model->index(last, 1), Qt::BackgroundRole).value<QColor>(), QColor(236, 236, 236));
    QCOMPARE(model->data(model->index(last, 9), Qt::BackgroundRole).value<QColor>(), QColor(236, 236, 236));
    QCOMPARE(model->data(model->index(0, 3), Qt::BackgroundRole).value<QColor>(), QColor(230, 230, 255));
    QCOMPARE(model->data(model->index(1, 3), Qt::BackgroundRole).value<QColor>(), QColor(Qt::white));

    g.grade("B'02", "一'");
    QCOMPARE(g.rows(), (QStringList{"1|单选|单选题1|A|A|B'02|一'|李四|2.5", "总分||||||||2.5"}));
    g.grade("B'02", "' or ''='");
    QCOMPARE(g.rows(), (QStringList{"总分||||||||0"}));
}

void GradingWindowTest::detailsOfThousandsOfAnswersAreReadAsTheyComeIntoView()
{
    Grading g;
    {
        Transaction unit(g.db.store());
        for (qint64 n = 3000; n >= 1; --n)
            QVERIFY(addAnswers(g.db.store(), {{"C03", "一", "王五", n, "单选",
                                               n <= 3 ? QString(QChar(char16_t(u'A' + n - 1))) : QStringLiteral("D")}}));
        QVERIFY(unit.commit());
    }
    g.grade("C03", "一");
    // The answers are a listing read by window, the total a row of its own after it.
    QCOMPARE(g.grid->gridModel()->listedRowCount(), 3000);
    QCOMPARE(g.grid->rowCount(), 3002);
    QCOMPARE(g.grid->text(3001, 1), QStringLiteral("总分"));
    QTRY_COMPARE(g.grid->text(3001, 9), QStringLiteral("7.5"));
    QCOMPARE(g.grid->text(3000, 1), QStringLiteral("3000"));
    QCOMPARE(g.grid->text(2, 9), QStringLiteral("2.5"));
    QCOMPARE(g.grid->text(4, 9), QString());
    g.selectRows(2999, 3000);
    g.press(QStringLiteral("删除"));
    QCOMPARE(answerCount(g.db.store(), "C03", "一"), 2998);
}

void GradingWindowTest::deleteRemovesTheSelectedAnswersOnly()
{
    Grading g;
    g.grade("A01", "一");
    // Rows 2 to 4 (单选 2, 3 and the missing 7) and the grid keeps showing them.
    g.selectRows(2, 4);
    g.press(QStringLiteral("删除"));
    QCOMPARE(g.platform.lastMessage(),
             (Message{QStringLiteral("操作完毕,请重新查询"), QStringLiteral("系统消息"), Message::Icon::Information}));
    QCOMPARE(g.rows().join(u'\n'), kDetailsOfA01);
    QCOMPARE(g.db.count("评分"), 8);

    g.press(QStringLiteral("评分"));
    QCOMPARE(g.rows(), (QStringList{"1|单选|单选题1|A|A|A01|一|张三|2.5", "1|多选|多选题|AC|CA|A01|一|张三|",
                                    "1|判断|判断题|√|×|A01|一|张三|", "1|问答|问答题|北京|北京|A01|一|张三|10",
                                    "1|填空|||X|A01|一|张三|", "总分||||||||12.5"}));
    // A selection that runs into the summary row deletes the answer rows in it.
    g.selectRows(5, 6);
    g.press(QStringLiteral("删除"));
    QCOMPARE(g.db.count("评分"), 7);
    // The cursor row stands in for a missing selection.
    g.press(QStringLiteral("评分"));
    g.grid->selectionModel()->clearSelection();
    g.grid->setCursorRow(1, 3);
    g.grid->selectionModel()->clearSelection();
    g.press(QStringLiteral("删除"));
    QCOMPARE(g.db.count("评分"), 6);
    g.grade("", "");
    QCOMPARE(g.sortedRows().first(), QStringLiteral("|||||A01|一|张三|10"));
}

void GradingWindowTest::deleteIsRefusedOutsideOneCandidatesAnswers()
{
    Grading g;
    g.grade("", "");
    g.selectRows(1, 4);
    g.press(QStringLiteral("删除"));
    const Message refused = g.platform.lastMessage();
    QCOMPARE(refused.caption, QStringLiteral("系统消息"));
    QVERIFY(refused.text.contains(QStringLiteral("答题列表")));
    QCOMPARE(g.db.count("评分"), 11);

    // The summary row alone, and blank rows, name no answer either.
    g.grade("A01", "二");
    g.selectRows(g.grid->rowCount() - 1, g.grid->rowCount() - 1);
    g.platform.clear();
    g.press(QStringLiteral("删除"));
    QVERIFY(g.platform.lastMessage().text.contains(QStringLiteral("答题列表")));
    QCOMPARE(g.db.count("评分"), 11);
}

void GradingWindowTest::failedWritesAreReported()
{
    Grading g;
    // Deleting: refused by the database, nothing goes and no "操作完毕".
    QVERIFY(refuseWrites(g.db.store(), "评分", "delete"));
    g.grade("A01", "一");
    g.selectRows(1, 3);
    g.press(QStringLiteral("删除"));
    Message shown = g.platform.lastMessage();
    QCOMPARE(shown.caption, QStringLiteral("失败"));
    QCOMPARE(shown.icon, Message::Icon::Warning);
    QVERIFY(shown.text.contains(QStringLiteral("拒绝写入")));
    QCOMPARE(g.db.count("评分"), 11);

    // Totals that cannot be read: the totals of the earlier run are not shown.
    g.grade("", "");
    QCOMPARE(g.rows().size(), 4);
    QVERIFY(g.db.store().execute("alter table 判断 rename to 旧判断"));
    g.platform.clear();
    g.grade("", "");
    shown = g.platform.lastMessage();
    QCOMPARE(shown.caption, QStringLiteral("失败"));
    QVERIFY(shown.text.contains(QStringLiteral("判断")));
    QCOMPARE(g.grid->rowCount(), 1);

    // A candidate's total that cannot be summed: said, and no total shown.
    g.platform.clear();
    g.grade("A01", "一");
    QTRY_VERIFY(!g.window->isSumming());
    shown = g.platform.lastMessage();
    QCOMPARE(shown.caption, QStringLiteral("失败"));
    QVERIFY(shown.text.contains(QStringLiteral("总分未能算出")));
    QVERIFY(shown.text.contains(QStringLiteral("判断")));
    QCOMPARE(g.grid->text(g.grid->rowCount() - 1, 1), QStringLiteral("总分"));
    QCOMPARE(g.grid->text(g.grid->rowCount() - 1, 9), QString());
}

void GradingWindowTest::theTotalOfALongListFollowsTheList()
{
    // Many slices of answers: the list is there at once, its total when
    // it is summed (the window answering meanwhile), the same as in one.
    Grading g;
    {
        Transaction unit(g.db.store());
        QVERIFY(g.db.store().executeEach(
            "insert into 评分 (考号, 场次, 姓名, 题号, 题型, 考生答案) values ('C09', '一', '周九', ?, '单选', ?)", 60000,
            [](qsizetype i) { return Values{qint64(i % 3 + 1), i % 2 == 0 ? QStringLiteral("A") : QStringLiteral("B")}; }));
        QVERIFY(unit.commit());
    }
    g.grade("C09", "一");
    QCOMPARE(g.grid->rowCount(), 60002);
    QCOMPARE(g.grid->text(60001, 1), QStringLiteral("总分"));
    QTRY_VERIFY_WITH_TIMEOUT(!g.window->isSumming(), 20000);
    // 题号 1 (A) is right on even rows, 题号 2 (B) on odd ones: 10,000 each of 2.5.
    QCOMPARE(g.grid->text(60001, 9), QStringLiteral("50000"));
    QCOMPARE(g.platform.lastMessage().caption, QString());
}

void GradingWindowTest::filterListsFillAsTheyOpen()
{
    Grading g;
    auto items = [](DropDownBox *box) {
        QStringList list;
        for (int i = 0; i < box->count(); ++i)
            list << box->itemText(i);
        return list;
    };
    auto open = [](DropDownBox *box) {
        box->showPopup();
        box->hidePopup();
    };
    g.number->setEditText(QStringLiteral("typed"));
    open(g.number);
    QCOMPARE(items(g.number), (QStringList{"A01", "B'02"}));
    QCOMPARE(g.number->currentText(), QString()); // opening the list starts a new choice
    g.number->setCurrentIndex(1);
    open(g.occasion);
    QCOMPARE(items(g.occasion), QStringList{QStringLiteral("一'")});
    g.number->setCurrentIndex(0);
    open(g.occasion);
    QCOMPARE(items(g.occasion), (QStringList{"一", "二"}));
    // With an empty number, the occasions stored with an empty number: none.
    g.number->setEditText(QString());
    open(g.occasion);
    QCOMPARE(items(g.occasion), QStringList());
}

void GradingWindowTest::resizeNeverDropsListedRows()
{
    Grading g;
    g.grade("A01", "一");
    QCOMPARE(g.grid->rowCount(), 10); // eight answers and the summary row
    g.window->resize(600, 50 + 24 * 4);
    QCOMPARE(g.grid->rowCount(), 10); // the listing stays, reachable by scrolling
    g.window->resize(600, 50 + 24 * 20);
    QCOMPARE(g.grid->rowCount(), 20); // blank rows fill the grid
    QCOMPARE(g.rows().join(u'\n'), kDetailsOfA01);
    g.window->resize(600, 50 + 24 * 12);
    QCOMPARE(g.grid->rowCount(), 12);
    QCOMPARE(g.grid->columnWidth(3), int(0.1 * 580));
}

void GradingWindowTest::exportHandsTheListToThePrintWindow()
{
    Grading g;
    g.press(QStringLiteral("评分"));
    g.press(QStringLiteral("导出"));
    QWidget *print = g.main.printHandOver().window();
    QVERIFY(print);
    QCOMPARE(print->windowTitle(), QStringLiteral("自由打印导出"));
    QCOMPARE(g.main.printHandOver().request().settingsFile, QStringLiteral("题库.ini"));
    // The list itself, and a last column that says which scores a marker gave.
    QAbstractItemModel *handed = g.main.printHandOver().request().source.data();
    QVERIFY(handed);
    QCOMPARE(handed->columnCount(), GradingWindow::kColumnCount + 1);
    QCOMPARE(handed->headerData(GradingWindow::kColumnCount, Qt::Horizontal).toString(), QStringLiteral("阅卷"));
    for (int c = 0; c < GradingWindow::kColumnCount; ++c)
        QCOMPARE(handed->index(0, c).data(), g.grid->model()->index(0, c).data());
    QCOMPARE(g.main.printHandOver().request().columnWidths.size(), GradingWindow::kColumnCount + 1);
    g.main.printHandOver().close();
}

QTEST_MAIN(GradingWindowTest)
#include "GradingWindowTest.moc"
