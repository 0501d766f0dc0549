#include "practice/PracticeWindow.h"

#include "data/TextRules.h"
#include "ui/AppContext.h"
#include "ui/DatabaseStatus.h"
#include "ui/Controls.h"
#include "ui/ListGrid.h"
#include "ui/Shell.h"

#include <QAction>
#include <algorithm>
#include <QHash>
#include <QShortcut>
#include <QToolBar>
#include <QLineEdit>
#include <QTabWidget>
#include <QTextEdit>

namespace kaoshi {

const QStringList &PracticeWindow::toolbarCaptions()
{
    static const QStringList captions{QStringLiteral("重做"), QStringLiteral("错题"), QStringLiteral("字体"),
                                      QStringLiteral("首题"), QStringLiteral("上题"), QStringLiteral("下题"),
                                      QStringLiteral("尾题"), QStringLiteral("保存")};
    return captions;
}

PracticeWindow::PracticeWindow(AppContext &context, PracticeSession &session, QWidget *host)
    : TaskWindow(context, host), m_session(session), m_pane(context, this, toolbarCaptions())
{
    resize(PracticeView::kDesignSize);
    buildPracticePages();

    connect(&m_pane, &QuestionPane::toolbarButton, this, &PracticeWindow::runToolbarButton);
    connect(&m_pane, &QuestionPane::loaded, this, &PracticeWindow::showStandardAnswer);
    connect(view().questionTabs, &QTabWidget::currentChanged, this, [this](int page) {
        if (page == kWrongListPage)
            fillWrongList();
    });
    connect(m_wrongGrid, &ListGrid::rowDoubleClicked, this, [this](int row) { jumpToWrongQuestion(row); });

    // Enter is 保存, except in the free-answer field, which takes it as a new line.
    for (int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto *shortcut = new QShortcut(QKeySequence(key), this);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, &PracticeWindow::saveAnswer);
    }
    if (auto *save = view().toolbar->findChild<QAction *>(QStringLiteral("保存按钮")))
        save->setToolTip(QStringLiteral("保存（Enter）"));
}

PracticeWindow::~PracticeWindow() = default;

void PracticeWindow::buildPracticePages()
{
    PracticeView &v = view();
    QWidget *wrongPage = v.addQuestionPage(QStringLiteral("错题"));
    m_wrongGrid = named(new ListGrid(wrongPage), QStringLiteral("错题高级表格"));
    m_wrongGrid->setEditable(false);
    m_wrongGrid->setStriped(true);
    m_wrongGrid->setColumnCount(kWrongListColumns);
    for (int c = 0; c < kWrongListColumns; ++c) {
        m_wrongGrid->setText(0, c, wrongListTitles()[c]);
        m_wrongGrid->setColumnWidth(c, wrongListWidths()[size_t(c)]);
    }
    v.placeOnPage(m_wrongGrid, 8, 32, 682, 130);

    QWidget *answerPage = v.addQuestionPage(QStringLiteral("答案"));
    m_standardAnswer = PracticeView::textField(answerPage, QStringLiteral("标准答案超级编辑框"), true);
    v.placeOnPage(m_standardAnswer, 8, 32, 696, 64);
    m_explanation = PracticeView::textField(answerPage, QStringLiteral("解析超级编辑框"), true);
    v.placeOnPage(m_explanation, 8, 104, 696, 64);
}

bool PracticeWindow::startTask()
{
    m_session.charFormat.size = 20;
    m_pane.applyCharFormat(m_session.charFormat);
    PracticeView::applyCharFormat(m_standardAnswer, m_session.charFormat);
    PracticeView::applyCharFormat(m_explanation, m_session.charFormat);
    if (!prepareBanks()) {
        close();
        return false;
    }
    // The first bank that holds questions is shown first.
    const auto &types = allQuestionTypes();
    const auto first = std::find_if(types.begin(), types.end(), [this](QuestionType t) { return m_pane.hasQuestions(t); });
    if (first != types.end() && typeIndex(*first) != view().answerTabs->currentIndex())
        view().answerTabs->setCurrentIndex(typeIndex(*first)); // loads it
    else
        m_pane.showAnswerPage();
    return true;
}

bool PracticeWindow::checkBanks()
{
    if (!m_context.store.isOpen()) {
        // Not "empty": the banks cannot be read at all.
        m_context.messages().failure(QStringLiteral("数据库不可用，不能练习"), m_context.store.errorString());
        return false;
    }
    // The banks that hold questions are practised; an empty one says so on its page.
    bool any = false;
    for (QuestionType type : allQuestionTypes()) {
        const bank::Bounds bounds = bank::readBounds(m_context.store, type);
        m_pane.setBounds(type, bounds);
        if (bounds.failed) {
            m_context.messages().failure(QStringLiteral("没能读取") + typeCaption(type) + QStringLiteral("题库"),
                                         m_context.store.errorString());
            return false;
        }
        m_pane.setEmptyNote(type, bounds.isEmpty() ? typeCaption(type) + QStringLiteral("题库是空的") : QString());
        any = any || !bounds.isEmpty();
    }
    if (!any)
        m_context.messages().notice(emptyBanksHint());
    return any;
}

void PracticeWindow::showStandardAnswer()
{
    const Question &question = m_pane.loadedQuestion();
    m_standardAnswer->setPlainText(question.answer);
    m_explanation->setPlainText(question.explanation);
}

void PracticeWindow::saveAnswer()
{
    // Written to the row shown, even when the number box was edited since.
    const std::optional<FieldValue> number = bank::numberValue(m_pane.loadedNumber());
    if (!number || !bank::saveAnswer(m_context.store, m_pane.loadedType(), *number, m_pane.shownAnswer())) {
        // The answer stays on screen and the question stays: nothing moves on.
        m_context.messages().failure(QStringLiteral("答案没有保存"),
                                     number ? m_context.store.errorString() : QStringLiteral("没有显示题目"));
        return;
    }
    goNext();
}

void PracticeWindow::redoBank()
{
    if (!m_context.messages().ask(QStringLiteral("清空答案重新做题?")))
        return;
    if (!bank::clearAnswers(m_context.store, m_pane.currentType()))
        m_context.messages().failure(QStringLiteral("没有清空") + typeCaption(m_pane.currentType()) +
                                         QStringLiteral("的练习答案"),
                                     m_context.store.errorString());
}

void PracticeWindow::chooseFont()
{
    if (!chooseCharFormat(m_context.platform.fonts, m_session.charFormat))
        return;
    m_pane.applyCharFormat(m_session.charFormat);
    PracticeView::applyCharFormat(m_standardAnswer, m_session.charFormat);
    PracticeView::applyCharFormat(m_explanation, m_session.charFormat);
}

void PracticeWindow::fillWrongList()
{
    m_wrongGrid->setRowCount(1);
    m_wrongGrid->setListing(wrongQuestionListing(m_context.store));
}

void PracticeWindow::jumpToWrongQuestion(int row)
{
    if (row < 1 || row >= m_wrongGrid->rowCount())
        return;
    if (const std::optional<QuestionType> type = questionTypeOf(m_wrongGrid->text(row, 2)))
        m_pane.jumpTo(*type, m_wrongGrid->text(row, 1), m_jumpFindsPosition);
}

void PracticeWindow::exportWrongList()
{
    if (view().questionTabs->currentIndex() == kWrongListPage)
        fillWrongList();
    else
        view().questionTabs->setCurrentIndex(kWrongListPage); // refills the list
    handOverWrongList();
}

void PracticeWindow::handOverWrongList()
{
    if (Shell *shell = m_context.shell)
        shell->printList(*m_wrongGrid, typeCaption(m_pane.currentType()) + QStringLiteral("错题导出"),
                         QStringLiteral("错题.ini"));
}

void PracticeWindow::runToolbarButton(const QString &caption)
{
    using Operation = void (PracticeWindow::*)();
    static const QHash<QString, Operation> operations{
        {QStringLiteral("字体"), &PracticeWindow::chooseFont}, {QStringLiteral("首题"), &PracticeWindow::goFirst},
        {QStringLiteral("上题"), &PracticeWindow::goPrevious}, {QStringLiteral("下题"), &PracticeWindow::goNext},
        {QStringLiteral("尾题"), &PracticeWindow::goLast},     {QStringLiteral("重做"), &PracticeWindow::redoBank},
        {QStringLiteral("错题"), &PracticeWindow::exportWrongList}, {QStringLiteral("保存"), &PracticeWindow::saveAnswer},
    };
    if (const Operation operation = operations.value(caption))
        (this->*operation)();
}

void PracticeWindow::resizeEvent(QResizeEvent *event)
{
    TaskWindow::resizeEvent(event);
    m_pane.adaptToSize(size());
    const int w = width(), h = height();
    m_wrongGrid->resize(qMax(w - 40, 0), qMax(h - 260, 0));
    m_standardAnswer->resize(qMax(w - 40, 0), m_standardAnswer->height());
    m_explanation->resize(qMax(w - 40, 0), qMax(h - 332, 0));
}

} // namespace kaoshi
