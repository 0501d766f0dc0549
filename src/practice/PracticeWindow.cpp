#include "practice/PracticeWindow.h"

#include "data/Schema.h"
#include "data/TextRules.h"
#include "practice/PictureBox.h"
#include "print/PrintHandOver.h"
#include "practice/QuestionLayout.h"
#include "practice/PracticeSession.h"
#include "ui/AppContext.h"
#include "ui/ListGrid.h"
#include "ui/Shell.h"

#include <QCheckBox>
#include <QHash>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>

namespace kaoshi {

PracticeWindow::PracticeWindow(AppContext &context, QWidget *host, ViewKind kind)
    : TaskWindow(context, host), m_view(this, kind), m_pictures(context, m_view)
{
    resize(PracticeView::kDesignSize);
    m_state.currentType = questionTypes().first();

    connect(m_view.toolbar, &QToolBar::actionTriggered, this,
            [this](QAction *action) { runToolbarButton(action->text()); });
    connect(m_view.answerTabs, &QTabWidget::currentChanged, this, [this] { changeAnswerPage(); });
    connect(m_view.questionTabs, &QTabWidget::currentChanged, this, [this](int page) {
        if (m_view.wrongGrid && page == WrongListPage)
            fillWrongList();
    });
    connect(m_view.firstPicture, &QPushButton::clicked, this, [this] { m_pictures.first(); });
    connect(m_view.previousPicture, &QPushButton::clicked, this, [this] { m_pictures.previous(); });
    connect(m_view.nextPicture, &QPushButton::clicked, this, [this] { m_pictures.next(); });
    connect(m_view.lastPicture, &QPushButton::clicked, this, [this] { m_pictures.last(); });
    connect(m_view.picture, &PictureBox::doubleClicked, this, [this] { m_pictures.openPicture(); });
    if (m_view.wrongGrid)
        connect(m_view.wrongGrid, &ListGrid::rowDoubleClicked, this, [this](int row) { jumpToWrongQuestion(row); });
}

PracticeWindow::~PracticeWindow() = default;

bool PracticeWindow::startTask()
{
    m_context.practice.charFormat.size = 20;
    m_view.applyCharFormat(m_context.practice.charFormat);
    if (!prepareBanks()) {
        close();
        return false;
    }
    changeAnswerPage();
    return true;
}

bool PracticeWindow::checkBanks()
{
    if (!m_context.store.isOpen()) {
        // Not "empty": the banks cannot be read at all.
        m_context.messages().failure(QStringLiteral("数据库不可用，不能练习"), m_context.store.errorString());
        return false;
    }
    const QStringList &types = questionTypes();
    for (int page = 0; page < types.size(); ++page) {
        m_state.bounds[size_t(page)] = bank::readBounds(m_context.store, types[page]);
        if (m_state.bounds[size_t(page)].failed) {
            m_context.messages().failure(QStringLiteral("没能读取") + types[page] + QStringLiteral("题库"),
                                         m_context.store.errorString());
            return false;
        }
        if (m_state.bounds[size_t(page)].isEmpty()) {
            m_context.messages().notice(types[page] + QStringLiteral("题库是空的"));
            return false;
        }
    }
    return true;
}

QLineEdit *PracticeWindow::numberBox() const { return m_view.numberBoxes[size_t(m_state.page)]; }

void PracticeWindow::changeAnswerPage()
{
    const int page = m_view.answerTabs->currentIndex();
    if (page < 0 || page >= questionTypes().size())
        return;
    m_state.page = page;
    m_state.currentType = questionTypes()[page];
    if (numberBox()->text().isEmpty())
        numberBox()->setText(m_state.bounds[size_t(page)].lower);
    loadQuestion();
}

void PracticeWindow::loadQuestion()
{
    leaveQuestion();
    m_state.loadedNumber = numberToLoad();
    // A 题号 that matches no row (or no 题号 at all) reads as empty texts.
    const std::optional<FieldValue> number = bank::numberValue(m_state.loadedNumber);
    RecordCursor row = number ? bank::questionByNumber(m_context.store, m_state.currentType, *number) : RecordCursor();
    row.first();
    QString stored;
    m_state.questionText.clear();
    row.readText(QStringLiteral("题目"), m_state.questionText);
    row.readText(QStringLiteral("练习答案"), stored);
    // A window without the 答案 page never reads the standard answer.
    if (m_view.standardAnswer) {
        QString standard, explanation;
        row.readText(QStringLiteral("标准答案"), standard);
        row.readText(QStringLiteral("解析"), explanation);
        m_view.standardAnswer->setPlainText(standard);
        m_view.explanation->setPlainText(explanation);
    }
    row.close();

    m_view.questionText->setPlainText(shownQuestionText(m_state.questionText));
    showStoredAnswer(answerOnRecord(stored));
    m_pictures.open(m_state.currentType, m_state.loadedNumber);
}

void PracticeWindow::showStoredAnswer(const QString &stored) { m_view.answers.show(m_state.page, stored); }

QString PracticeWindow::collectedAnswer(int page) const
{
    const QString answer = m_view.answers.collect(page);
    return page == FreeAnswerPage ? freeAnswer(answer) : answer;
}

void PracticeWindow::collectAnswer() { m_state.answerText = collectedAnswer(m_state.page); }

void PracticeWindow::saveAnswer()
{
    collectAnswer();
    // The answer stays on screen and the question stays: nothing moves on.
    if (!storeAnswer(m_state.answerText))
        return;
    m_state.answerText.clear();
    goNext();
}

bool PracticeWindow::storeAnswer(const QString &answer)
{
    // Written to the row shown, even when the number box was edited since.
    const std::optional<FieldValue> number = bank::numberValue(m_state.loadedNumber);
    if (!number || !bank::saveAnswer(m_context.store, m_state.currentType, *number, answer)) {
        m_context.messages().failure(QStringLiteral("答案没有保存"),
                                     number ? m_context.store.errorString() : QStringLiteral("没有显示题目"));
        return false;
    }
    return true;
}

void PracticeWindow::moveTo(double number)
{
    numberBox()->setText(numberToText(number));
    loadQuestion();
}

void PracticeWindow::goFirst()
{
    numberBox()->setText(m_state.bounds[size_t(m_state.page)].lower);
    loadQuestion();
}

void PracticeWindow::goLast()
{
    numberBox()->setText(m_state.bounds[size_t(m_state.page)].upper);
    loadQuestion();
}

void PracticeWindow::goPrevious()
{
    const bank::Bounds &bounds = m_state.bounds[size_t(m_state.page)];
    const double n = textToNumber(numberBox()->text());
    const double high = textToNumber(bounds.upper);
    if (numberGreater(n, textToNumber(bounds.lower)) && !numberIsZero(high))
        moveTo(n - 1);
}

void PracticeWindow::goNext()
{
    const bank::Bounds &bounds = m_state.bounds[size_t(m_state.page)];
    const double n = textToNumber(numberBox()->text());
    const double high = textToNumber(bounds.upper);
    if (numberLess(n, high) && !numberIsZero(high))
        moveTo(n + 1);
}

void PracticeWindow::redoBank()
{
    if (!m_context.messages().ask(QStringLiteral("清空答案重新做题?")))
        return;
    if (!bank::clearAnswers(m_context.store, m_state.currentType))
        m_context.messages().failure(QStringLiteral("没有清空") + m_state.currentType + QStringLiteral("的练习答案"),
                                     m_context.store.errorString());
}

void PracticeWindow::chooseFont()
{
    CharFormat &format = m_context.practice.charFormat;
    FontChoice initial;
    initial.family = format.face;
    initial.pointSize = format.size;
    initial.bold = format.effects & CharFormat::Bold;
    initial.italic = format.effects & CharFormat::Italic;
    initial.underline = format.effects & CharFormat::Underline;
    initial.strikeOut = format.effects & CharFormat::StrikeOut;
    if (!format.automaticColour)
        initial.colour = QColor::fromRgb(QRgb(format.colour));
    const std::optional<FontChoice> choice = m_context.platform.fonts.chooseFont(initial);
    if (!choice)
        return;
    // The face chosen in the dialog is not taken over: the practice fields
    // keep their face and take size, colour and style.
    format.size = choice->pointSize;
    format.automaticColour = !choice->colour.isValid();
    format.colour = choice->colour.isValid() ? choice->colour.rgb() & 0xffffffu : 0;
    format.effects = (choice->bold ? CharFormat::Bold : 0) | (choice->italic ? CharFormat::Italic : 0) |
                     (choice->underline ? CharFormat::Underline : 0) |
                     (choice->strikeOut ? CharFormat::StrikeOut : 0);
    m_view.applyCharFormat(format);
}

void PracticeWindow::fillWrongList()
{
    ListGrid *grid = m_view.wrongGrid;
    if (!grid)
        return;
    grid->setRowCount(1);
    grid->setListing(wrongQuestionListing(m_context.store));
}

void PracticeWindow::jumpToWrongQuestion(int row)
{
    ListGrid *grid = m_view.wrongGrid;
    if (!grid || row < 1 || row >= grid->rowCount())
        return;
    const int page = questionTypes().indexOf(grid->text(row, 2));
    if (page >= 0) {
        m_view.numberBoxes[size_t(page)]->setText(grid->text(row, 1));
        m_state.page = page;
        m_state.currentType = questionTypes()[page];
        m_view.answerTabs->setCurrentIndex(page);
    }
    m_view.questionTabs->setCurrentIndex(TextPage);
    prepareJump();
    loadQuestion();
}

void PracticeWindow::exportWrongList()
{
    if (!m_view.wrongGrid)
        return;
    if (m_view.questionTabs->currentIndex() == WrongListPage)
        fillWrongList();
    else
        m_view.questionTabs->setCurrentIndex(WrongListPage); // refills the list
    handOverWrongList();
}

void PracticeWindow::handOverWrongList()
{
    openPrintWindow(m_context, listPrintRequest(*m_view.wrongGrid, m_state.currentType + QStringLiteral("错题导出"),
                                                QStringLiteral("错题.ini")));
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
    m_view.adaptToSize(size());
}

} // namespace kaoshi
