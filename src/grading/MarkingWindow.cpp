#include "grading/MarkingWindow.h"

#include "data/AnswerTable.h"
#include "data/TextRules.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>
#include <cmath>

namespace kaoshi {

namespace {

const QString kMarked = QStringLiteral("已阅");
const QString kUnmarked = QStringLiteral("未阅");

QTextEdit *readOnlyText(const QString &controlName, const QString &caption, QWidget *parent)
{
    auto *text = named(new QTextEdit(parent), controlName, caption);
    text->setReadOnly(true);
    text->setAcceptRichText(false);
    return text;
}

QPushButton *button(const QString &controlName, const QString &caption, QWidget *parent)
{
    return named(new QPushButton(caption, parent), controlName, caption);
}

bool isWholeHalf(double value) { return std::abs(value * 2 - std::round(value * 2)) < kNumberTolerance; }

} // namespace

MarkingWindow::MarkingWindow(AppContext &context, QWidget *host) : TaskWindow(context, host)
{
    nameControl(this, QStringLiteral("MarkingWindow"), QStringLiteral("阅卷"));
    buildControls();
}

void MarkingWindow::buildControls()
{
    m_occasion = named(new QComboBox(this), QStringLiteral("场次选择框"), QStringLiteral("场次"));
    m_occasion->setMinimumContentsLength(8);
    m_filter = named(new QComboBox(this), QStringLiteral("阅卷筛选框"), QStringLiteral("筛选"));
    m_filter->addItems({QStringLiteral("全部"), kUnmarked, kMarked});
    m_place = named(new QLabel(this), QStringLiteral("位置标签"));
    auto *top = new QHBoxLayout;
    for (auto [widget, name, caption] : {std::tuple<QWidget *, QString, QString>{m_occasion, "场次标签", "场次"},
                                        {m_filter, "筛选标签", "筛选"}}) {
        auto *label = named(new QLabel(caption, this), name, caption);
        label->setBuddy(widget);
        top->addWidget(label);
        top->addWidget(widget);
        top->addSpacing(12);
    }
    top->addWidget(m_place);
    top->addStretch();

    m_candidate = named(new QLabel(this), QStringLiteral("考生标签"));
    m_question = readOnlyText(QStringLiteral("题目框"), QStringLiteral("题目"), this);
    m_reference = readOnlyText(QStringLiteral("标准答案框"), QStringLiteral("标准答案"), this);
    m_answer = readOnlyText(QStringLiteral("考生答案框"), QStringLiteral("考生答案"), this);
    auto *texts = new QFormLayout;
    for (auto [widget, name, caption] : {std::tuple<QWidget *, QString, QString>{m_candidate, "考生名标签", "考生"},
                                        {m_question, "题目标签", "题目"},
                                        {m_reference, "标准答案标签", "标准答案"},
                                        {m_answer, "考生答案标签", "考生答案"}}) {
        auto *label = named(new QLabel(caption, this), name, caption);
        label->setBuddy(widget);
        texts->addRow(label, widget);
    }

    m_score = named(new QDoubleSpinBox(this), QStringLiteral("得分框"), QStringLiteral("得分"));
    m_score->setDecimals(1);
    m_score->setSingleStep(0.5);
    m_score->setToolTip(QStringLiteral("0 至满分，可给半分；回车给分"));
    m_fullMark = named(new QLabel(this), QStringLiteral("满分标签"));
    m_state = named(new QLabel(this), QStringLiteral("阅卷状态标签"));
    m_previous = button(QStringLiteral("上一份按钮"), QStringLiteral("上一份"), this);
    m_store = button(QStringLiteral("给分按钮"), QStringLiteral("给分"), this);
    m_next = button(QStringLiteral("下一份按钮"), QStringLiteral("下一份"), this);
    auto *scoreLabel = named(new QLabel(QStringLiteral("得分"), this), QStringLiteral("得分标签"), QStringLiteral("得分"));
    scoreLabel->setBuddy(m_score);
    auto *actions = new QHBoxLayout;
    actions->addWidget(scoreLabel);
    actions->addWidget(m_score);
    actions->addWidget(m_fullMark);
    actions->addSpacing(12);
    actions->addWidget(m_store);
    actions->addWidget(m_state);
    actions->addStretch();
    actions->addWidget(m_previous);
    actions->addWidget(m_next);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->addLayout(top);
    layout->addLayout(texts, 1);
    layout->addLayout(actions);

    connect(m_occasion, &QComboBox::activated, this, &MarkingWindow::loadAnswers);
    connect(m_filter, &QComboBox::activated, this, &MarkingWindow::loadAnswers);
    connect(m_previous, &QPushButton::clicked, this, &MarkingWindow::showPrevious);
    connect(m_next, &QPushButton::clicked, this, &MarkingWindow::showNext);
    connect(m_store, &QPushButton::clicked, this, &MarkingWindow::storeScore);
    connect(m_score, &QDoubleSpinBox::editingFinished, this, [this] {
        if (m_score->hasFocus())
            storeScore();
    });
}

bool MarkingWindow::startTask()
{
    fillOccasions();
    loadAnswers();
    return true;
}

void MarkingWindow::fillOccasions()
{
    m_occasion->clear();
    m_occasion->addItems(allAnswerOccasions(m_context.store));
}

MarkingWindow::Filter MarkingWindow::filter() const { return Filter(m_filter->currentIndex()); }

void MarkingWindow::loadAnswers()
{
    m_answers.clear();
    if (auto answers = freeAnswers(m_context.store, m_occasion->currentText())) {
        for (FreeAnswer &a : *answers) {
            const bool marked = a.score.has_value();
            if (filter() == Filter::All || (filter() == Filter::Marked) == marked)
                m_answers.push_back(std::move(a));
        }
    } else {
        m_context.messages().failure(QStringLiteral("问答答案未能读出"), m_context.store.lastError().message);
    }
    m_position = m_answers.empty() ? -1 : 0;
    showAnswer();
}

void MarkingWindow::showAnswer()
{
    const bool any = m_position >= 0;
    for (QWidget *w : std::initializer_list<QWidget *>{m_score, m_store})
        w->setEnabled(any);
    m_previous->setEnabled(any && m_position > 0);
    m_next->setEnabled(any && m_position + 1 < answerCount());
    if (!any) {
        m_place->setText(m_occasion->count() ? QStringLiteral("没有要阅的问答答案") : QStringLiteral("还没有考生答案"));
        for (QTextEdit *t : {m_question, m_reference, m_answer})
            t->clear();
        m_candidate->clear();
        m_fullMark->clear();
        m_state->clear();
        return;
    }
    const FreeAnswer &a = m_answers[size_t(m_position)];
    m_place->setText(QStringLiteral("第 %1 / %2 份").arg(m_position + 1).arg(answerCount()));
    m_candidate->setText(QStringLiteral("%1  %2  第%3题").arg(a.number, a.name).arg(a.questionNumber));
    m_question->setPlainText(a.question);
    m_reference->setPlainText(a.standardAnswer);
    m_answer->setPlainText(a.answer);
    m_score->setRange(0, std::max(0.0, a.fullMark));
    m_score->setValue(a.score.value_or(0));
    m_fullMark->setText(QStringLiteral("满分 %1").arg(numberToText(a.fullMark)));
    m_state->setText(a.score ? kMarked : kUnmarked);
    for (QLabel *label : {m_place, m_candidate, m_fullMark, m_state})
        label->setAccessibleName(label->text());
}

void MarkingWindow::showPrevious()
{
    if (m_position > 0) {
        --m_position;
        showAnswer();
    }
}

void MarkingWindow::showNext()
{
    if (m_position >= 0 && m_position + 1 < answerCount()) {
        ++m_position;
        showAnswer();
    }
}

bool MarkingWindow::storeScore()
{
    if (m_position < 0)
        return false;
    FreeAnswer &a = m_answers[size_t(m_position)];
    const double score = m_score->value();
    if (!isWholeHalf(score)) {
        m_context.messages().notice(QStringLiteral("得分只能是0.5的整数倍"));
        return false;
    }
    if (!storeHandScore(m_context.store, a, score, m_context.platform.clock.now())) {
        m_context.messages().failure(QStringLiteral("得分未能保存"), m_context.store.lastError().message);
        return false;
    }
    a.score = score;
    m_state->setText(kMarked);
    m_state->setAccessibleName(kMarked);
    if (m_position + 1 < answerCount())
        showNext();
    return true;
}

} // namespace kaoshi
