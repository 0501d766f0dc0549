#include "practice/QuestionPane.h"

#include "data/TextRules.h"
#include "practice/PictureBox.h"
#include "practice/QuestionLayout.h"
#include "ui/AppContext.h"
#include "ui/Shell.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>

namespace kaoshi {

QuestionPane::QuestionPane(AppContext &context, QWidget *window, const QStringList &toolbarCaptions)
    : QObject(window), m_context(context), m_window(window), m_view(window, toolbarCaptions),
      m_storeSource(context.store, context.dataDir), m_pictures(context, m_view, m_storeSource)
{
    installAnswerKeys(window);
    window->installEventFilter(this);
    connect(m_view.toolbar, &QToolBar::actionTriggered, this,
            [this](QAction *action) { emit toolbarButton(action->text()); });
    connect(m_view.answerTabs, &QTabWidget::currentChanged, this, [this] { showAnswerPage(); });
    connect(m_view.firstPicture, &QPushButton::clicked, this, [this] { m_pictures.first(); });
    connect(m_view.previousPicture, &QPushButton::clicked, this, [this] { m_pictures.previous(); });
    connect(m_view.nextPicture, &QPushButton::clicked, this, [this] { m_pictures.next(); });
    connect(m_view.lastPicture, &QPushButton::clicked, this, [this] { m_pictures.last(); });
    connect(m_view.picture, &PictureBox::doubleClicked, this, [this] { m_pictures.openPicture(); });

    // toggled and textChanged come from every source of a change: a click,
    // a key, an accessibility action and code alike.
    const AnswerControls &answers = m_view.answers;
    QList<QAbstractButton *> buttons{answers.rightChoice, answers.wrongChoice};
    for (int i = 0; i < kChoiceCount; ++i)
        buttons << answers.singleChoices[size_t(i)] << answers.multipleChoices[size_t(i)];
    for (QAbstractButton *button : buttons)
        connect(button, &QAbstractButton::toggled, this, [this] { noteAnswerChange(); });
    connect(answers.freeAnswer, &QTextEdit::textChanged, this, [this] { noteAnswerChange(); });
}

QuestionPane::~QuestionPane() = default;

void QuestionPane::boundByOrders()
{
    m_ordered = true;
    for (QuestionType type : allQuestionTypes()) {
        const std::vector<qint64> &order = m_orders[at(type)];
        const bool empty = order.empty();
        m_bounds[at(type)] = {empty ? QString() : QStringLiteral("1"),
                              empty ? QString() : QString::number(order.size()), false, {}};
    }
}

void QuestionPane::setEmptyNote(QuestionType type, const QString &note)
{
    m_emptyNotes[at(type)] = note;
    m_view.frames[at(type)]->setEnabled(note.isEmpty());
}

void QuestionPane::setQuestionSource(PaneSource &source)
{
    m_source = &source;
    m_pictures.setSource(source);
}

void QuestionPane::showAnswerPage()
{
    const std::optional<QuestionType> type = typeAt(m_view.answerTabs->currentIndex());
    if (!type)
        return;
    m_type = *type;
    if (numberBox()->text().isEmpty())
        numberBox()->setText(m_bounds[at(m_type)].lower);
    load();
}

QString QuestionPane::numberToLoad()
{
    m_loadedType = m_type;
    m_loadedIndex = -1;
    if (!m_ordered || m_jumpByNumber) {
        m_jumpByNumber = false;
        return numberBox()->text();
    }
    // A position outside the order designates no question.
    const std::vector<qint64> &order = m_orders[at(m_type)];
    const qint64 position = qint64(textToNumber(numberBox()->text()));
    if (position < 1 || position > qint64(order.size()))
        return QString();
    m_loadedIndex = int(position - 1);
    return QString::number(order[size_t(m_loadedIndex)]);
}

void QuestionPane::load()
{
    emit aboutToLeave();
    m_loading = true;
    m_loadedNumber = numberToLoad();
    // A 题号 that matches no row (or no 题号 at all) reads as empty texts.
    const std::optional<FieldValue> number = bank::numberValue(m_loadedNumber);
    m_question = (number ? m_source->question(m_loadedType, *number) : std::nullopt).value_or(Question{m_loadedType});
    const QString &emptyNote = m_emptyNotes[at(m_loadedType)];
    const QString text = m_textSource ? m_textSource(m_question, m_loadedIndex) : shownQuestionText(m_question.text);
    m_view.questionText->setPlainText(emptyNote.isEmpty() ? text : emptyNote);
    m_view.answers.show(m_loadedType, m_answerSource ? m_answerSource(m_question, m_loadedIndex)
                                                     : m_question.practiceAnswer);
    m_pictures.open(m_loadedType, m_loadedNumber);
    m_shownAnswer = shownAnswer();
    m_loading = false;
    showPosition(positionText());
    emit loaded();
}

QString QuestionPane::positionText() const
{
    if (m_question.rowId == 0)
        return QString();
    const QString last = m_ordered ? QString::number(m_orders[at(m_loadedType)].size()) : m_bounds[at(m_loadedType)].upper;
    return QStringLiteral("第 %1 / %2 题").arg(numberBox(m_loadedType)->text().trimmed(), last);
}

void QuestionPane::showPosition(const QString &text)
{
    if (Shell *shell = m_context.shell)
        shell->setStatusText(kPositionStatusPart, text);
}

bool QuestionPane::eventFilter(QObject *watched, QEvent *event)
{
    // The position belongs to the window shown; it goes when the window does.
    if (watched == m_window && event->type() == QEvent::Close)
        showPosition(QString());
    return QObject::eventFilter(watched, event);
}

void QuestionPane::installAnswerKeys(QWidget *window)
{
    const auto onKey = [this, window](int key, auto handler) {
        auto *shortcut = new QShortcut(QKeySequence(key), window);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        connect(shortcut, &QShortcut::activated, this, handler);
    };
    AnswerControls &answers = m_view.answers;
    for (int i = 0; i < kChoiceCount; ++i) {
        onKey(Qt::Key_A + i, [this, i] { chooseByKey(i); });
        const QString letter = choiceCaption(i);
        answers.singleChoices[size_t(i)]->setToolTip(QStringLiteral("按 %1 键选择").arg(letter));
        answers.multipleChoices[size_t(i)]->setToolTip(QStringLiteral("按 %1 键勾选或取消").arg(letter));
    }
    for (int key : {int(Qt::Key_1), int(Qt::Key_Y)})
        onKey(key, [this] { chooseVerdict(true); });
    for (int key : {int(Qt::Key_0), int(Qt::Key_N)})
        onKey(key, [this] { chooseVerdict(false); });
    answers.rightChoice->setToolTip(QStringLiteral("按 1 或 Y 键选择"));
    answers.wrongChoice->setToolTip(QStringLiteral("按 0 或 N 键选择"));
}

void QuestionPane::chooseByKey(int letter)
{
    QAbstractButton *button = nullptr;
    if (m_type == QuestionType::SingleChoice)
        button = m_view.answers.singleChoices[size_t(letter)];
    else if (m_type == QuestionType::MultipleChoice)
        button = m_view.answers.multipleChoices[size_t(letter)];
    if (button && button->isEnabled())
        button->click();
}

void QuestionPane::chooseVerdict(bool right)
{
    QAbstractButton *button = right ? m_view.answers.rightChoice : m_view.answers.wrongChoice;
    if (m_type == QuestionType::TrueFalse && button->isEnabled())
        button->click();
}

QString QuestionPane::shownAnswer() const
{
    const QString answer = m_view.answers.collect(m_loadedType);
    return m_loadedType == QuestionType::FreeAnswer ? freeAnswer(answer) : answer;
}

void QuestionPane::noteAnswerChange()
{
    if (m_loading)
        return;
    const QString answer = shownAnswer();
    if (answer == m_shownAnswer)
        return;
    m_shownAnswer = answer;
    emit answerChanged(answer);
}

void QuestionPane::jumpTo(QuestionType type, const QString &number, bool findPosition)
{
    numberBox(type)->setText(number);
    m_type = type;
    m_view.answerTabs->setCurrentIndex(typeIndex(type));
    m_view.questionTabs->setCurrentIndex(TextPage);
    if (m_ordered) {
        const std::vector<qint64> &order = m_orders[at(type)];
        bool ok = false;
        const qint64 n = number.toLongLong(&ok);
        const auto found = std::find(order.begin(), order.end(), n);
        if (findPosition && ok && found != order.end())
            numberBox(type)->setText(QString::number(found - order.begin() + 1));
        else
            m_jumpByNumber = true;
    }
    load();
}

void QuestionPane::moveTo(double number)
{
    numberBox()->setText(numberToText(number));
    load();
}

void QuestionPane::goFirst()
{
    numberBox()->setText(m_bounds[at(m_type)].lower);
    load();
}

void QuestionPane::goLast()
{
    numberBox()->setText(m_bounds[at(m_type)].upper);
    load();
}

void QuestionPane::goPrevious()
{
    const bank::Bounds &bounds = m_bounds[at(m_type)];
    const double n = textToNumber(numberBox()->text());
    const double high = textToNumber(bounds.upper);
    if (numberGreater(n, textToNumber(bounds.lower)) && !numberIsZero(high))
        moveTo(n - 1);
}

void QuestionPane::goNext()
{
    const bank::Bounds &bounds = m_bounds[at(m_type)];
    const double n = textToNumber(numberBox()->text());
    const double high = textToNumber(bounds.upper);
    if (numberLess(n, high) && !numberIsZero(high))
        moveTo(n + 1);
}

} // namespace kaoshi
