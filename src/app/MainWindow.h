#pragma once
// The main window "考试系统": menu bar, navigation bar, status bar, and the
// host of one task window at a time beside the navigation bar.
#include "ui/StatusProgress.h"
#include "app/TaskWindows.h"
#include "practice/PracticeSession.h"
#include "print/PrintHandOver.h"
#include "ui/AppContext.h"
#include "ui/Shell.h"

#include <QMainWindow>
#include <QPointer>

class QLabel;
class QMenu;

namespace kaoshi {

class NavigationBar;

class MainWindow : public QMainWindow, public Shell
{
    Q_OBJECT
public:
    explicit MainWindow(AppContext &context, QWidget *parent = nullptr);

    // Start-up step 1: size and place the window from the screen size.
    void applyScreenSize(QSize screen);

    // Runs the action of a navigation-bar item or menu item by its captions.
    void dispatch(const QString &group, const QString &item);
    void runMenuItem(const QString &item);
    void openTaskWindow(TaskKind kind, const TaskRequest &request = {});
    void openCandidateDialog();
    void openChapter(const QString &chapter);
    void clearDatabase();
    void showAbout();

    QWidget *currentTaskWindow() const;
    NavigationBar *navigationBar() const { return m_navigation; }
    QString statusText(int part) const;
    // The first panel of the status bar: the database in use.
    QLabel *databasePanel() const { return m_databasePanel; }
    // Replaces the window factory (tests open stand-in windows).
    void setTaskFactory(TaskFactory factory) { m_factory = std::move(factory); }

    // Shell
    QWidget *taskHost() override { return m_host; }
    // The caption is also the window's name for screen readers.
    void setCaption(const QString &caption) override;
    void registerTaskWindow(QWidget *window) override;
    void placeTaskWindow() override;
    void sizeTaskWindow() override;
    StatusProgress &statusProgress() override { return m_progress; }
    void setStatusText(int part, const QString &text) override;
    void announceStatus(int part) override;
    void lockForPaper(bool locked) override;
    bool isLockedForPaper() const { return m_lockedForPaper; }
    void printList(const ListGrid &grid, const QString &title, const QString &settingsFile) override;
    void printTable(const PrintRequest &request) override;

    // What the practice windows and the paper keep for the run.
    PracticeSession &practiceSession() { return m_practice; }
    // The print window's hand-over of the run.
    PrintHandOver &printHandOver() { return m_print; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildMenus();
    void buildNavigation();
    void buildStatusBar();
    void showDatabaseInUse();
    void onGroupOpened(int group);
    void runTask(const TaskEntry &entry);
    void runPaperCommand(TaskKind kind);
    void closeCurrentTaskWindow();
    void showCreatedWindow(QWidget *window);
    void placeWindow(QWidget *window);
    QWidget *placedWindow() const;

    AppContext &m_context;
    PracticeSession m_practice; // the practice character format starts as 宋体, 9 points
    PrintHandOver m_print;
    TaskFactory m_factory;
    QWidget *m_host = nullptr;
    NavigationBar *m_navigation = nullptr;
    QLabel *m_databasePanel = nullptr;
    QList<QLabel *> m_statusParts;
    StatusProgress m_progress;
    QPointer<QWidget> m_current;
    QList<QMenu *> m_menus;
    bool m_lockedForPaper = false;
    QSize m_screenSize;
    bool m_sizedWithFrame = false;
};

} // namespace kaoshi
