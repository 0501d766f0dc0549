#include "exam/ConsoleWindow.h"

#include "data/ConsoleTable.h"
#include "exam/RoomConsole.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"
#include "ui/DropDownBox.h"
#include "ui/ListGrid.h"
#include "ui/Shell.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QInputDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QSpinBox>
#include <QSysInfo>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace kaoshi {

namespace {

const QString kCollectMessage = QStringLiteral("监考老师已收卷，试卷即将交出");
const QColor kLostBackground(255, 214, 214);
const QColor kHandedInBackground(225, 225, 225);

QPushButton *button(const QString &controlName, const QString &caption, QWidget *parent)
{
    return named(new QPushButton(caption, parent), controlName, caption);
}

// A list grid that shows rows and is not typed into; column 0 is hidden.
ListGrid *readOnlyGrid(const QString &controlName, const QString &caption, const QStringList &titles,
                       const QList<int> &widths, QWidget *parent)
{
    auto *grid = named(new ListGrid(parent), controlName, caption);
    grid->setEditable(false);
    grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setColumnCount(int(titles.size()));
    grid->setRowCount(1);
    for (int c = 0; c < titles.size(); ++c) {
        grid->setText(0, c, titles[c]);
        grid->setColumnWidth(c, widths.value(c));
    }
    grid->horizontalHeader()->setStretchLastSection(true);
    grid->setStriped(true);
    return grid;
}

} // namespace

ConsoleWindow::ConsoleWindow(AppContext &context, QWidget *host)
    : TaskWindow(context, host), m_invigilator(QStringLiteral("监考（%1）").arg(QSysInfo::machineHostName()))
{
    nameControl(this, QStringLiteral("ConsoleWindow"), QStringLiteral("监考"));
    buildControls();
}

void ConsoleWindow::buildControls()
{
    m_occasion = named(new DropDownBox(this), QStringLiteral("场次选择框"), QStringLiteral("场次"));
    m_occasion->setEditable(false); // the occasions that have seats, to pick from
    m_occasion->setMinimumContentsLength(12);
    auto *occasionLabel = named(new QLabel(QStringLiteral("场次"), this), QStringLiteral("场次标签"), QStringLiteral("场次"));
    occasionLabel->setBuddy(m_occasion);
    m_refresh = button(QStringLiteral("刷新按钮"), QStringLiteral("刷新"), this);
    m_summary = named(new QLabel(this), QStringLiteral("考场概况标签"));
    auto *top = new QHBoxLayout;
    top->addWidget(occasionLabel);
    top->addWidget(m_occasion);
    top->addWidget(m_refresh);
    top->addSpacing(16);
    top->addWidget(m_summary, 1);

    m_pages = named(new QTabWidget(this), QStringLiteral("监考选择夹"), QStringLiteral("监考"));
    m_pages->addTab(buildSeatPage(), QStringLiteral("考生"));
    m_pages->addTab(buildLogPage(), QStringLiteral("日志"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(top);
    layout->addWidget(m_pages, 1);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("刷新计时器"));
    m_timer->setInterval(kRefreshMilliseconds);
    connect(m_timer, &QTimer::timeout, this, &ConsoleWindow::refresh);
    connect(m_refresh, &QPushButton::clicked, this, &ConsoleWindow::refresh);
    // Occasions that began since the window opened are offered as the list opens.
    connect(m_occasion, &DropDownBox::listAboutToOpen, this, &ConsoleWindow::fillOccasions);
    connect(m_occasion, &QComboBox::activated, this, [this] {
        refresh();
        showLog();
    });
    connect(m_pages, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == 1)
            showLog();
    });
}

QWidget *ConsoleWindow::buildSeatPage()
{
    auto *page = named(new QWidget(this), QStringLiteral("考生页"), QStringLiteral("考生"));
    m_seats = readOnlyGrid(QStringLiteral("考生表格"), QStringLiteral("考生"), QStringList{QString()} + consoleTitles(), {0, 90, 80, 110, 140, 90, 80, 80},
                           page);
    m_extend = button(QStringLiteral("延长时间按钮"), QStringLiteral("延长时间"), page);
    m_collect = button(QStringLiteral("收卷按钮"), QStringLiteral("收卷"), page);
    m_release = button(QStringLiteral("允许重新登录按钮"), QStringLiteral("允许重新登录"), page);
    auto *hint = named(new QLabel(QStringLiteral("操作对选中的考生；没有选中时对本场次全部未交卷的考生"), page),
                       QStringLiteral("操作提示标签"));
    auto *actions = new QHBoxLayout;
    for (QPushButton *b : {m_extend, m_collect, m_release})
        actions->addWidget(b);
    actions->addSpacing(16);
    actions->addWidget(hint);
    actions->addStretch();
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(m_seats, 1);
    layout->addLayout(actions);
    connect(m_extend, &QPushButton::clicked, this, &ConsoleWindow::extendTime);
    connect(m_collect, &QPushButton::clicked, this, &ConsoleWindow::collect);
    connect(m_release, &QPushButton::clicked, this, &ConsoleWindow::allowSignInElsewhere);
    return page;
}

QWidget *ConsoleWindow::buildLogPage()
{
    auto *page = named(new QWidget(this), QStringLiteral("日志页"), QStringLiteral("日志"));
    m_log = readOnlyGrid(QStringLiteral("日志表格"), QStringLiteral("日志"), QStringList{QString()} + roomLogTitles(), {0, 150, 110, 90, 130, 110, 200},
                         page);
    m_export = button(QStringLiteral("导出日志按钮"), QStringLiteral("导出"), page);
    auto *actions = new QHBoxLayout;
    actions->addWidget(m_export);
    actions->addStretch();
    auto *layout = new QVBoxLayout(page);
    layout->addWidget(m_log, 1);
    layout->addLayout(actions);
    connect(m_export, &QPushButton::clicked, this, &ConsoleWindow::exportLog);
    return page;
}

bool ConsoleWindow::startTask()
{
    // A database that never held a room gets its tables; one that cannot
    // take them shows the reason when it is read.
    ensurePaperTables(m_context.store);
    ensureRoomTables(m_context.store);
    fillOccasions();
    refresh();
    m_timer->start();
    return true;
}

void ConsoleWindow::fillOccasions()
{
    const std::optional<QStringList> occasions = consoleOccasions(m_context.store);
    if (!occasions) {
        m_context.messages().failure(QStringLiteral("考场的场次未能读出"), m_context.store.lastError().message);
        return;
    }
    const QString chosen = m_occasion->currentText();
    m_occasion->clear();
    m_occasion->addItems(*occasions);
    if (occasions->contains(chosen))
        m_occasion->setCurrentText(chosen);
}

void ConsoleWindow::refresh()
{
    RoomListing reading = readConsoleRoom(m_context.store, m_occasion->currentText());
    if (reading.failed) {
        // Told in the summary line, not by a message every few seconds.
        showSummary(QStringLiteral("刷新失败：") + m_context.store.lastError().message);
        return;
    }
    // Papers past their time whose seat did not hand them in are handed in
    // here; the room is read again to show them so.
    const OverdueHandIn overdue = handInOverduePapers(m_context.store, reading, m_invigilator);
    if (overdue.handedIn > 0) {
        RoomListing again = readConsoleRoom(m_context.store, m_occasion->currentText());
        if (!again.failed)
            reading = std::move(again);
        if (m_pages->currentIndex() == 1)
            showLog();
    }
    m_reading = std::move(reading);
    showSeats();
    // A hand-in that did not happen is tried again at the next refresh; until
    // then the summary line names it.
    QString summary = roomSummary(m_reading.seats, m_reading.now);
    if (!overdue.notHandedIn.isEmpty())
        summary += QStringLiteral("    已过截止时间的试卷没有交上（下次刷新再交）：") + overdue.notHandedIn.join(QStringLiteral("；"));
    showSummary(summary);
}

void ConsoleWindow::showSummary(const QString &text)
{
    m_summary->setText(text);
    m_summary->setAccessibleName(text);
}

void ConsoleWindow::showSeats()
{
    // The chosen seats stay chosen across a refresh.
    QSet<QString> chosen;
    for (const QModelIndex &index : m_seats->selectionModel()->selectedRows())
        chosen.insert(m_seats->text(index.row() + 1, 1));
    const QString current = m_seats->cursorRow() > 0 ? m_seats->text(m_seats->cursorRow(), 1) : QString();

    std::vector<QStringList> rows;
    rows.reserve(m_reading.seats.size());
    for (const RoomSeat &seat : m_reading.seats)
        rows.push_back(QStringList{QString()} + consoleCells(seat, m_reading.now));
    m_seats->setRowCount(1);
    m_seats->appendRows(std::move(rows));

    QItemSelection selection;
    for (int row = 1; row < m_seats->rowCount(); ++row) {
        const SeatState state = seatState(m_reading.seats[size_t(row - 1)], m_reading.now);
        if (state != SeatState::Answering)
            m_seats->setRowBackground(row, state == SeatState::Lost ? kLostBackground : kHandedInBackground, 1);
        const QString number = m_seats->text(row, 1);
        if (number == current)
            m_seats->setCursorRow(row);
        if (chosen.contains(number))
            selection.select(m_seats->model()->index(row - 1, 0),
                             m_seats->model()->index(row - 1, m_seats->columnCount() - 1));
    }
    m_seats->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
}

std::vector<RoomSeat> ConsoleWindow::chosenSeats() const
{
    const bool all = !m_seats->selectionModel()->hasSelection();
    std::vector<RoomSeat> seats;
    for (size_t row = 0; row < m_reading.seats.size(); ++row)
        if (m_reading.seats[row].state != kSeatHandedIn &&
            (all || m_seats->selectionModel()->isRowSelected(int(row), {})))
            seats.push_back(m_reading.seats[row]);
    return seats;
}

QString ConsoleWindow::whom(const std::vector<RoomSeat> &seats) const
{
    if (seats.size() == 1)
        return QStringLiteral("考生%1（%2）").arg(seats[0].number, seats[0].name);
    if (!m_seats->selectionModel()->hasSelection())
        return QStringLiteral("本场次全部%1名未交卷的考生").arg(seats.size());
    return QStringLiteral("选中的%1名未交卷的考生").arg(seats.size());
}

bool ConsoleWindow::finish(bool done, const QString &notDone)
{
    if (!done) {
        m_context.messages().failure(notDone, m_context.store.lastError().message);
        return false;
    }
    refresh();
    if (m_pages->currentIndex() == 1)
        showLog();
    return true;
}

bool ConsoleWindow::extendTime()
{
    const std::vector<RoomSeat> seats = chosenSeats();
    if (!haveSeats(seats))
        return false;
    QInputDialog ask(this);
    ask.setObjectName(QStringLiteral("延长时间对话框"));
    ask.setWindowTitle(QStringLiteral("延长时间"));
    ask.setInputMode(QInputDialog::IntInput);
    ask.setLabelText(QStringLiteral("给%1延长的分钟数").arg(whom(seats)));
    ask.setIntRange(1, 600);
    ask.setIntValue(5);
    ask.setOkButtonText(QStringLiteral("确定"));
    ask.setCancelButtonText(QStringLiteral("取消"));
    if (auto *minutes = ask.findChild<QSpinBox *>())
        named(minutes, QStringLiteral("分钟数框"), QStringLiteral("延长的分钟数"));
    if (ask.exec() != QDialog::Accepted)
        return false;
    return finish(extendTimes(m_context.store, seats, ask.intValue(), m_invigilator), QStringLiteral("没有延长时间"));
}

bool ConsoleWindow::collect()
{
    const std::vector<RoomSeat> seats = chosenSeats();
    if (!haveSeats(seats) ||
        !m_context.messages().ask(QStringLiteral("收取%1的试卷？").arg(whom(seats)), Message::Icon::Question))
        return false;
    return finish(collectPapers(m_context.store, seats, m_reading.now, kCollectMessage, m_invigilator),
                  QStringLiteral("没有收卷"));
}

bool ConsoleWindow::allowSignInElsewhere()
{
    const std::vector<RoomSeat> seats = chosenSeats();
    if (!haveSeats(seats) ||
        !m_context.messages().ask(QStringLiteral("允许%1在别的座位重新登录？").arg(whom(seats)), Message::Icon::Question))
        return false;
    return finish(releaseSeats(m_context.store, seats, m_invigilator), QStringLiteral("没有允许重新登录"));
}

bool ConsoleWindow::haveSeats(const std::vector<RoomSeat> &seats)
{
    if (seats.empty())
        m_context.messages().notice(QStringLiteral("没有在答题的考生"));
    return !seats.empty();
}

void ConsoleWindow::showLog()
{
    const auto lines = readRoomLog(m_context.store, m_occasion->currentText());
    if (!lines) {
        m_context.messages().failure(QStringLiteral("考场日志未能读出"), m_context.store.lastError().message);
        return;
    }
    std::vector<QStringList> rows;
    rows.reserve(lines->size());
    for (const RoomLogEntry &entry : *lines)
        rows.push_back(QStringList{QString()} + roomLogCells(entry));
    m_log->setRowCount(1);
    m_log->appendRows(std::move(rows));
}

void ConsoleWindow::exportLog()
{
    showLog();
    if (Shell *shell = m_context.shell)
        shell->printList(*m_log, QStringLiteral("考场日志导出"), QStringLiteral("题库.ini"));
}

} // namespace kaoshi
