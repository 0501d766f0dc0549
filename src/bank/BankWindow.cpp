#include "bank/BankWindow.h"

#include "ui/StatusProgress.h"
#include "bank/AddRowsDialog.h"
#include "bank/BankDocument.h"
#include "print/ExportFiles.h"
#include "bank/QuestionEditorWindow.h"
#include "data/KeyedRows.h"
#include "data/KeysetRows.h"
#include "data/TextRules.h"
#include "import/ImportDialog.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"
#include "ui/ListGrid.h"
#include "ui/Shell.h"

#include <QAction>
#include <QDir>
#include <algorithm>
#include <QLineEdit>
#include <QResizeEvent>
#include <QToolBar>

namespace kaoshi {

namespace {

const QString kAdd = QStringLiteral("添加");
const QString kSave = QStringLiteral("保存");
const QString kExport = QStringLiteral("导出");
const QString kExportWord = QStringLiteral("导出Word");
const QString kImport = QStringLiteral("导入");
const QString kClear = QStringLiteral("清空");
const QString kSearch = QStringLiteral("搜索");

constexpr int kDesignRows = 5;
constexpr int kNumberColumnWidth = 50;
constexpr int kHiddenNumberColumn = 6;
// The grid starts at (10, 40) and leaves 10 pixels on the right and at the bottom.
const QPoint kGridOrigin(10, 40);
const QSize kGridMargin(20, 50);

} // namespace

BankWindow::BankWindow(AppContext &context, QuestionType type, QWidget *host)
    : TaskWindow(context, host), m_type(type)
{
    nameControl(this, QStringLiteral("题库"));
    m_toolbar = named(new QToolBar(this), QStringLiteral("工具条1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const QString &caption : {kAdd, kSave, kExport, kExportWord, kImport, kClear, kSearch}) {
        QAction *action = m_toolbar->addAction(caption);
        connect(action, &QAction::triggered, this, [this, action] { onToolbarAction(action); });
    }
    m_toolbar->setGeometry(8, 8, m_toolbar->sizeHint().width(), 32);

    m_searchBox = named(new QLineEdit(this), QStringLiteral("查询编辑框"));
    m_searchBox->setGeometry(m_toolbar->geometry().right() + 8, 11, 160, 24);

    m_grid = named(new ListGrid(this), QStringLiteral("高级表格1"));
    m_grid->move(kGridOrigin);
    setUpGrid();
    connect(m_grid, &ListGrid::rowDoubleClicked, this, [this](int row) {
        if (row > 0)
            openEditor();
    });
}

void BankWindow::setUpGrid()
{
    m_grid->setColumnCount(kBankColumnCount);
    m_grid->setFixedColumns(1);
    m_grid->setRowCount(kDesignRows + 1);
    const QStringList &titles = bankColumnTitles();
    for (int c = 0; c < kBankColumnCount; ++c) {
        m_grid->setColumnWidth(c, kGridDefaultColumnWidth);
        m_grid->setText(0, c, titles[c]);
    }
    m_grid->setColumnWidth(0, kNumberColumnWidth);
    m_grid->setColumnWidth(kHiddenNumberColumn, 0);

    // The proportions come from the design widths over a grid as wide as all
    // columns but one at the default width.
    m_proportions.capture(*m_grid, double((kBankColumnCount - 1) * kGridDefaultColumnWidth));
}

QString BankWindow::mainCaption() const { return QStringLiteral("考试系统-题库-") + typeCaption(m_type); }

bool BankWindow::startTask()
{
    m_grid->setStriped(true);
    return true;
}

void BankWindow::resizeEvent(QResizeEvent *event)
{
    TaskWindow::resizeEvent(event);
    // Rows that hold text stay; only trailing blank rows give way.
    fitGridToWindow(*m_grid, event->size(), kGridMargin, m_proportions);
}

void BankWindow::onToolbarAction(QAction *action)
{
    const QString caption = action->text();
    if (caption == kAdd)
        addRows();
    else if (caption == kSave)
        saveNewRows();
    else if (caption == kExport)
        exportList();
    else if (caption == kExportWord)
        exportWord();
    else if (caption == kImport)
        importQuestions();
    else if (caption == kClear)
        clearBank();
    else if (caption == kSearch)
        search();
}

void BankWindow::addRows()
{
    AddRowsDialog dialog(this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_grid->setRowCount(1);
    m_grid->setEditable(true);
    m_grid->setRowCount(dialog.rowCount() + 1);
}

QuestionTexts BankWindow::rowTexts(int row) const
{
    return {m_grid->text(row, 0), m_grid->text(row, 1), m_grid->text(row, 2), m_grid->text(row, 3),
            m_grid->text(row, 4), m_grid->text(row, 5),   m_grid->gridModel()->rowId(row)};
}

void BankWindow::removeBlankRows()
{
    // Typed rows without a question text are not stored; they all go at once.
    m_grid->gridModel()->removeHeldRowsIf([](const QStringList &cells) { return cells.value(1).isEmpty(); });
}

void BankWindow::saveNewRows()
{
    // A cell still being edited belongs to the rows to store.
    m_grid->commitEdit();
    m_context.platform.waits.wait(50);
    removeBlankRows();

    // Only rows held in the grid can be typed rows; listed rows are stored already.
    const int firstHeld = m_grid->gridModel()->listedRowCount() + 1;
    std::vector<QuestionTexts> rows;
    rows.reserve(size_t(m_grid->rowCount() - firstHeld));
    for (int row = firstHeld; row < m_grid->rowCount(); ++row)
        rows.push_back(rowTexts(row));
    const std::vector<qint64> numbers = saveNewQuestions(m_context.store, m_type, rows);
    const bool typed = std::any_of(rows.begin(), rows.end(), [](const QuestionTexts &r) { return r.number.isEmpty(); });
    if (typed && std::all_of(numbers.begin(), numbers.end(), [](qint64 n) { return n == 0; })) {
        m_context.messages().failure(QStringLiteral("新题目没有保存"), m_context.store.errorString());
        return;
    }
    // Stored rows show their numbers, so a second "保存" does not store them again.
    for (size_t i = 0; i < numbers.size(); ++i) {
        if (numbers[i] > 0) {
            const QString number = QString::number(numbers[i]);
            m_grid->setText(firstHeld + int(i), 0, number);
            m_grid->setText(firstHeld + int(i), kHiddenNumberColumn, number);
        }
    }
    m_context.messages().notice(QStringLiteral("操作完毕,请重新查询"));
}

void BankWindow::exportList()
{
    if (Shell *shell = m_context.shell)
        shell->printList(*m_grid, typeCaption(m_type) + QStringLiteral("题库导出"), QStringLiteral("题库.ini"));
}

void BankWindow::exportWord()
{
    const std::optional<std::vector<qint64>> listed = bank::listRowIds(m_context.store, m_type, m_listedSearch);
    const std::optional<std::vector<DocumentQuestion>> questions =
        listed ? documentQuestions(m_context.store, m_type, *listed) : std::nullopt;
    if (!questions) {
        m_context.messages().failure(QStringLiteral("没有导出Word：没能读取") + typeCaption(m_type) + QStringLiteral("题库"),
                                     m_context.store.errorString());
        return;
    }
    if (questions->empty()) {
        m_context.messages().notice(QStringLiteral("没有可导出的题目"));
        return;
    }
    const QString folder = exportFolder(m_context.dataDir);
    if (!QDir().mkpath(folder)) {
        m_context.messages().failure(QStringLiteral("没有导出Word：无法建立文件夹"), QDir::toNativeSeparators(folder));
        return;
    }
    const QString path = newExportPath(folder, typeCaption(m_type) + QStringLiteral("题库"), QStringLiteral(".docx"),
                                       m_context.platform.clock.now());
    const WrittenDocument written = writeQuestionDocument(path, m_type, *questions, m_context.dataDir);
    if (!written.written) {
        m_context.messages().failure(QStringLiteral("没有导出Word文档") + path, written.reason);
        return;
    }
    QString text = QStringLiteral("已导出%1题到Word文档：\n%2").arg(questions->size()).arg(QDir::toNativeSeparators(path));
    if (written.missingPictures > 0)
        text += QStringLiteral("\n有%1张图片的文件缺失或不是图片，没有写入").arg(written.missingPictures);
    m_context.messages().notice(text);
}

void BankWindow::importQuestions()
{
    const ImportDialog::Result imported = ImportDialog::run(m_context, m_type, this);
    // The whole bank is listed, so the stored questions show at once.
    if (imported.stored > 0 && imported.type == m_type) {
        m_searchBox->clear();
        search();
    }
}

void BankWindow::clearBank()
{
    if (!m_context.messages().ask(QStringLiteral("确定要清空所有") + typeCaption(m_type)))
        return;
    if (!kaoshi::clearBank(m_context.store, m_type)) {
        m_context.messages().failure(QStringLiteral("没有清空") + typeCaption(m_type), m_context.store.errorString());
        return;
    }
    m_context.messages().notice(QStringLiteral("清空完毕"));
}

void BankWindow::search()
{
    m_grid->setEditable(false);
    listQuestions(m_searchBox->text());
}

void BankWindow::listQuestions(const QString &searchText)
{
    StatusProgress fallback;
    StatusProgress &progress = m_context.shell ? m_context.shell->statusProgress() : fallback;
    const auto cellsOf = [](const Question &question) { return questionCells(question); };
    const QString duplicateTip = QStringLiteral("题号重复：还有一道题用这个题号");
    // The whole bank is read a window at a time through the 题号 index, and
    // its numbers carried twice are found per window.
    if (searchText.isEmpty()) {
        if (std::shared_ptr<KeysetRows> bank = KeysetRows::make(m_context.store, m_type, cellsOf, kBankColumnCount)) {
            progress.start(bank->size());
            m_grid->setListing(std::move(bank));
            m_grid->gridModel()->setMarked(0, {}, duplicateTip);
            progress.finish();
            return;
        }
    }
    // A search (or a bank with rows lacking a 题号) reads one integer per
    // matching question now; the cells of a row when it comes into view.
    const std::optional<std::vector<qint64>> listed = bank::listRowIds(m_context.store, m_type, searchText);
    m_listedSearch = searchText;
    if (!listed)
        m_context.messages().failure(QStringLiteral("没能读取") + typeCaption(m_type) + QStringLiteral("题库"),
                                     m_context.store.errorString());
    const std::vector<qint64> ids = listed.value_or(std::vector<qint64>());
    progress.start(qint64(ids.size()));
    m_grid->setListing(std::make_shared<KeyedRows>(m_context.store, m_type, ids, cellsOf, kBankColumnCount));
    // Two questions with one number stand out, so that the teacher sees them.
    const QStringList duplicates = bank::duplicateNumbers(m_context.store, m_type).value_or(QStringList());
    m_grid->gridModel()->setMarked(0, QSet<QString>(duplicates.cbegin(), duplicates.cend()), duplicateTip);
    progress.finish();
}

void BankWindow::openEditor()
{
    const int row = m_grid->cursorRow();
    if (row <= 0)
        return;
    QuestionEditorWindow editor(m_context, m_type, rowTexts(row), this);
    editor.exec();
    // The list follows the change, so a row shown afterwards never carries a
    // number that now belongs to another question.
    if (editor.outcome() == QuestionEditorWindow::Outcome::Saved)
        showSavedQuestion(row, editor.savedQuestion());
    else if (editor.outcome() == QuestionEditorWindow::Outcome::Deleted)
        dropDeletedQuestion(row, editor.questionNumber());
}

void BankWindow::showSavedQuestion(int row, const QuestionTexts &question)
{
    // A listed row shows what is stored: it is read again.
    if (m_grid->gridModel()->rowId(row) > 0) {
        m_grid->gridModel()->refreshListing();
        return;
    }
    // A typed row that is not stored yet keeps its text for "保存"; the new
    // question is shown in a row of its own.
    if (m_grid->text(row, 0).isEmpty() && m_grid->rowHasText(row))
        row = m_grid->appendRow();
    const QStringList cells{question.number, question.text,  question.answer, question.explanation,
                            question.score,  question.chapter, question.number};
    for (int c = 0; c < kBankColumnCount; ++c)
        m_grid->setText(row, c, cells[c]);
}

void BankWindow::dropDeletedQuestion(int deletedRow, qint64 number)
{
    // Listed rows are read again, with the numbers the deletion moved down.
    const bool listed = m_grid->gridModel()->rowId(deletedRow) > 0;
    if (listed)
        m_grid->removeRow(deletedRow);
    m_grid->gridModel()->refreshListing();
    for (int row = m_grid->rowCount() - 1; row > m_grid->gridModel()->listedRowCount(); --row) {
        const QString cell = m_grid->text(row, 0);
        if (cell.isEmpty())
            continue;
        const qint64 k = qint64(textToNumber(cell));
        if (k == number) {
            m_grid->removeRow(row);
        } else if (k > number) {
            const QString moved = numberToText(double(k - 1));
            m_grid->setText(row, 0, moved);
            m_grid->setText(row, kHiddenNumberColumn, moved);
        }
    }
}

} // namespace kaoshi
