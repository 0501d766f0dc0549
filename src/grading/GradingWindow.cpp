#include "grading/GradingWindow.h"

#include "data/AnswerTable.h"
#include "data/TextRules.h"
#include "grading/Scoring.h"
#include "print/AddedColumnModel.h"
#include "print/PrintHandOver.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"
#include "ui/DropDownBox.h"
#include "ui/ListGrid.h"
#include "ui/Shell.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QLabel>
#include <QResizeEvent>
#include <QTimer>
#include <QToolBar>
#include <limits>

namespace kaoshi {

namespace {

const QString kDelete = QStringLiteral("删除");
const QString kExport = QStringLiteral("导出");
const QString kGrade = QStringLiteral("评分");
const QString kTotal = QStringLiteral("总分");

// Columns of the grid; column 0 is hidden.
enum Column { NumberOfQuestion = 1, Type = 2, Question = 3, StandardAnswer = 4, Answer = 5,
              CandidateNumber = 6, Occasion = 7, Name = 8, Score = 9 };

const QStringList kTitles{QString(),
                          QStringLiteral("题号"),
                          QStringLiteral("题型"),
                          QStringLiteral("题目"),
                          QStringLiteral("标准答案"),
                          QStringLiteral("考生答案"),
                          QStringLiteral("考号"),
                          QStringLiteral("场次"),
                          QStringLiteral("姓名"),
                          kTotal};

const QColor kSummaryBackground(236, 236, 236);
// The list shows at once; its total follows when it is summed (at once
// for all but very long lists), in slices short enough that the window answers.
const QString kSumming = QStringLiteral("计算中…");
constexpr qint64 kFirstTotalMs = 10;
constexpr qint64 kTotalSliceMs = 40;
// A score a marker gave stands out from the compared ones.
const QColor kHandScoreBackground(255, 240, 190);
const QString kHandScoreTip = QStringLiteral("阅卷给分");
// In print and in workbooks the same mark is a column of its own, so that
// the score stays a number.
const QString kHandMark = QStringLiteral("阅卷");

// The grid starts at (10, 40) and leaves 10 pixels on the right and at the bottom.
const QPoint kGridOrigin(10, 40);
const QSize kGridMargin(20, 50);
constexpr int kFilterTop = 10;
constexpr int kFilterHeight = 24;
constexpr int kFilterWidth = 100;

} // namespace

GradingWindow::GradingWindow(AppContext &context, QWidget *host) : TaskWindow(context, host)
{
    nameControl(this, QStringLiteral("GradingWindow"), QStringLiteral("评分"));
    m_toolbar = named(new QToolBar(this), QStringLiteral("工具条1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const QString &caption : {kDelete, kExport, kGrade}) {
        QAction *action = m_toolbar->addAction(caption);
        connect(action, &QAction::triggered, this, [this, action] { onToolbarAction(action); });
    }
    m_toolbar->setGeometry(8, 8, m_toolbar->sizeHint().width(), 32);

    // The two filters follow the toolbar: "考号" and "场次", each a label and
    // an editable drop-down list.
    int left = m_toolbar->geometry().right() + 12;
    auto addFilter = [&](const QString &labelName, const QString &caption, const QString &boxName) {
        auto *label = named(new QLabel(caption, this), labelName, caption);
        label->setGeometry(left, kFilterTop, label->sizeHint().width(), kFilterHeight);
        left = label->geometry().right() + 6;
        DropDownBox *box = named(new DropDownBox(this), boxName, caption);
        box->setGeometry(left, kFilterTop, kFilterWidth, kFilterHeight);
        label->setBuddy(box);
        left = box->geometry().right() + 14;
        return box;
    };
    m_number = addFilter(QStringLiteral("计时标签2"), QStringLiteral("考号"), QStringLiteral("考号组合框"));
    m_occasion = addFilter(QStringLiteral("计时标签3"), QStringLiteral("场次"), QStringLiteral("场次组合框"));
    connect(m_number, &DropDownBox::listAboutToOpen, this, &GradingWindow::fillNumberList);
    connect(m_occasion, &DropDownBox::listAboutToOpen, this, &GradingWindow::fillOccasionList);

    m_grid = named(new ListGrid(this), QStringLiteral("高级表格1"));
    m_grid->move(kGridOrigin);
    setUpGrid();
    m_printed = new AddedColumnModel(kHandMark, [](const QAbstractItemModel &list, int row) {
        return list.index(row, Score).data(Qt::ToolTipRole).toString() == kHandScoreTip ? kHandMark : QString();
    }, this);
    m_printed->setSourceModel(m_grid->gridModel());
    m_totalTimer = new QTimer(this);
    m_totalTimer->setInterval(0);
    connect(m_totalTimer, &QTimer::timeout, this, [this] { sumTotal(kTotalSliceMs); });
}

GradingWindow::~GradingWindow() = default;

void GradingWindow::setUpGrid()
{
    m_grid->setEditable(false);
    m_grid->setSelectionMode(QAbstractItemView::ContiguousSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setColumnCount(kColumnCount);
    m_grid->setRowCount(1);
    for (int c = 0; c < kColumnCount; ++c) {
        m_grid->setColumnWidth(c, c == 0 ? 0 : kGridDefaultColumnWidth);
        m_grid->setText(0, c, kTitles[c]);
    }
    // Proportions of a grid as wide as all ten columns at the default width:
    // 0 for the hidden column, 0.1 for each of the others.
    m_proportions.capture(*m_grid, double(kColumnCount * kGridDefaultColumnWidth));
}

bool GradingWindow::startTask()
{
    // Placed and sized by now: the rows are striped from here on.
    m_grid->setStriped(true);
    return true;
}

void GradingWindow::resizeEvent(QResizeEvent *event)
{
    TaskWindow::resizeEvent(event);
    fitGridToWindow(*m_grid, event->size(), kGridMargin, m_proportions);
}

void GradingWindow::onToolbarAction(QAction *action)
{
    const QString caption = action->text();
    if (caption == kDelete)
        deleteAnswers();
    else if (caption == kExport)
        exportList();
    else if (caption == kGrade)
        grade();
}

void GradingWindow::grade()
{
    // A run in progress is not started again from within itself.
    if (m_grading)
        return;
    m_grading = true;
    stopTotal();
    const QString number = m_number->currentText();
    const QString occasion = m_occasion->currentText();
    if (isDetailMode(number, occasion))
        showDetails(number, occasion);
    else
        showTotals(gradeTotals(m_context.store, number, occasion));
    m_grading = false;
}

void GradingWindow::showTotals(const TotalsResult &totals)
{
    m_grid->setRowCount(1);
    if (!totals.failure.isEmpty()) {
        m_context.messages().failure(totals.failure, totals.reason);
        return;
    }
    std::vector<QStringList> rows;
    rows.reserve(totals.rows.size());
    for (const TotalsRow &row : totals.rows) {
        QStringList cells(kColumnCount);
        cells[CandidateNumber] = row.number;
        cells[Occasion] = row.occasion;
        cells[Name] = row.name;
        cells[Score] = numberToText(row.total);
        rows.push_back(std::move(cells));
    }
    m_grid->appendRows(std::move(rows));
}

void GradingWindow::showDetails(const QString &number, const QString &occasion)
{
    m_grid->setRowCount(1);
    const DetailListing details = detailListing(m_context.store, number, occasion, [](const DetailRow &row) {
        QStringList cells(kColumnCount);
        cells[NumberOfQuestion] = QString::number(row.questionNumber);
        cells[Type] = row.type;
        cells[Question] = row.question;
        cells[StandardAnswer] = row.standardAnswer;
        cells[Answer] = row.answer;
        cells[CandidateNumber] = row.number;
        cells[Occasion] = row.occasion;
        cells[Name] = row.name;
        if (row.score)
            cells[Score] = numberToText(*row.score);
        return cells;
    });
    if (!details.failure.isEmpty()) {
        m_context.messages().failure(details.failure, details.reason);
        return;
    }
    // The answers are read as they come into view; a score a marker gave stands out.
    m_grid->setListing(details.rows);
    m_grid->gridModel()->setMarked(Score, {}, kHandScoreTip, kHandScoreBackground);
    QStringList summary(kColumnCount);
    summary[NumberOfQuestion] = kTotal;
    summary[Score] = kSumming;
    m_totalRow = m_grid->appendRow(summary);
    m_grid->setRowBackground(m_totalRow, kSummaryBackground, 1);
    m_total = std::make_unique<DetailTotal>(m_context.store, number, occasion);
    sumTotal(kFirstTotalMs);
}

void GradingWindow::sumTotal(qint64 budgetMs)
{
    if (!m_total)
        return;
    if (!m_total->advance(budgetMs)) {
        const QString reason = m_total->reason();
        stopTotal();
        m_grid->setText(m_totalRow, Score, QString());
        m_context.messages().failure(DetailTotal::failure(), reason);
        return;
    }
    if (!m_total->finished()) {
        m_totalTimer->start();
        return;
    }
    m_grid->setText(m_totalRow, Score, numberToText(m_total->total()));
    stopTotal();
}

void GradingWindow::stopTotal()
{
    m_totalTimer->stop();
    m_total.reset();
}

void GradingWindow::deleteAnswers()
{
    const auto [first, last] = m_grid->selectedRowSpan();
    // Only rows that name one stored answer are deleted: the rows of one
    // candidate's answer list, not totals, the summary row or blank rows.
    std::vector<AnswerKey> keys;
    for (int row = qMax(first, 1); row <= last && row < m_grid->rowCount(); ++row) {
        bool numbered = false;
        AnswerKey key{m_grid->text(row, NumberOfQuestion).toLongLong(&numbered), m_grid->text(row, Type),
                      m_grid->text(row, CandidateNumber), m_grid->text(row, Occasion)};
        if (numbered && !key.type.isEmpty() && !key.number.isEmpty() && !key.occasion.isEmpty())
            keys.push_back(std::move(key));
    }
    if (keys.empty()) {
        m_context.messages().notice(
            QStringLiteral("答案只能从一名考生的答题列表中删除:请填考号和场次,按\"评分\"后选择要删除的答案"));
        return;
    }
    if (!kaoshi::deleteAnswers(m_context.store, keys)) {
        m_context.messages().failure(QStringLiteral("答案未能删除"), m_context.store.lastError().message);
        return;
    }
    m_context.messages().notice(QStringLiteral("操作完毕,请重新查询"));
}

void GradingWindow::exportList()
{
    // The list goes with its total.
    sumTotal(std::numeric_limits<qint64>::max());
    // The print window takes this list, with the column that says which
    // scores a marker gave, and the settings the bank list's export shares.
    PrintRequest request = listPrintRequest(*m_grid, QStringLiteral("自由打印导出"), QStringLiteral("题库.ini"));
    request.source = m_printed;
    request.columnWidths << kGridDefaultColumnWidth;
    if (Shell *shell = m_context.shell)
        shell->printTable(request);
}

void GradingWindow::fillNumberList()
{
    // Opening the list starts a new choice: the typed number goes.
    m_number->clearEditText();
    m_number->setList(answerNumbers(m_context.store));
}

void GradingWindow::fillOccasionList()
{
    m_occasion->clearEditText();
    m_occasion->setList(answerOccasions(m_context.store, m_number->currentText()));
}

} // namespace kaoshi
