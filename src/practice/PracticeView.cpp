#include "practice/PracticeView.h"

#include "practice/PictureBox.h"
#include "ui/Controls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>

namespace kaoshi {

namespace {

const QString kFrameCaption = QStringLiteral("第          题");

// The number box sits on the frame's top edge between "第" and "题" of the
// caption. Where the caption's spaces are narrower than the box in the
// font in use, the caption gets more spaces so that "题" stays visible.
void placeNumberBox(QGroupBox *frame, QLineEdit *box)
{
    // Some styles draw the caption in bold: measure with the wider font.
    QFont bold = frame->font();
    bold.setBold(true);
    const QFontMetrics normal(frame->font());
    const QFontMetrics wide(bold);
    const auto advance = [&](const QString &text) {
        return qMax(normal.horizontalAdvance(text), wide.horizontalAdvance(text));
    };
    const int width = 41;
    const int margin = 3;
    QString gap(10, QLatin1Char(' '));
    while (qMin(normal.horizontalAdvance(gap), wide.horizontalAdvance(gap)) < width + 2 * margin)
        gap += QLatin1Char(' ');
    frame->setTitle(QStringLiteral("第") + gap + QStringLiteral("题"));

    QStyleOptionGroupBox option;
    option.initFrom(frame);
    option.text = frame->title();
    option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
    const QRect label = frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
    const int left = label.left() + advance(QStringLiteral("第")) + margin;
    box->setGeometry(left, 0, width, qMax(16, qMin(box->sizeHint().height(), label.bottom() + 4)));
}

// Small controls keep their design width but grow to the height their
// font needs, so captions and digits are never cut.
void placeFitted(QWidget *control, int left, int top, int width, int height)
{
    control->setGeometry(left, top, width, qMax(height, control->sizeHint().height()));
}

} // namespace

PracticeView::PracticeView(QWidget *window, const QStringList &toolbarCaptions)
{
    toolbar = named(new QToolBar(window), QStringLiteral("工具条1"));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const QString &caption : toolbarCaptions) {
        QAction *action = toolbar->addAction(caption);
        action->setObjectName(caption + QStringLiteral("按钮"));
        action->setToolTip(caption == QStringLiteral("错题") ? QStringLiteral("错题导出") : caption);
    }
    toolbar->setGeometry(8, 8, 416, 32);

    buildAnswerArea(window);
    buildQuestionArea(window);
}

QTextEdit *PracticeView::textField(QWidget *parent, const QString &name, bool readOnly)
{
    auto *edit = named(new QTextEdit(parent), name);
    edit->setAcceptRichText(false);
    edit->setReadOnly(readOnly);
    return edit;
}

QWidget *PracticeView::addQuestionPage(const QString &caption) { return addPage(questionTabs, caption); }

QWidget *PracticeView::addPage(QTabWidget *tabs, const QString &caption)
{
    auto *page = new QWidget(tabs);
    nameControl(page, caption + QStringLiteral("页"), caption);
    page->setAutoFillBackground(true);
    tabs->addTab(page, caption);
    return page;
}

void PracticeView::placeOnPage(QWidget *control, int left, int top, int width, int height)
{
    control->setGeometry(left, top - m_pageTop, width, height);
}

void PracticeView::buildAnswerArea(QWidget *window)
{
    answerTabs = named(new QTabWidget(window), QStringLiteral("答题区高级选择夹"));
    answerTabs->setGeometry(10, 67, 688, 133);
    QList<QWidget *> pages;
    for (QuestionType type : allQuestionTypes())
        pages << addPage(answerTabs, typeCaption(type));
    m_pageTop = answerTabs->tabBar()->sizeHint().height();

    for (QuestionType type : allQuestionTypes()) {
        const int p = typeIndex(type);
        QWidget *page = pages[p];
        QGroupBox *frame = named(new QGroupBox(kFrameCaption, page), typeCaption(type) + QStringLiteral("分组框"));
        placeOnPage(frame, 8, 29, 670, 96);
        frames[size_t(p)] = frame;

        auto *box = named(new QLineEdit(frame), typeCaption(type) + QStringLiteral("题号编辑框"));
        // A 题号 or a position: digits only, few enough to stay an exact
        // whole number in every calculation.
        box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,9}")), box));
        box->setAlignment(Qt::AlignCenter);
        placeNumberBox(frame, box);
        numberBoxes[size_t(p)] = box;
    }

    for (int i = 0; i < kChoiceCount; ++i) {
        const QString letter = choiceCaption(i);
        answers.singleChoices[size_t(i)] =
            named(new QRadioButton(letter, frames[size_t(typeIndex(QuestionType::SingleChoice))]), letter + QStringLiteral("单选框"), letter);
        placeFitted(answers.singleChoices[size_t(i)], 16 + 50 * i, 48, 30, 16);
        answers.multipleChoices[size_t(i)] =
            named(new QCheckBox(letter, frames[size_t(typeIndex(QuestionType::MultipleChoice))]), letter + QStringLiteral("选择框"), letter);
        placeFitted(answers.multipleChoices[size_t(i)], 16 + 50 * i, 48, 30, 16);
    }
    answers.rightChoice = named(new QRadioButton(kRightMark, frames[size_t(typeIndex(QuestionType::TrueFalse))]), QStringLiteral("对单选框"), kRightMark);
    placeFitted(answers.rightChoice, 16, 48, 30, 16);
    answers.wrongChoice = named(new QRadioButton(kWrongMark, frames[size_t(typeIndex(QuestionType::TrueFalse))]), QStringLiteral("错单选框"), kWrongMark);
    placeFitted(answers.wrongChoice, 66, 48, 30, 16);

    answers.freeAnswer = textField(frames[size_t(typeIndex(QuestionType::FreeAnswer))], QStringLiteral("问答超级编辑框"), false);
    answers.freeAnswer->setGeometry(8, 21, 650, 67);
}

void PracticeView::buildQuestionArea(QWidget *window)
{
    questionTabs = named(new QTabWidget(window), QStringLiteral("题目区高级选择夹"));
    questionTabs->setGeometry(10, 205, 688, 147);

    QWidget *textPage = addPage(questionTabs, QStringLiteral("文字"));
    questionText = textField(textPage, QStringLiteral("题目超级编辑框"), true);
    placeOnPage(questionText, 8, 32, 670, 107);

    QWidget *picturePage = addPage(questionTabs, QStringLiteral("图片"));
    const QStringList pictureCaptions{QStringLiteral("首图"), QStringLiteral("上图"), QStringLiteral("下图"),
                                      QStringLiteral("尾图")};
    std::array<QPushButton **, 4> buttons{&firstPicture, &previousPicture, &nextPicture, &lastPicture};
    for (int i = 0; i < 4; ++i) {
        *buttons[size_t(i)] = named(new QPushButton(pictureCaptions[i], picturePage),
                                    pictureCaptions[i] + QStringLiteral("按钮"), pictureCaptions[i]);
        placeOnPage(*buttons[size_t(i)], 8 + 59 * i, 32, 50, 20);
    }
    summary = named(new QLabel(picturePage), QStringLiteral("摘要透明标签"));
    summary->setAttribute(Qt::WA_TranslucentBackground);
    summary->setTextFormat(Qt::PlainText); // a caption from the bank is never markup
    QFont summaryFont(QStringLiteral("黑体"));
    summaryFont.setBold(true);
    summary->setFont(summaryFont);
    placeOnPage(summary, 258, 32, 344, 20);
    picture = named(new PictureBox(picturePage), QStringLiteral("图片框1"));
    placeOnPage(picture, 8, 61, 680, 70);
}

void PracticeView::adaptToSize(QSize size)
{
    const int w = size.width();
    const int h = size.height();
    const auto setWidth = [](QWidget *control, int width) { control->resize(qMax(width, 0), control->height()); };
    const auto setSize = [](QWidget *control, int width, int height) {
        control->resize(qMax(width, 0), qMax(height, 0));
    };
    for (QGroupBox *frame : frames)
        setWidth(frame, w - 40);
    setWidth(answerTabs, w - 20);
    setWidth(answers.freeAnswer, w - 60);
    setSize(questionTabs, w - 20, h - 220);
    setSize(questionText, w - 40, h - 260);
    setSize(picture, w - 40, h - 290);
}

void PracticeView::applyCharFormat(QTextEdit *edit, const CharFormat &format)
{
    QFont font(format.face);
    font.setPointSize(qMax(format.size, 1));
    font.setBold(format.effects & CharFormat::Bold);
    font.setItalic(format.effects & CharFormat::Italic);
    font.setUnderline(format.effects & CharFormat::Underline);
    font.setStrikeOut(format.effects & CharFormat::StrikeOut);
    edit->setFont(font);
    QPalette palette = edit->parentWidget()->palette();
    if (!format.automaticColour)
        palette.setColor(QPalette::Text, QColor::fromRgb(QRgb(format.colour)));
    edit->setPalette(palette);
}

void PracticeView::applyCharFormat(const CharFormat &format)
{
    applyCharFormat(questionText, format);
    applyCharFormat(answers.freeAnswer, format);
}

} // namespace kaoshi
