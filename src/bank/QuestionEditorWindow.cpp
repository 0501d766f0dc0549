#include "bank/QuestionEditorWindow.h"

#include "ui/DialogPlacement.h"
#include "bank/EditedQuestion.h"
#include "bank/PictureFiles.h"
#include "bank/QuestionPictures.h"
#include "data/Schema.h"
#include "data/QuestionType.h"
#include "data/TextRules.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"
#include "ui/ListGrid.h"

#include <QAction>
#include <QCheckBox>
#include <limits>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QStyleOptionGroupBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTextEdit>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace kaoshi {

namespace {

const QString kSave = QStringLiteral("保存");

// A NUL cannot be shown in a text field; it shows as the visible sign ␀.
QString shownText(QString text) { return text.replace(QChar(0), QChar(0x2400)); }

// The stored text when the field still shows it unchanged, else the typed value.
QString keptOrTyped(const QString &shown, const QString &stored, const QString &typed)
{
    return !stored.isEmpty() && shown == shownText(stored) ? stored : typed;
}
const QString kDelete = QStringLiteral("删除");

// Picture grid columns.
constexpr int kSummaryColumn = 1;
constexpr int kPictureColumn = 2;
constexpr int kSourceColumn = 3;
constexpr int kLocationColumn = 4;
constexpr int kPictureRowHeight = 52;

// The group box "第          题" shows the question number in the gap of its title.
class NumberGroupBox final : public QGroupBox
{
public:
    NumberGroupBox(QLineEdit *number, QWidget *parent)
        : QGroupBox(QStringLiteral("第          题"), parent), m_number(number)
    {
        m_number->setParent(this);
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QGroupBox::resizeEvent(event);
        QStyleOptionGroupBox option;
        initStyleOption(&option);
        const QRect label = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
        const QFontMetrics metrics(font());
        const int left = label.left() + metrics.horizontalAdvance(QStringLiteral("第 "));
        const int right = label.right() - metrics.horizontalAdvance(QStringLiteral(" 题"));
        m_number->setGeometry(left, label.top(), qMax(right - left, 1), label.height());
    }

private:
    QLineEdit *m_number;
};

// Cells of the picture grid: the picture cell asks for a file instead of
// opening an editor, the path cells are never typed into; 摘要 edits as text.
class PictureCellDelegate final : public QStyledItemDelegate
{
public:
    PictureCellDelegate(std::function<void(int, int)> choose, QObject *parent)
        : QStyledItemDelegate(parent), m_choose(std::move(choose))
    {
    }

    QWidget *createEditor(QWidget *, const QStyleOptionViewItem &, const QModelIndex &index) const override
    {
        m_choose(index.row() + 1, index.column());
        return nullptr;
    }

private:
    std::function<void(int, int)> m_choose;
};

QTextEdit *richEditor(const QString &controlName)
{
    auto *editor = named(new QTextEdit, controlName);
    editor->setAcceptRichText(false);
    return editor;
}

} // namespace

QuestionEditorWindow::QuestionEditorWindow(AppContext &context, QuestionType type, const QuestionTexts &row,
                                           QWidget *parent)
    : QDialog(parent), m_context(context), m_type(type)
{
    setWindowTitle(QStringLiteral("题目编辑"));
    nameControl(this, QStringLiteral("题目编辑"));
    m_context.reopenStore();

    m_toolbar = named(new QToolBar, QStringLiteral("工具条1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    for (const QString &caption : {kSave, kDelete}) {
        QAction *action = m_toolbar->addAction(caption);
        connect(action, &QAction::triggered, this, [this, action] {
            if (action->text() == kSave)
                saveQuestion();
            else if (action->text() == kDelete)
                deleteQuestion();
        });
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 8);
    layout->addWidget(m_toolbar);
    layout->addWidget(buildQuestionArea(), 3);
    layout->addWidget(buildAnswerArea(), 0);
    layout->addWidget(buildPictureArea(), 0);

    m_stamp = named(new QLineEdit(this), QStringLiteral("编辑框1"));
    m_stamp->hide();
    m_clock = new QTimer(this);
    m_clock->setObjectName(QStringLiteral("时钟1"));
    m_clock->setInterval(1000);
    connect(m_clock, &QTimer::timeout, this, &QuestionEditorWindow::onTimer);
    m_clock->start();

    showOnlyAnswerPage();
    setUpPictureGrid();
    fillFromRow(row);
    loadAnswerAndPictures();
    resize(480, 640);
}

QWidget *QuestionEditorWindow::buildQuestionArea()
{
    m_number = named(new QLineEdit, QStringLiteral("题号编辑框"));
    m_number->setReadOnly(true);
    m_number->setFrame(false);
    m_number->setAlignment(Qt::AlignCenter);
    m_number->setFocusPolicy(Qt::NoFocus);
    auto *group = named(new NumberGroupBox(m_number, this), QStringLiteral("分组框2"), QStringLiteral("第          题"));

    m_questionTabs = named(new QTabWidget, QStringLiteral("题目区高级选择夹"));
    m_text = richEditor(QStringLiteral("题目超级编辑框"));
    m_explanation = richEditor(QStringLiteral("解析超级编辑框"));
    m_chapter = richEditor(QStringLiteral("章节超级编辑框"));
    m_score = named(new QLineEdit, QStringLiteral("分值编辑框"));
    m_score->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d*\\.?\\d*")), m_score));
    auto *scorePage = new QWidget;
    auto *scoreLayout = new QVBoxLayout(scorePage);
    scoreLayout->addWidget(m_score);
    scoreLayout->addStretch();

    m_questionTabs->addTab(m_text, QStringLiteral("题目"));
    m_questionTabs->addTab(m_explanation, QStringLiteral("解析"));
    m_questionTabs->addTab(scorePage, QStringLiteral("分值"));
    m_questionTabs->addTab(m_chapter, QStringLiteral("章节"));

    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_questionTabs);
    return group;
}

QWidget *QuestionEditorWindow::buildAnswerArea()
{
    m_answerTabs = named(new QTabWidget, QStringLiteral("答题区高级选择夹"));

    // The option buttons of a page exclude each other by sharing the page.
    auto *singlePage = new QWidget;
    auto *singleLayout = new QHBoxLayout(singlePage);
    auto *multiplePage = new QWidget;
    auto *multipleLayout = new QHBoxLayout(multiplePage);
    for (int i = 0; i < kChoiceCount; ++i) {
        const QString letter = choiceCaption(i);
        auto *option = named(new QRadioButton(letter), letter + QStringLiteral("单选框"), letter);
        option->setProperty("tag", i + 1);
        m_answers.singleChoices[size_t(i)] = option;
        singleLayout->addWidget(option);
        auto *box = named(new QCheckBox(letter), letter + QStringLiteral("选择框"), letter);
        box->setProperty("tag", i + 11);
        m_answers.multipleChoices[size_t(i)] = box;
        multipleLayout->addWidget(box);
    }

    auto *judgementPage = new QWidget;
    auto *judgementLayout = new QHBoxLayout(judgementPage);
    m_answers.rightChoice = named(new QRadioButton(kRightMark), QStringLiteral("对单选框"), kRightMark);
    m_answers.wrongChoice = named(new QRadioButton(kWrongMark), QStringLiteral("错单选框"), kWrongMark);
    judgementLayout->addWidget(m_answers.rightChoice);
    judgementLayout->addWidget(m_answers.wrongChoice);
    judgementLayout->addStretch();

    m_answers.freeAnswer = richEditor(QStringLiteral("问答超级编辑框"));
    m_answers.freeAnswer->setMaximumHeight(80);

    m_answerTabs->addTab(singlePage, typeCaption(QuestionType::SingleChoice));
    m_answerTabs->addTab(multiplePage, typeCaption(QuestionType::MultipleChoice));
    m_answerTabs->addTab(judgementPage, typeCaption(QuestionType::TrueFalse));
    m_answerTabs->addTab(m_answers.freeAnswer, typeCaption(QuestionType::FreeAnswer));
    return m_answerTabs;
}

QWidget *QuestionEditorWindow::buildPictureArea()
{
    auto *group = named(new QGroupBox(QStringLiteral("图片")), QStringLiteral("分组框3"), QStringLiteral("图片"));
    m_pictures = named(new ListGrid, QStringLiteral("高级表格1"));
    auto *groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_pictures);
    return group;
}

void QuestionEditorWindow::showOnlyAnswerPage()
{
    for (QuestionType type : allQuestionTypes())
        m_answerTabs->setTabVisible(typeIndex(type), type == m_type);
    m_answerTabs->setCurrentIndex(typeIndex(m_type));
}

void QuestionEditorWindow::setUpPictureGrid()
{
    m_pictures->setColumnCount(5);
    m_pictures->setFixedColumns(1);
    const QStringList titles{QString(), QStringLiteral("摘要"), QStringLiteral("选择图片"),
                             QStringLiteral("源图片路径"), QStringLiteral("目的图片路径")};
    const int widths[] = {30, 50, 130, 80, 80};
    for (int c = 0; c < titles.size(); ++c) {
        m_pictures->setText(0, c, titles[c]);
        m_pictures->setColumnWidth(c, widths[c]);
    }
    m_pictures->setRowCount(kPictureRows + 1);
    m_pictures->verticalHeader()->setDefaultSectionSize(kPictureRowHeight);
    m_pictures->setIconSize(QSize(64, 48));
    auto *cells = new PictureCellDelegate([this](int row, int column) { choosePicture(row, column); }, m_pictures);
    for (int c : {kPictureColumn, kSourceColumn, kLocationColumn})
        m_pictures->setItemDelegateForColumn(c, cells);
    m_pictures->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::AnyKeyPressed);
    const int gridHeight = m_pictures->horizontalHeader()->sizeHint().height() + kPictureRows * kPictureRowHeight +
                           2 * m_pictures->frameWidth();
    m_pictures->setFixedHeight(gridHeight);
}

void QuestionEditorWindow::fillFromRow(const QuestionTexts &row)
{
    m_rowId = row.rowId;
    if (row.number.isEmpty()) {
        // A new question takes the next free number, when there is one.
        const std::optional<qint64> highest = bank::maxNumber(m_context.store, m_type);
        if (highest && *highest < std::numeric_limits<qint64>::max())
            m_number->setText(QString::number(*highest + 1));
        return;
    }
    m_number->setText(row.number);
    m_storedNumber = bank::numberValue(row.number).value_or(FieldValue());
    m_opened = row;
    m_text->setPlainText(shownText(row.text));
    m_rememberedAnswer = row.answer;
    m_explanation->setPlainText(shownText(row.explanation));
    m_score->setText(row.score);
    m_chapter->setPlainText(shownText(row.chapter));
    // The row as stored: its own 题号, whatever form it has.
    if (const std::optional<Question> stored = m_rowId > 0 ? bank::questionByRowId(m_context.store, m_type, m_rowId)
                                                            : std::nullopt)
        m_storedNumber = stored->number;
}

FieldValue QuestionEditorWindow::numberValue() const
{
    if (m_rowId > 0)
        return m_storedNumber;
    return bank::numberValue(m_number->text()).value_or(FieldValue());
}

qint64 QuestionEditorWindow::questionNumber() const { return numberValue().toInteger(); }

void QuestionEditorWindow::showAnswer(const QString &answer)
{
    m_answers.show(m_type, answer);
}

QString QuestionEditorWindow::composedAnswer() const
{
    // Built afresh from the controls for every save; a free answer untrimmed.
    return m_answers.collect(m_type);
}

void QuestionEditorWindow::loadAnswerAndPictures()
{
    showAnswer(shownText(m_rememberedAnswer));
    m_pictures->setRowCount(1);
    const FieldValue number = numberValue();
    const QList<PictureRecord> stored =
        number.isNull() ? QList<PictureRecord>() : pictures::load(m_context.store, m_type, number).value_or(QList<PictureRecord>());
    const std::unique_ptr<PictureFiles> files = pictureFilesFor(m_context.store, m_context.dataDir);
    for (const PictureRecord &picture : stored) {
        const int row = m_pictures->appendRow({QString(), picture.summary, QString(), QString(), picture.location});
        m_pictures->setImage(row, kPictureColumn, QImage(files->fileToShow(picture.location)));
    }
    // Four picture rows, whatever is stored.
    m_pictures->setRowCount(kPictureRows + 1);
}

void QuestionEditorWindow::onTimer() { m_stamp->setText(pictureStamp(m_context.platform.clock.now())); }

QString QuestionEditorWindow::pictureStampNow()
{
    if (m_stamp->text().isEmpty())
        onTimer();
    return m_stamp->text();
}

bool QuestionEditorWindow::isPictureLocationTaken(const QString &location, int row)
{
    if (pictureFilesFor(m_context.store, m_context.dataDir)->isTaken(location))
        return true;
    for (int other = 1; other < m_pictures->rowCount(); ++other)
        if (other != row && m_pictures->text(other, kLocationColumn) == location)
            return true;
    // A location whose use cannot be read counts as taken.
    return pictures::usesOfLocation(m_context.store, location).value_or(1) > 0;
}

bool QuestionEditorWindow::isSharedWithOtherQuestion(const QString &location)
{
    return pictures::usesOfLocation(m_context.store, location, pictures::QuestionRef{m_type, numberValue()}).value_or(1) > 0;
}

void QuestionEditorWindow::choosePicture(int row, int column)
{
    if (row < 1 || row >= m_pictures->rowCount() || column != kPictureColumn)
        return;
    const QString path = m_context.platform.files.openFileName(QStringLiteral("选择打开文件："),
                                                               QStringLiteral("*.jpg;*.bmp;*.png|*.jpg;*.bmp;*.png"));
    if (path.isEmpty())
        return;
    m_pictures->setText(row, kSourceColumn, path);
    m_pictures->setImage(row, kPictureColumn, QImage(path));

    // A stored picture of this question is replaced in its own file, unless
    // another question's record points to that file too.
    const QString stored = m_pictures->text(row, kLocationColumn);
    if (isImageLocation(stored) && !isSharedWithOtherQuestion(stored))
        return;
    const QString location = uniquePictureLocation(pictureStampNow(), pictureExtension(path),
                                                   [&](const QString &l) { return isPictureLocationTaken(l, row); });
    m_pictures->setText(row, kLocationColumn, location);
}

void QuestionEditorWindow::saveQuestion()
{
    // The waits after each picture copy keep processing input: a second
    // 保存 or a 删除 must not run inside this save.
    if (m_busy)
        return;
    const QScopedValueRollback<bool> busy(m_busy, true);
    setEnabled(false);
    const auto enable = qScopeGuard([this] { setEnabled(true); });
    if (m_text->toPlainText().isEmpty()) {
        m_context.messages().notice(QStringLiteral("题目未添"));
        return;
    }
    QuestionValues values = trimmedValues({m_number->text(), m_text->toPlainText(), QString(),
                                           m_explanation->toPlainText(), m_score->text(),
                                           m_chapter->toPlainText()});
    // A field left as it was opened is stored as it was read, whole.
    values.text = keptOrTyped(m_text->toPlainText(), m_opened.text, values.text);
    values.explanation = keptOrTyped(m_explanation->toPlainText(), m_opened.explanation, values.explanation);
    values.chapter = keptOrTyped(m_chapter->toPlainText(), m_opened.chapter, values.chapter);
    values.answer = keptOrTyped(composedAnswer(), m_rememberedAnswer, composedAnswer());
    QList<PictureRow> pictures;
    for (int row = 1; row <= kPictureRows && row < m_pictures->rowCount(); ++row)
        pictures.append({m_pictures->text(row, kSummaryColumn), m_pictures->text(row, kSourceColumn),
                         m_pictures->text(row, kLocationColumn)});
    const FieldValue number = numberValue();
    if (!saveEditedQuestion(m_context.store, m_context.dataDir, m_type, m_rowId, number, values, pictures,
                            [this] { m_context.platform.waits.wait(2000); })) {
        // Nothing was changed; the editor stays open with what was typed.
        m_context.messages().failure(QStringLiteral("更新") + typeCaption(m_type) + QStringLiteral("失败"),
                                     m_context.store.errorString());
        return;
    }
    m_outcome = Outcome::Saved;
    m_saved = {number.toText(), values.text, values.answer, values.explanation, numberToText(values.score),
               values.chapter, m_rowId};
    m_context.messages().notice(QStringLiteral("更新") + typeCaption(m_type) + QStringLiteral("成功"));
    accept();
}

void QuestionEditorWindow::deleteQuestion()
{
    if (m_busy)
        return;
    if (m_rowId <= 0 || !kaoshi::deleteQuestion(m_context.store, m_type, m_rowId)) {
        m_context.messages().failure(QStringLiteral("删除") + typeCaption(m_type) + QStringLiteral("失败"),
                                     m_rowId <= 0 ? QStringLiteral("这道题还没有保存") : m_context.store.errorString());
        return;
    }
    m_outcome = Outcome::Deleted;
    m_context.messages().notice(QStringLiteral("删除") + typeCaption(m_type) + QStringLiteral("成功"));
    accept();
}

void QuestionEditorWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
}

} // namespace kaoshi
