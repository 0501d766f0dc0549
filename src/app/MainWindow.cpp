#include "app/MainWindow.h"

#include "app/DatabaseChoice.h"
#include "app/DatabaseCopyTask.h"
#include "app/DatabaseSettingsDialog.h"
#include "app/AboutDialog.h"
#include "ui/ElidedLabel.h"
#include "app/Geometry.h"
#include "app/NavigationBar.h"
#include "bank/BankWindow.h"
#include "data/BankTable.h"
#include "exam/ExamPaperWindow.h"
#include "practice/ChapterOrder.h"
#include "data/Schema.h"
#include "exam/CandidateDialog.h"
#include "import/ImportDialog.h"
#include "ui/Controls.h"
#include "ui/DatabaseStatus.h"
#include "ui/TaskWindow.h"

#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QAccessible>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>

namespace kaoshi {

namespace {

constexpr int kStatusWidths[] = {300, 150, 100, 197};
constexpr int kDatabasePanelWidth = 300;
// The part that shows a paper's time left.
constexpr int kQuietStatusPart = 2;

bool isTaskWindowKind(QWidget *window) { return qobject_cast<TaskWindow *>(window) != nullptr; }

} // namespace

MainWindow::MainWindow(AppContext &context, QWidget *parent)
    : QMainWindow(parent), m_context(context), m_print(context),
      m_factory([this](TaskKind kind, const TaskRequest &request, AppContext &ctx, QWidget *host) {
          return createTaskWindow(kind, request, ctx, m_practice, host);
      })
{
    m_context.shell = this;
    setObjectName(QStringLiteral("MainWindow"));

    m_host = new QWidget(this);
    nameControl(m_host, QStringLiteral("taskHost"), QStringLiteral("任务区"));
    m_host->setAutoFillBackground(true);
    QPalette p = m_host->palette();
    p.setColor(QPalette::Window, QColor(172, 172, 172));
    m_host->setPalette(p);
    setCentralWidget(m_host);

    buildMenus();
    buildNavigation();
    buildStatusBar();
    m_progress.setSink([this](const QString &blocks) {
        setStatusText(4, blocks);
        m_statusParts[3]->repaint();
    });

    // Start-up steps: size from the screen, open the database, caption.
    if (QScreen *screen = this->screen())
        applyScreenSize(screen->geometry().size());
    m_context.reopenStore();
    showDatabaseInUse();
    setCaption(QStringLiteral("考试系统"));
    showEmptyBanksHint();
}

void MainWindow::showEmptyBanksHint()
{
    // Said in the first part while no other line is there; gone once a bank holds questions.
    const QString shown = statusText(1);
    if (!shown.isEmpty() && shown != emptyBanksHint())
        return;
    setStatusText(1, bank::allBanksEmpty(m_context.store).value_or(false) ? emptyBanksHint() : QString());
}

void MainWindow::applyScreenSize(QSize screen)
{
    // The sizes are those of the outer window, frame included; the frame is
    // known once the window exists on screen, so this runs again when shown.
    m_screenSize = screen;
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(mainWindowSize(screen.width(), screen.height()) - frame);
    move(mainWindowPosition(screen.width(), screen.height(), frameGeometry().size()));
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_sizedWithFrame && m_screenSize.isValid()) {
        m_sizedWithFrame = true;
        applyScreenSize(m_screenSize);
    }
}

void MainWindow::buildMenus()
{
    QMenuBar *bar = menuBar();
    nameControl(bar, QStringLiteral("超级菜单1"), QStringLiteral("菜单栏"));
    for (const QString &group : taskGroups()) {
        QMenu *menu = bar->addMenu(group);
        nameControl(menu, group + QStringLiteral("菜单"), group);
        m_menus << menu;
        // 试卷 shows only while a paper is open.
        menu->menuAction()->setVisible(group != kPaperGroup);
        for (const TaskEntry &entry : taskEntries()) {
            if (entry.group != group || !entry.inMenu)
                continue;
            QAction *action = menu->addAction(entry.item);
            action->setObjectName(entry.item + QStringLiteral("菜单项"));
            connect(action, &QAction::triggered, this, [this, item = entry.item] { runMenuItem(item); });
        }
    }
}

void MainWindow::buildNavigation()
{
    m_navigation = new NavigationBar(m_host);
    for (const QString &group : taskGroups()) {
        QStringList items;
        for (const TaskEntry &entry : taskEntries())
            if (entry.group == group && entry.inNavigation)
                items << entry.item;
        if (group == kPaperGroup)
            continue;
        m_navigation->addGroup(group, items);
        // The chapters follow the practice group.
        if (group == taskGroups()[1])
            m_navigation->addGroup(kChapterGroup, {});
    }
    m_navigation->setGeometry(kNavigationBarLeft, kNavigationBarTop, kNavigationBarWidth, 320);
    connect(m_navigation, &NavigationBar::itemClicked, this, [this](int group, int item) {
        dispatch(m_navigation->groupCaption(group), m_navigation->itemCaption(group, item));
    });
    connect(m_navigation, &NavigationBar::groupOpened, this, &MainWindow::onGroupOpened);
}

void MainWindow::buildStatusBar()
{
    QStatusBar *bar = statusBar();
    nameControl(bar, QStringLiteral("状态条1"));
    bar->setSizeGripEnabled(false);
    // Compact, so that a task window of the main height - 70 fits above it.
    bar->setFixedHeight(23);
    // The database in use comes first; the parts the tasks write follow it.
    // A long path is cut in the middle; the tooltip holds it whole.
    m_databasePanel = new ElidedLabel(bar);
    m_databasePanel->setObjectName(QStringLiteral("状态条1数据库栏"));
    m_databasePanel->setFixedWidth(kDatabasePanelWidth);
    m_databasePanel->setFrameShape(QFrame::StyledPanel);
    m_databasePanel->setFrameShadow(QFrame::Sunken);
    bar->addWidget(m_databasePanel);
    for (int i = 0; i < 4; ++i) {
        auto *part = new QLabel(bar);
        nameControl(part, QStringLiteral("状态条1第%1栏").arg(i + 1));
        part->setFixedWidth(kStatusWidths[i]);
        part->setFrameShape(QFrame::StyledPanel);
        part->setFrameShadow(QFrame::Sunken);
        bar->addWidget(part);
        m_statusParts << part;
    }
    // A label with a name of its own changes its text without an event; it
    // is still read by what it shows.
    m_statusParts[kQuietStatusPart - 1]->setAccessibleName(QStringLiteral("剩余时间"));
}

void MainWindow::showDatabaseInUse()
{
    const DatabaseInUse inUse = databaseInUse(QDir(m_context.dataDir).filePath(kDatabaseFileName),
                                              m_context.serverLocation, m_context.fileForThisRun);
    m_databasePanel->setText(inUse.shown);
    m_databasePanel->setAccessibleName(inUse.shown);
    m_databasePanel->setToolTip(inUse.full);
    m_databasePanel->setAccessibleDescription(inUse.full);
}

void MainWindow::announceStatus(int part)
{
    if (part < 1 || part > m_statusParts.size())
        return;
    QAccessibleEvent event(m_statusParts[part - 1], QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void MainWindow::setCaption(const QString &caption)
{
    setWindowTitle(caption);
    setAccessibleName(caption);
}

void MainWindow::setStatusText(int part, const QString &text)
{
    if (part >= 1 && part <= m_statusParts.size())
        m_statusParts[part - 1]->setText(text);
}

QString MainWindow::statusText(int part) const
{
    return part >= 1 && part <= m_statusParts.size() ? m_statusParts[part - 1]->text() : QString();
}

// ---------------------------------------------------------------- dispatch

void MainWindow::dispatch(const QString &group, const QString &item)
{
    if (group == kChapterGroup) {
        openChapter(item);
        return;
    }
    if (const TaskEntry *entry = findTask(group, item); entry && entry->runsFromNavigation)
        runTask(*entry);
}

void MainWindow::runMenuItem(const QString &item)
{
    if (const TaskEntry *entry = findMenuTask(item))
        runTask(*entry);
}

void MainWindow::runTask(const TaskEntry &entry)
{
    switch (entry.kind) {
    case TaskKind::Candidate:
        openCandidateDialog();
        break;
    case TaskKind::ClearDatabase:
        clearDatabase();
        break;
    case TaskKind::HandIn:
    case TaskKind::Collect:
        runPaperCommand(entry.kind);
        break;
    case TaskKind::DatabaseSettings: {
        DatabaseSettingsDialog dialog(m_context, this);
        dialog.exec();
        break;
    }
    case TaskKind::About:
        showAbout();
        break;
    case TaskKind::CopyToServer:
    case TaskKind::CopyToFile:
        // A list shown would no longer show what the server holds.
        closeCurrentTaskWindow();
        if (entry.kind == TaskKind::CopyToServer)
            DatabaseCopyTask(m_context, this).copyToServer();
        else
            DatabaseCopyTask(m_context, this).copyToFile();
        break;
    case TaskKind::ImportQuestions:
        // Into the bank shown, whose list then shows the new questions.
        if (auto *bank = qobject_cast<BankWindow *>(currentTaskWindow()))
            bank->importQuestions();
        else
            ImportDialog::run(m_context, QuestionType::SingleChoice, this);
        break;
    default:
        openTaskWindow(entry.kind, {entry.questionType, QString(), {}});
        break;
    }
    showEmptyBanksHint();
}

void MainWindow::showAbout()
{
    // Window-modal over the main window; the task window shown stays as it is.
    auto *about = new AboutDialog(m_context, this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

void MainWindow::runPaperCommand(TaskKind kind)
{
    auto *paper = qobject_cast<ExamPaperWindow *>(currentTaskWindow());
    if (!paper)
        return;
    if (kind == TaskKind::HandIn)
        paper->handIn();
    else
        paper->collect();
}

void MainWindow::printList(const ListGrid &grid, const QString &title, const QString &settingsFile)
{
    m_print.open(listPrintRequest(grid, title, settingsFile));
}

void MainWindow::printTable(const PrintRequest &request)
{
    m_print.open(request);
}

void MainWindow::lockForPaper(bool locked)
{
    m_lockedForPaper = locked;
    for (QMenu *menu : m_menus) {
        const bool paperMenu = menu->objectName() == kPaperGroup + QStringLiteral("菜单");
        menu->menuAction()->setVisible(paperMenu ? locked : true);
        menu->menuAction()->setEnabled(paperMenu || !locked);
    }
    m_navigation->setEnabled(!locked);
}

void MainWindow::onGroupOpened(int group)
{
    // The chapter list is rebuilt each time its group is opened.
    if (m_navigation->groupCaption(group) == kChapterGroup)
        m_navigation->setItems(group, chapterItems(bank::chapters(m_context.store)));
}

// ---------------------------------------------------------------- task windows

QWidget *MainWindow::currentTaskWindow() const
{
    return m_current && !m_current->isHidden() ? m_current.data() : nullptr;
}

void MainWindow::closeCurrentTaskWindow()
{
    if (QWidget *current = currentTaskWindow())
        current->close();
    m_current = nullptr;
}

void MainWindow::openTaskWindow(TaskKind kind, const TaskRequest &request)
{
    QWidget *window = m_factory(kind, request, m_context, m_host);
    if (!window)
        return;
    // Entries whose window this build lacks do nothing; otherwise the current
    // window closes before the new one starts.
    closeCurrentTaskWindow();
    showCreatedWindow(window);
}

void MainWindow::showCreatedWindow(QWidget *window)
{
    QPointer<QWidget> guard(window);
    if (auto *task = qobject_cast<TaskWindow *>(window)) {
        if (!task->start()) {
            if (guard)
                guard->deleteLater();
            if (m_current == guard)
                m_current = nullptr;
            return;
        }
    }
    if (guard)
        guard->show();
}

void MainWindow::openCandidateDialog()
{
    QWidget *dialog = m_factory(TaskKind::Candidate, {}, m_context, nullptr);
    if (!dialog)
        return;
    closeCurrentTaskWindow();
    if (auto *modal = qobject_cast<QDialog *>(dialog)) {
        const bool signedIn = modal->exec() == QDialog::Accepted;
        const auto *signIn = qobject_cast<CandidateDialog *>(modal);
        const Candidate candidate = signIn ? signIn->candidate() : Candidate();
        delete modal;
        // The signed-in candidate sits the paper at once.
        if (signedIn)
            openTaskWindow(TaskKind::ExamPaper,
                           {QuestionType::SingleChoice, QString(), {candidate.number, candidate.occasion, candidate.name}});
    }
}

void MainWindow::openChapter(const QString &chapter)
{
    openTaskWindow(TaskKind::ChapterPractice, {QuestionType::SingleChoice, chapter, {}});
}

void MainWindow::registerTaskWindow(QWidget *window) { m_current = window; }

QWidget *MainWindow::placedWindow() const
{
    if (m_current && isTaskWindowKind(m_current))
        return m_current;
    return nullptr;
}

void MainWindow::placeWindow(QWidget *window)
{
    // The task window's outer top-left sits at the main window's outer
    // top-left + (155, 44), but never over the menu bar or the navigation bar.
    const QPoint global = frameGeometry().topLeft() + kTaskWindowOffset;
    QPoint local = m_host->mapFromGlobal(global);
    local.setX(qMax(local.x(), kNavigationBarLeft + kNavigationBarWidth + 2));
    local.setY(qMax(local.y(), 0));
    window->move(local);
}

void MainWindow::placeTaskWindow()
{
    if (QWidget *window = placedWindow())
        placeWindow(window);
}

void MainWindow::sizeTaskWindow()
{
    const QRect frame = frameGeometry();
    const int navHeight = qMin(navigationBarHeight(frame.height()), m_host->height() - kNavigationBarTop);
    m_navigation->setGeometry(kNavigationBarLeft, kNavigationBarTop, kNavigationBarWidth, qMax(navHeight, 0));
    QWidget *window = placedWindow();
    if (!window)
        return;
    // Never over the status bar or past the right edge.
    QSize size = taskWindowSize(frame.size());
    size.setWidth(qMax(0, qMin(size.width(), m_host->width() - window->x())));
    size.setHeight(qMax(0, qMin(size.height(), m_host->height() - window->y())));
    window->resize(size);
}

void MainWindow::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    placeTaskWindow();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    sizeTaskWindow();
}

void MainWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        // Esc never ends the program under an open paper.
        if (!m_lockedForPaper)
            close();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

// ---------------------------------------------------------------- maintenance

void MainWindow::clearDatabase()
{
    if (!m_context.messages().confirm({QStringLiteral("确定要清空所有数据"), QStringLiteral("注意")}))
        return;
    // The four banks are emptied as one unit: all of them, or none.
    if (!bank::clearAllBanks(m_context.store)) {
        m_context.messages().failure(QStringLiteral("数据库没有清空"), m_context.store.errorString());
        return;
    }
    m_context.messages().notice(QStringLiteral("清空完毕"));
}

} // namespace kaoshi
