// The bank list driven through its controls, inside the main window.
#include "BankTestSupport.h"
#include "bank/BankWindow.h"
#include "bank/QuestionEditorWindow.h"
#include "print/PrintHandOver.h"
#include "ui/GridWindow.h"
#include "ui/ListGrid.h"

#include <QAccessible>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QLineEdit>
#include <QTextEdit>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

const QString kSingle = QStringLiteral("单选");

struct BankFixture : ProgramFixture {
    BankFixture() = default;
    explicit BankFixture(TestEngine engine) : ProgramFixture(engine) {}
    MainWindow main{context};
    BankWindow *bank = nullptr;
    ListGrid *grid = nullptr;

    void open(const QString &item = QStringLiteral("单选题库"))
    {
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        main.runMenuItem(item);
        bank = qobject_cast<BankWindow *>(main.currentTaskWindow());
        QVERIFY(bank);
        grid = bank->findChild<ListGrid *>(QStringLiteral("高级表格1"));
        QVERIFY(grid);
    }
    void searchFor(const QString &text)
    {
        bank->findChild<QLineEdit *>(QStringLiteral("查询编辑框"))->setText(text);
        pressToolButton(bank, QStringLiteral("搜索"));
    }
    void addRows(const QString &count)
    {
        whenModalOpens([count](QWidget *dialog) {
            auto *box = dialog->findChild<QLineEdit *>(QStringLiteral("行数编辑框"));
            QVERIFY(box);
            QCOMPARE(dialog->focusWidget(), box);
            box->selectAll();
            QTest::keyClick(box, Qt::Key_Backspace);
            QTest::keyClicks(box, count);
            QTest::keyClick(box, Qt::Key_Return);
        });
        pressToolButton(bank, QStringLiteral("添加"));
    }
    QStringList column(int c) const
    {
        QStringList cells;
        for (int row = 1; row < grid->rowCount(); ++row)
            cells << grid->text(row, c);
        return cells;
    }
    void typeRow(int row, const QStringList &cells)
    {
        for (int c = 0; c < cells.size(); ++c)
            grid->setText(row, c + 1, cells[c]);
    }
};

} // namespace

class BankWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void opensWithSevenColumnsSizedFromTheWindow();
    void searchListsTheBankWithProgressOrFindsText();
    void aLongSearchShowsItsFirstMatchesAtOnceAndCanBeStopped();
    void addRowsDiscardsListedRowsAndMakesTheGridEditable();
    void saveStoresTypedRowsOnceWithNumbersAfterTheMaximum();
    void clearEmptiesTheBankWithItsPicturesAfterOk();
    void refusedSaveAndClearSaySoAndChangeNothing();
    void refusedSaveAndClearSaySoAndChangeNothingOnTheServer();
    void resizeNeverDiscardsRowsWithText();
    void doubleClickOpensTheEditorOnDataRowsOnly();
    void listFollowsTheEditorsDeleteAndSave();
    void aLongBankIsMetWholeByKeysEditorReaderAndPrint();

private:
    // The same window on a database file and on a database server.
    void refusedSaveAndClearOn(TestEngine engine);
};

void BankWindowTest::opensWithSevenColumnsSizedFromTheWindow()
{
    BankFixture f;
    f.open(QStringLiteral("判断题库"));
    QCOMPARE(f.bank->questionType(), QuestionType::TrueFalse);
    QCOMPARE(f.main.windowTitle(), QStringLiteral("考试系统-题库-判断"));
    QCOMPARE(f.grid->columnCount(), 7);
    QStringList titles;
    for (int c = 0; c < 7; ++c)
        titles << f.grid->text(0, c);
    QCOMPARE(titles, (QStringList{"题号", "题目", "标准答案", "解析", "分值", "章节", "题号"}));
    QCOMPARE(f.grid->columnWidth(6), 0);

    const QSize window = f.bank->size();
    QCOMPARE(f.grid->geometry(), QRect(10, 40, window.width() - 20, window.height() - 50));
    const int width = window.width() - 20;
    QCOMPARE(f.grid->columnWidth(0), int(50.0 / 600.0 * width));
    QCOMPARE(f.grid->columnWidth(3), int(100.0 / 600.0 * width));
    QCOMPARE(f.grid->rowCount(), (window.height() - 50) / 24);
    QVERIFY(f.grid->isEditable());
    QVERIFY(f.grid->isVisible());

    // Nothing of the toolbar row overlaps.
    auto *toolbar = f.bank->findChild<QToolBar *>(QStringLiteral("工具条1"));
    auto *search = f.bank->findChild<QLineEdit *>(QStringLiteral("查询编辑框"));
    QVERIFY(!toolbar->geometry().intersects(search->geometry()));
    QVERIFY(!search->geometry().intersects(f.grid->geometry()));
}

void BankWindowTest::searchListsTheBankWithProgressOrFindsText()
{
    BankFixture f;
    for (qint64 n : {3, 1, 2, 4, 5})
        f.db.addQuestion(kSingle, {n, QStringLiteral("题%1").arg(n), "A", "", n == 4 ? 2.5 : 1});
    f.db.addQuestion(kSingle, {6, QStringLiteral("It's here"), "B"});
    f.open();
    QStringList shown;
    f.main.statusProgress().setSink([&](const QString &blocks) { shown << blocks; });

    f.searchFor(QString());
    QCOMPARE(f.column(0), (QStringList{"1", "2", "3", "4", "5", "6"}));
    QCOMPARE(f.column(6), f.column(0));
    QCOMPARE(f.column(4)[3], QStringLiteral("2.5"));
    QVERIFY(!f.grid->isEditable());
    // Rows are read as they come into view: the bar is left empty.
    QVERIFY(!shown.isEmpty());
    QCOMPARE(shown.last(), QString());

    const struct {
        QString text;
        QStringList numbers;
    } cases[] = {{QStringLiteral("It's"), {"6"}}, {QStringLiteral("2.5"), {"4"}}, {QStringLiteral("题3"), {"3"}},
                 {QStringLiteral("none"), {}}};
    for (const auto &c : cases) {
        f.searchFor(c.text);
        QCOMPARE(f.column(0), c.numbers);
    }
}

void BankWindowTest::aLongSearchShowsItsFirstMatchesAtOnceAndCanBeStopped()
{
    BankFixture f;
    f.db.addQuestions(kSingle, 3000);
    f.open();
    f.main.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&f.main));
    auto *stop = f.bank->findChild<QPushButton *>(QStringLiteral("停止按钮"));
    auto *note = f.bank->findChild<QLabel *>(QStringLiteral("搜索结果标签"));
    QVERIFY(stop && note);
    QVERIFY(!stop->isEnabled());

    // The first slice is listed at once; the rest is still being read.
    f.searchFor(QStringLiteral("题"));
    const int first = f.grid->rowCount() - 1;
    QVERIFY(first > 0 && first < 3000);
    QCOMPARE(f.grid->text(1, 0), QStringLiteral("1"));
    QVERIFY(stop->isEnabled());
    QVERIFY(note->text().startsWith(QStringLiteral("正在搜索")));

    // Esc stops it where it is; the window stays and the list no longer grows.
    QTest::keyClick(f.grid, Qt::Key_Escape);
    QCOMPARE(f.main.currentTaskWindow(), f.bank);
    const int found = f.grid->rowCount() - 1;
    QCOMPARE(note->text(), QStringLiteral("已停止：找到 %1 题").arg(found));
    QVERIFY(!stop->isEnabled());
    QTest::qWait(50);
    QCOMPARE(f.grid->rowCount() - 1, found);

    // 停止 stops a search of its own; Enter in the box searches, and left
    // alone, every match is listed in order.
    f.searchFor(QStringLiteral("题"));
    QTest::mouseClick(stop, Qt::LeftButton);
    QVERIFY(note->text().startsWith(QStringLiteral("已停止")));
    QTest::keyClick(f.bank->findChild<QLineEdit *>(QStringLiteral("查询编辑框")), Qt::Key_Return);
    QVERIFY(note->text().startsWith(QStringLiteral("正在搜索")));
    QTRY_COMPARE(note->text(), QStringLiteral("找到 3000 题"));
    QCOMPARE(f.grid->rowCount(), 3001);
    QCOMPARE(f.grid->text(3000, 0), QStringLiteral("3000"));
    QCOMPARE(f.grid->text(1500, 1), QStringLiteral("单选题1500"));
    // Esc with no search running closes the window as before.
    QPointer<BankWindow> window(f.bank);
    QTest::keyClick(f.grid, Qt::Key_Escape);
    QTRY_VERIFY(!window || !window->isVisible());
}

void BankWindowTest::addRowsDiscardsListedRowsAndMakesTheGridEditable()
{
    BankFixture f;
    f.db.addQuestions(kSingle, 3);
    f.open();
    f.searchFor(QString());
    QCOMPARE(f.grid->rowCount(), 4);

    f.addRows(QStringLiteral("2"));
    QCOMPARE(f.grid->rowCount(), 3);
    QCOMPARE(f.column(0), (QStringList{"", ""}));
    QCOMPARE(f.column(1), (QStringList{"", ""}));
    QVERIFY(f.grid->isEditable());

    // Enter on an empty box confirms too: no blank row is offered.
    f.addRows(QString());
    QCOMPARE(f.grid->rowCount(), 1);
}

void BankWindowTest::saveStoresTypedRowsOnceWithNumbersAfterTheMaximum()
{
    BankFixture f;
    f.db.addQuestions(kSingle, 2);
    f.open();
    f.addRows(QStringLiteral("5"));
    f.typeRow(1, {QStringLiteral("first ab"), QStringLiteral("ab"), QStringLiteral("why"), QStringLiteral("abc")});
    // Row 2 stays blank; row 4 has an answer but no question.
    f.typeRow(4, {QString(), QStringLiteral("C")});
    // Row 3 is still being typed when "保存" is pressed.
    f.grid->setCursorRow(3, 1);
    QTest::keyClick(f.grid, Qt::Key_T); // opens the in-place editor with "t"
    auto *cellEditor = f.grid->viewport()->findChild<QLineEdit *>();
    QVERIFY(cellEditor);
    QTest::keyClicks(cellEditor, QStringLiteral("hird"));
    f.grid->setText(3, 2, QStringLiteral("d"));

    pressToolButton(f.bank, QStringLiteral("保存"));
    QCOMPARE(f.platform.lastMessage(), (Message{QStringLiteral("操作完毕,请重新查询"), QStringLiteral("系统消息"),
                                                Message::Icon::Information}));
    QCOMPARE(f.db.count(kSingle), 4);
    QCOMPARE(f.db.text("select 题目 || '|' || 标准答案 || '|' || 解析 from 单选 where 题号=3"),
             QStringLiteral("FIRST AB|AB|why"));
    QCOMPARE(f.db.text("select 分值 from 单选 where 题号=3"), QStringLiteral("0"));
    QCOMPARE(f.db.text("select 题目 || '|' || 标准答案 from 单选 where 题号=4"), QStringLiteral("THIRD|D"));
    // Blank rows are gone and the stored rows show their numbers in both columns.
    QCOMPARE(f.column(0), (QStringList{"3", "4"}));
    QCOMPARE(f.column(6), (QStringList{"3", "4"}));

    pressToolButton(f.bank, QStringLiteral("保存"));
    QCOMPARE(f.db.count(kSingle), 4);
}

void BankWindowTest::clearEmptiesTheBankWithItsPicturesAfterOk()
{
    BankFixture f;
    f.db.addQuestions(kSingle, 3);
    f.db.addQuestions(QStringLiteral("多选"), 1);
    f.db.addPicture(kSingle, 1, "s", "\\image\\s.png");
    f.db.addPicture(QStringLiteral("多选"), 1, "m", "\\image\\m.png");
    f.open();

    f.platform.setNextAnswer(false);
    pressToolButton(f.bank, QStringLiteral("清空"));
    QCOMPARE(f.platform.lastMessage(),
             (Message{QStringLiteral("确定要清空所有单选"), QStringLiteral("注意"), Message::Icon::None}));
    QCOMPARE(f.db.count(kSingle), 3);

    f.platform.setNextAnswer(true);
    pressToolButton(f.bank, QStringLiteral("清空"));
    QCOMPARE(f.platform.lastMessage().text, QStringLiteral("清空完毕"));
    QCOMPARE(f.db.count(kSingle), 0);
    QCOMPARE(f.db.count(QStringLiteral("多选")), 1);
    QCOMPARE(f.db.text("select group_concat(题型) from 图片"), QStringLiteral("多选"));
}

void BankWindowTest::refusedSaveAndClearSaySoAndChangeNothing()
{
    refusedSaveAndClearOn(TestEngine::File);
}

void BankWindowTest::refusedSaveAndClearSaySoAndChangeNothingOnTheServer()
{
    refusedSaveAndClearOn(TestEngine::Server);
}

void BankWindowTest::refusedSaveAndClearOn(TestEngine engine)
{
    BankFixture f(engine);
    QVERIFY2(f.db.isReady(), qPrintable(f.db.reason()));
    f.db.addQuestions(kSingle, 3);
    f.db.addPicture(kSingle, 1, "s", "\\image\\s.png");
    f.open();
    f.addRows(QStringLiteral("2"));
    f.typeRow(1, {QStringLiteral("new question"), QStringLiteral("A")});
    f.db.refuse(kSingle, QStringLiteral("insert"));
    f.platform.clear();
    pressToolButton(f.bank, QStringLiteral("保存"));
    QCOMPARE(f.platform.messages.size(), 1);
    QCOMPARE(f.platform.lastMessage().caption, QStringLiteral("失败"));
    QCOMPARE(f.platform.lastMessage().icon, Message::Icon::Warning);
    QCOMPARE(f.platform.lastMessage().text, QStringLiteral("新题目没有保存\n拒绝写入"));
    QCOMPARE(f.db.count(kSingle), 3);
    QCOMPARE(f.grid->text(1, 0), QString()); // the typed row is not shown as stored
    QCOMPARE(f.grid->text(1, 1), QStringLiteral("new question"));

    f.db.refuse(QStringLiteral("图片"), QStringLiteral("delete"));
    f.platform.clear();
    f.platform.setNextAnswer(true);
    pressToolButton(f.bank, QStringLiteral("清空"));
    QCOMPARE(f.platform.messages.size(), 2);
    QCOMPARE(f.platform.lastMessage(),
             (Message{QStringLiteral("没有清空单选\n拒绝写入"), QStringLiteral("失败"), Message::Icon::Warning}));
    // The questions went first and came back: the unit is whole.
    QCOMPARE(f.db.count(kSingle), 3);
    QCOMPARE(f.db.count(QStringLiteral("图片")), 1);
}

void BankWindowTest::resizeNeverDiscardsRowsWithText()
{
    BankFixture f;
    f.db.addQuestions(kSingle, 30);
    f.open();
    f.searchFor(QString());
    QCOMPARE(f.grid->rowCount(), 31);

    f.bank->resize(600, 50 + 24 * 10);
    QCOMPARE(f.grid->rowCount(), 31); // the listing is not cut
    f.bank->resize(600, 50 + 24 * 40);
    QCOMPARE(f.grid->rowCount(), 40); // blank rows fill the grid
    QCOMPARE(f.grid->text(39, 1), QString());

    f.addRows(QStringLiteral("20"));
    f.typeRow(12, {QStringLiteral("typed")});
    f.bank->resize(600, 50 + 24 * 6);
    QCOMPARE(f.grid->rowCount(), 13); // trailing blank rows go, typed row 12 stays
    QCOMPARE(f.grid->text(12, 1), QStringLiteral("typed"));
}

void BankWindowTest::doubleClickOpensTheEditorOnDataRowsOnly()
{
    BankFixture f;
    f.db.addQuestion(kSingle, {1, QStringLiteral("题一"), "C", QStringLiteral("解"), 2, QStringLiteral("章")});
    f.open();
    f.searchFor(QString());

    bool opened = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            opened = true;
            modal->close();
        }
    });
    guard.start(0);
    QSignalSpy doubleClicks(f.grid, &ListGrid::rowDoubleClicked);
    QHeaderView *header = f.grid->horizontalHeader();
    QTest::mouseDClick(header->viewport(), Qt::LeftButton, {},
                       QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
    QCoreApplication::processEvents();
    QCOMPARE(doubleClicks.size(), 1);
    QCOMPARE(doubleClicks[0][0].toInt(), 0);
    QVERIFY(!opened);

    QString number;
    QString text;
    whenModalOpens([&](QWidget *editor) {
        QCOMPARE(editor->windowTitle(), QStringLiteral("题目编辑"));
        number = editor->findChild<QLineEdit *>(QStringLiteral("题号编辑框"))->text();
        text = editor->findChild<QTextEdit *>(QStringLiteral("题目超级编辑框"))->toPlainText();
        editor->close();
    });
    doubleClickCell(f.grid, 1, 1);
    QCOMPARE(number, QStringLiteral("1"));
    QCOMPARE(text, QStringLiteral("题一"));
}

void BankWindowTest::listFollowsTheEditorsDeleteAndSave()
{
    BankFixture f;
    f.db.addQuestions(kSingle, 5);
    f.open();
    f.searchFor(QString());

    whenModalOpens([](QWidget *editor) { pressToolButton(editor, QStringLiteral("删除")); });
    doubleClickCell(f.grid, 3, 1);
    QCOMPARE(f.column(0), (QStringList{"1", "2", "3", "4"}));
    QCOMPARE(f.column(6), f.column(0));
    QCOMPARE(f.column(1), (QStringList{"单选题1", "单选题2", "单选题4", "单选题5"}));

    // Row 3 now edits the former question 4 under its new number.
    QString number;
    whenModalOpens([&](QWidget *editor) {
        number = editor->findChild<QLineEdit *>(QStringLiteral("题号编辑框"))->text();
        editor->findChild<QTextEdit *>(QStringLiteral("题目超级编辑框"))->setPlainText(QStringLiteral(" 改过的题 "));
        pressToolButton(editor, QStringLiteral("保存"));
    });
    doubleClickCell(f.grid, 3, 1);
    QCOMPARE(number, QStringLiteral("3"));
    QCOMPARE(f.grid->text(3, 1), QStringLiteral("改过的题"));
    QCOMPARE(f.db.text("select group_concat(题目, ',') from (select * from 单选 order by 题号)"),
             QStringLiteral("单选题1,单选题2,改过的题,单选题5"));

    // A typed row that is not stored yet keeps its text when the editor opened
    // on it stores a question; that question is shown in a row of its own.
    f.addRows("2");
    f.typeRow(1, {QStringLiteral("打好未存的题"), "A"});
    whenModalOpens([](QWidget *editor) {
        editor->findChild<QTextEdit *>(QStringLiteral("题目超级编辑框"))->setPlainText(QStringLiteral("编辑器里的题"));
        pressToolButton(editor, QStringLiteral("保存"));
    });
    doubleClickCell(f.grid, 1, 1);
    QCOMPARE(f.grid->text(1, 1), QStringLiteral("打好未存的题"));
    QCOMPARE(f.grid->text(1, 0), QString());
    QCOMPARE(f.grid->text(f.grid->rowCount() - 1, 1), QStringLiteral("编辑器里的题"));
    QCOMPARE(f.grid->text(f.grid->rowCount() - 1, 0), QStringLiteral("5"));
}

// A bank long enough for the view to hold a window of it (the window made
// small here): Ctrl+End shows and selects the last question, the editor opens
// on it, a screen reader hears the whole bank and the print window gets every row.
void BankWindowTest::aLongBankIsMetWholeByKeysEditorReaderAndPrint()
{
    struct SmallWindow {
        const int threshold = GridWindow::threshold();
        const int rows = GridWindow::windowRows();
        SmallWindow() { GridWindow::setWindowing(500, 100); }
        ~SmallWindow() { GridWindow::setWindowing(threshold, rows); }
    } smallWindow;
    BankFixture f;
    f.db.addQuestions(kSingle, 1500);
    f.open();
    f.searchFor(QString());
    QVERIFY(f.grid->isWindowed());
    QCOMPARE(f.grid->rowCount(), 1501);
    QCOMPARE(f.grid->model()->rowCount(), 100);

    f.grid->setFocus();
    QTest::keyClick(f.grid, Qt::Key_End, Qt::ControlModifier);
    QCOMPARE(f.grid->cursorRow(), 1500);
    QCOMPARE(f.grid->text(1500, 0), QStringLiteral("1500"));
    const QRect shown = f.grid->visualRect(f.grid->currentIndex());
    QVERIFY(f.grid->viewport()->rect().contains(shown));
    QCOMPARE(f.grid->currentIndex().data().toString(), f.grid->text(1500, f.grid->currentIndex().column()));
    // KAOSHI_SCREENSHOTS=<folder>: the list at its last row, as the user sees it.
    if (const QString folder = qEnvironmentVariable("KAOSHI_SCREENSHOTS"); !folder.isEmpty())
        QVERIFY(f.bank->grab().save(QDir(folder).filePath(QStringLiteral("长题库末行.png"))));

    QAccessibleTableInterface *table = QAccessible::queryAccessibleInterface(f.grid)->tableInterface();
    QCOMPARE(table->rowCount(), 1500);
    QCOMPARE(table->cellAt(1499, 1)->text(QAccessible::Name), QStringLiteral("单选题1500"));

    QString number;
    whenModalOpens([&](QWidget *editor) {
        number = editor->findChild<QLineEdit *>(QStringLiteral("题号编辑框"))->text();
        editor->close();
    });
    doubleClickCell(f.grid, 1500, 1);
    QCOMPARE(number, QStringLiteral("1500"));

    pressToolButton(f.bank, QStringLiteral("导出"));
    QAbstractItemModel *printed = f.main.printHandOver().request().source;
    QVERIFY(printed);
    QCOMPARE(printed->rowCount(), 1500);
    QCOMPARE(printed->index(1499, 1).data().toString(), QStringLiteral("单选题1500"));
    f.main.printHandOver().close();
}

QTEST_MAIN(BankWindowTest)
#include "BankWindowTest.moc"
