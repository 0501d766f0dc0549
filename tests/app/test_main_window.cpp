// The main window driven through its controls: geometry, menus and the
// navigation bar, the current-task-window rule, Esc, the status-bar progress,
// clearing the database and the accessibility tree.
#include "TestDatabase.h"
#include "support/ProgramState.h"

#include "app/MainWindow.h"
#include "app/NavigationBar.h"
#include "ui/Chinese.h"
#include "ui/ScriptedPlatform.h"
#include "ui/TaskWindow.h"

#include <QAccessible>
#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QtTest>


using namespace kaoshi;
using kaoshi::test::TestDatabase;

namespace {

// A stand-in task window that registers and places itself like the real ones.
class StandInWindow : public TaskWindow
{
    Q_OBJECT
public:
    StandInWindow(TaskKind kind, const TaskRequest &request, AppContext &context, QWidget *host)
        : TaskWindow(context, host), kind(kind), request(request)
    {
    }
    TaskKind kind;
    TaskRequest request;

protected:
    QString mainCaption() const override { return QStringLiteral("考试系统-替身"); }
};

struct Harness : kaoshi::test::ProgramState {
    MainWindow main{context};
    QList<QPair<TaskKind, QPointer<StandInWindow>>> opened;

    Harness()
    {
        main.setTaskFactory([this](TaskKind kind, const TaskRequest &request, AppContext &ctx,
                                   QWidget *host) -> QWidget * {
            if (kind == TaskKind::Candidate || kind == TaskKind::ExamConfig)
                return nullptr;
            auto *w = new StandInWindow(kind, request, ctx, host);
            opened.append({kind, w});
            return w;
        });
        main.applyScreenSize({1920, 1080});
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
    }
    QAction *menuItem(const QString &caption)
    {
        for (QAction *a : main.findChildren<QAction *>())
            if (a->text() == caption)
                return a;
        return nullptr;
    }
    void clickNavigation(const QString &group, const QString &item)
    {
        NavigationBar *nav = main.navigationBar();
        const int g = nav->groupIndex(group);
        nav->openGroup(g);
        for (int i = 0; i < nav->itemCount(g); ++i)
            if (nav->itemCaption(g, i) == item)
                nav->clickItem(g, i);
    }
    StandInWindow *current() { return qobject_cast<StandInWindow *>(main.currentTaskWindow()); }
};

} // namespace

class MainWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void startsSizedFromTheScreenWithCaptionAndStatusParts()
    {
        Harness h;
        QCOMPARE(h.main.frameGeometry(), QRect(280, 50, 1360, 930));
        QCOMPARE(h.main.windowTitle(), QStringLiteral("考试系统"));
        QVERIFY(h.main.findChild<NavigationBar *>(QStringLiteral("卷帘式菜单1")));
        QStatusBar *bar = h.main.findChild<QStatusBar *>(QStringLiteral("状态条1"));
        QVERIFY(bar);
        const int widths[] = {300, 150, 100, 197};
        for (int part = 1; part <= 4; ++part) {
            auto *label = bar->findChild<QLabel *>(QStringLiteral("状态条1第%1栏").arg(part));
            QVERIFY(label);
            QCOMPARE(label->width(), widths[part - 1]);
            // With all four banks empty the first part says how to begin.
            QCOMPARE(label->text(), part == 1 ? QStringLiteral("题库是空的：请在 题库 > 导入题库 中导入题目") : QString());
        }
        QVERIFY(h.main.currentTaskWindow() == nullptr);
        // Once a bank holds a question the hint goes with the next task; another line stays.
        h.db.addQuestion("判断", {1, QStringLiteral("题"), QStringLiteral("√")});
        h.main.runMenuItem(QStringLiteral("单选题库"));
        QCOMPARE(h.main.statusText(1), QString());
        h.main.setStatusText(1, QStringLiteral("考号：001"));
        h.db.store().execute(QStringLiteral("delete from 判断"));
        h.main.runMenuItem(QStringLiteral("多选题库"));
        QCOMPARE(h.main.statusText(1), QStringLiteral("考号：001"));
    }

    void menusAndNavigationOfferTheTasks()
    {
        Harness h;
        QStringList menus;
        for (QAction *a : h.main.menuBar()->actions())
            if (a->isVisible())
                menus << a->text();
        QCOMPARE(menus, QStringList({"考试", "练习", "题库", "管理"}));
        NavigationBar *nav = h.main.navigationBar();
        QStringList groups;
        for (int g = 0; g < nav->count(); ++g)
            groups << nav->groupCaption(g);
        QCOMPARE(groups, QStringList({"考试", "练习", "章节练习", "题库", "管理"}));
        for (const QString &item : {"模拟组卷", "评分", "阅卷", "成绩分析", "顺序练习", "随机练习", "单选题库", "多选题库",
                                    "判断题库", "问答题库", "清空数据库", "配置", "关于"})
            QVERIFY2(h.menuItem(item), qPrintable(item));
    }

    void bankEntriesSetTheTypeAndReplaceTheCurrentWindow()
    {
        Harness h;
        h.menuItem("多选题库")->trigger();
        QCOMPARE(h.current()->request.questionType, QuestionType::MultipleChoice);
        QPointer<StandInWindow> first = h.current();
        QVERIFY(first && first->kind == TaskKind::Bank);
        h.clickNavigation("题库", "单选题库");
        QCOMPARE(h.current()->request.questionType, QuestionType::SingleChoice);
        QVERIFY(first.isNull() || first->isHidden());
        QVERIFY(h.current() && h.current() != first.data());
        // The same task from the navigation bar and from the menu.
        h.clickNavigation("考试", "评分");
        QCOMPARE(h.current()->kind, TaskKind::Grading);
        h.menuItem("评分")->trigger();
        QCOMPARE(h.current()->kind, TaskKind::Grading);
        h.clickNavigation("练习", "随机练习");
        QCOMPARE(h.current()->kind, TaskKind::RandomPractice);
        QCOMPARE(h.opened.size(), 5);
    }

    void taskWindowSitsBesideTheNavigationBarAndFollowsTheMainWindow()
    {
        Harness h;
        h.menuItem("单选题库")->trigger();
        StandInWindow *w = h.current();
        QVERIFY(w);
        QCOMPARE(QRect(w->mapToGlobal(QPoint(0, 0)), w->size()), QRect(435, 94, 1200, 860));
        QCOMPARE(h.main.navigationBar()->height(), 860);
        QCOMPARE(h.main.navigationBar()->geometry().topLeft(), QPoint(0, 2));
        h.main.resize(1000, 700);
        const QSize outer = h.main.frameGeometry().size();
        QTRY_COMPARE(w->size(), QSize(outer.width() - 160, outer.height() - 70));
        QCOMPARE(h.main.navigationBar()->height(), outer.height() - 70);
        // Never over the status bar.
        QVERIFY(w->mapTo(&h.main, QPoint(0, w->height())).y() <= h.main.statusBar()->geometry().top());
    }

    void movingWithoutTaskWindowChangesNothingResizingStillSizesTheBar()
    {
        Harness h;
        h.main.move(100, 40);
        QVERIFY(h.main.currentTaskWindow() == nullptr);
        h.main.resize(1200, 800);
        QTRY_COMPARE(h.main.navigationBar()->height(), h.main.frameGeometry().height() - 70);
    }

    void administrationItemOfTheBarDoesNothing()
    {
        Harness h;
        h.db.addQuestions("单选", 2);
        h.clickNavigation("管理", "清空数据库");
        QVERIFY(h.platform.messages.isEmpty());
        QCOMPARE(h.db.count("单选"), 2);
        QVERIFY(h.opened.isEmpty());
    }

    void aboutTellsVersionDataFolderAndDatabaseOverTheTaskWindow()
    {
        Harness h;
        h.menuItem("单选题库")->trigger();
        QPointer<StandInWindow> bank = h.current();
        h.menuItem("关于")->trigger();
        auto *about = h.main.findChild<QDialog *>(QStringLiteral("关于对话框"));
        QVERIFY(about);
        QTRY_VERIFY(about->isVisible());
        QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
        const auto shown = [&](const QString &name) {
            auto *label = about->findChild<QLabel *>(name);
            return label ? label->text() : QStringLiteral("(none)");
        };
        QCOMPARE(shown("版本内容"), QStringLiteral(KAOSHI_PROJECT_VERSION));
        QCOMPARE(shown("数据文件夹内容"), QDir::toNativeSeparators(h.db.programDir()));
        QCOMPARE(shown("数据库内容"), QDir::toNativeSeparators(h.db.path()));
        for (QWidget *w : about->findChildren<QWidget *>()) {
            if (w->objectName().isEmpty() || w->objectName().startsWith("qt_"))
                continue;
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(iface && !iface->text(QAccessible::Name).isEmpty(), qPrintable(w->objectName()));
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(about->findChild<QLabel *>("数据库内容"))->text(QAccessible::Name),
                 QDir::toNativeSeparators(h.db.path()));
        // The task window shown stays; Enter closes the dialog.
        QCOMPARE(h.current(), bank.data());
        QPointer<QDialog> guard(about);
        QTest::keyClick(about, Qt::Key_Return);
        QTRY_VERIFY(!guard);
        QCOMPARE(h.current(), bank.data());
    }

    void clearDatabaseAsksFirst()
    {
        Harness h;
        for (const QString &type : test::bankTables()) {
            h.db.addQuestions(type, 3);
            h.db.addPicture(type, 1, "图", "\\image\\1.png");
        }
        h.platform.setNextAnswer(false);
        h.menuItem("清空数据库")->trigger();
        QCOMPARE(h.platform.messages.size(), 1);
        QCOMPARE(h.platform.messages[0], (Message{"确定要清空所有数据", "注意", Message::Icon::None}));
        QCOMPARE(h.db.count("单选"), 3);

        h.platform.clear();
        h.platform.setNextAnswer(true);
        h.menuItem("清空数据库")->trigger();
        QCOMPARE(h.platform.messages.size(), 2);
        QCOMPARE(h.platform.messages[1], (Message{"清空完毕", "系统消息", Message::Icon::Information}));
        for (const QString &type : test::bankTables())
            QCOMPARE(h.db.count(type), 0);
        QCOMPARE(h.db.count("图片"), 0);

        // A bank that refuses: nothing is emptied, and it says why.
        for (const QString &type : test::bankTables())
            h.db.addQuestions(type, 2);
        h.db.refuse("判断", "delete");
        h.platform.clear();
        h.platform.setNextAnswer(true);
        h.menuItem("清空数据库")->trigger();
        QCOMPARE(h.platform.messages.size(), 2);
        QCOMPARE(h.platform.messages[1], (Message{"数据库没有清空\n拒绝写入", "失败", Message::Icon::Warning}));
        for (const QString &type : test::bankTables())
            QCOMPARE(h.db.count(type), 2);
    }

    void chapterGroupListsChaptersInNaturalOrderEachTimeItOpens()
    {
        Harness h;
        const QStringList chapters{"第十一章", "第2章", "第二章", "第十章", "第10章", "第一章", ""};
        for (int i = 0; i < chapters.size(); ++i)
            h.db.addQuestion(i % 2 ? "单选" : "判断", {i + 1, "q", "A", "", 1, chapters[i]});
        NavigationBar *nav = h.main.navigationBar();
        const int g = nav->groupIndex("章节练习");
        const QStringList expected{"(未分章节)", "第一章", "第2章", "第二章", "第10章", "第十章", "第十一章"};
        for (int twice = 0; twice < 2; ++twice) {
            nav->openGroup(0);
            nav->openGroup(g);
            QStringList items;
            for (int i = 0; i < nav->itemCount(g); ++i)
                items << nav->itemCaption(g, i);
            QCOMPARE(items, expected);
        }
        // A chapter window is a task window like the others: it replaces the
        // current one, takes its place and size, and the next task closes it.
        h.menuItem("单选题库")->trigger();
        QPointer<StandInWindow> bank = h.current();
        nav->clickItem(g, 3);
        QVERIFY(!bank || bank->isHidden());
        QPointer<StandInWindow> chapter = h.current();
        QVERIFY(chapter && chapter->kind == TaskKind::ChapterPractice);
        QCOMPARE(chapter->request.chapter, QStringLiteral("第二章"));
        QCOMPARE(chapter->mapToGlobal(QPoint(0, 0)), QPoint(435, 94));
        h.menuItem("多选题库")->trigger();
        QVERIFY(!chapter || chapter->isHidden());
    }

    void anOpenPaperLocksEverythingButTheMenuPaper()
    {
        Harness h;
        const auto visibleMenus = [&] {
            QStringList list;
            for (QAction *a : h.main.menuBar()->actions())
                if (a->isVisible())
                    list << a->text() + (a->isEnabled() ? "+" : "-");
            return list;
        };
        h.main.lockForPaper(true);
        QCOMPARE(visibleMenus(), QStringList({"考试-", "练习-", "题库-", "试卷+", "管理-"}));
        QVERIFY(!h.main.navigationBar()->isEnabled());
        QVERIFY(h.menuItem("交卷") && h.menuItem("收卷"));
        QTest::keyClick(&h.main, Qt::Key_Escape);
        QVERIFY(h.main.isVisible());
        h.main.lockForPaper(false);
        QCOMPARE(visibleMenus(), QStringList({"考试+", "练习+", "题库+", "管理+"}));
        QVERIFY(h.main.navigationBar()->isEnabled());
    }

    void statusProgressShowsBlocksInTheFourthPart()
    {
        Harness h;
        StatusProgress &progress = h.main.statusProgress();
        progress.start(7);
        for (int i = 1; i <= 7; ++i) {
            progress.step(i);
            QCOMPARE(h.main.statusText(4), QString(i, QChar(0x2589)));
        }
        progress.finish();
        QCOMPARE(h.main.statusText(4), QString());
        progress.start(30);
        for (int i = 1; i <= 30; ++i)
            progress.step(i);
        QCOMPARE(h.main.statusText(4).size(), 16);
        progress.finish();
        progress.start(0);
        QCOMPARE(h.main.statusText(4), QString());
    }

    void escapeClosesTheMainWindow()
    {
        Harness h;
        h.menuItem("顺序练习")->trigger();
        QPointer<StandInWindow> task = h.current();
        // Esc in a task window closes that window only.
        task->setFocus();
        QTest::keyClick(task, Qt::Key_Escape);
        QVERIFY(task.isNull() || task->isHidden());
        QVERIFY(h.main.isVisible());
        h.main.setFocus();
        QTest::keyClick(&h.main, Qt::Key_Escape);
        QVERIFY(!h.main.isVisible());
    }

    void standardButtonsAreChinese()
    {
        QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    }

    void labelsAreReadOutByWhatTheyShow()
    {
        Harness h;
        auto *part = h.main.findChild<QLabel *>(QStringLiteral("状态条1第1栏"));
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(part);
        // Nothing shown (the start-up hint taken away): nothing said, and left out of the reading.
        h.main.setStatusText(1, QString());
        QCOMPARE(iface->text(QAccessible::Name), QString());
        QVERIFY(iface->state().invisible);
        h.main.setStatusText(1, QStringLiteral("考号:A01"));
        QCOMPARE(iface->text(QAccessible::Name), QStringLiteral("考号:A01"));
        QVERIFY(!iface->state().invisible);
    }

    void everyControlOfTheTaskWindowsHasAnAccessibleName()
    {
        ScriptedPlatform platform;
        TestDatabase db;
        for (const QString &type : test::bankTables())
            db.addQuestions(type, 2);
        AppContext context{db.programDir(), db.store(), platform.platform()};
        MainWindow main(context); // the real task windows
        main.show();
        for (const QString &item : {"顺序练习", "随机练习", "单选题库", "评分", "配置"}) {
            main.runMenuItem(item);
            QWidget *task = main.currentTaskWindow();
            QVERIFY2(task, qPrintable(item));
            for (QWidget *w : task->findChildren<QWidget *>()) {
                if (w->objectName().isEmpty() || w->objectName().startsWith("qt_") || !w->isVisibleTo(task))
                    continue;
                QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
                QVERIFY2(iface && !iface->text(QAccessible::Name).isEmpty(),
                         qPrintable(item + ": " + w->objectName()));
            }
            // The main window is named by its caption, as it changes.
            QCOMPARE(QAccessible::queryAccessibleInterface(&main)->text(QAccessible::Name), main.windowTitle());
            // The configuration dialog leaves the caption as it was.
            if (QString(item) != QStringLiteral("配置"))
                QVERIFY(main.windowTitle().contains(item.left(2)));
        }
    }

    void accessibleTreeNamesControlsAndInvokesMenuItems()
    {
        Harness h;
        // Every named control can be told apart by a screen reader (an empty
        // label is left out of the reading).
        for (QWidget *w : h.main.findChildren<QWidget *>()) {
            if (w->objectName().isEmpty() || w->objectName().startsWith("qt_"))
                continue;
            QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(iface && (!iface->text(QAccessible::Name).isEmpty() || iface->state().invisible),
                     qPrintable(w->objectName()));
        }
        // A menu item is found and pressed through the accessibility interface.
        QAccessibleInterface *bar = QAccessible::queryAccessibleInterface(h.main.menuBar());
        QVERIFY(bar);
        QAccessibleInterface *practice = nullptr;
        for (int i = 0; i < bar->childCount(); ++i)
            if (bar->child(i)->text(QAccessible::Name) == QStringLiteral("练习"))
                practice = bar->child(i);
        QVERIFY(practice);
        QMenu *menu = h.main.findChild<QMenu *>(QStringLiteral("练习菜单"));
        QAccessibleInterface *menuIface = QAccessible::queryAccessibleInterface(menu);
        QAccessibleInterface *item = nullptr;
        for (int i = 0; i < menuIface->childCount(); ++i)
            if (menuIface->child(i)->text(QAccessible::Name) == QStringLiteral("顺序练习"))
                item = menuIface->child(i);
        QVERIFY(item);
        QVERIFY(item->actionInterface());
        item->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_VERIFY(h.current() && h.current()->kind == TaskKind::SequentialPractice);
    }
};

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installChinese(app);
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_main_window.moc"
