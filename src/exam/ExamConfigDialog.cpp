#include "exam/ExamConfigDialog.h"

#include "data/ConfigTable.h"
#include "data/DataStore.h"
#include "data/Transaction.h"
#include "exam/ConfigText.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"
#include "ui/DialogPlacement.h"
#include "ui/Shell.h"

#include <QCheckBox>
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace kaoshi {

namespace {
constexpr QSize kDialogSize(315, 299);
constexpr int kLabelLeft = 24;
constexpr int kBoxLeft = 100;
constexpr QSize kBoxSize(180, 24);
constexpr int kFirstRow = 20;
constexpr int kRowStep = 35;
// The two shuffles share the row below the boxes.
constexpr int kShuffleTop = kFirstRow + ExamSettings::kFields * kRowStep;
const QRect kShuffleQuestionsBox(kLabelLeft, kShuffleTop, 120, 24);
const QRect kShuffleOptionsBox(kBoxLeft + 60, kShuffleTop, 120, 24);
const QRect kOkButton(127, 232, 54, 32);

// The counts and the shuffles are kept together or not at all; the unit is
// over before anything is said.
bool storeConfigAndShuffle(DataStore &store, const ExamSettings &settings, const PaperShuffle &shuffle)
{
    Transaction unit(store);
    return unit.isOpen() && storeExamSettings(store, settings) && storePaperShuffle(store, shuffle) && unit.commit();
}

QCheckBox *shuffleBox(const QString &caption, const QRect &place, QWidget *dialog)
{
    auto *box = named(new QCheckBox(caption, dialog), caption + QStringLiteral("选择框"), caption);
    box->setGeometry(place);
    return box;
}
} // namespace

ExamConfigDialog::ExamConfigDialog(AppContext &context, QWidget *owner)
    : QDialog(owner), m_context(context)
{
    setAttribute(Qt::WA_DeleteOnClose);
    nameControl(this, QStringLiteral("配置"));
    setWindowTitle(QStringLiteral("配置"));
    setFixedSize(kDialogSize);

    const QStringList &captions = examSettingsCaptions();
    for (int i = 0; i < ExamSettings::kFields; ++i) {
        const QString &caption = captions[i];
        const int top = kFirstRow + i * kRowStep;
        auto *label = named(new QLabel(caption, this), caption + QStringLiteral("标签"), caption);
        label->setGeometry(kLabelLeft, top, kBoxLeft - kLabelLeft - 4, kBoxSize.height());
        QLineEdit *box = named(new QLineEdit(this), caption + QStringLiteral("编辑框"), caption);
        box->setGeometry(QRect(QPoint(kBoxLeft, top), kBoxSize));
        box->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9-]*")), box));
        box->installEventFilter(this);
        label->setBuddy(box);
        m_boxes[size_t(i)] = box;
    }
    m_shuffleQuestions = shuffleBox(QStringLiteral("打乱题序"), kShuffleQuestionsBox, this);
    m_shuffleOptions = shuffleBox(QStringLiteral("打乱选项"), kShuffleOptionsBox, this);
    showShuffle(PaperShuffle());
    m_ok = named(new QPushButton(QStringLiteral("确定"), this), QStringLiteral("确定按钮"), QStringLiteral("确定"));
    m_ok->setGeometry(kOkButton);
    m_ok->setAutoDefault(false);
    connect(m_ok, &QPushButton::clicked, this, &ExamConfigDialog::storeConfig);
}

void ExamConfigDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
    if (!m_started) {
        m_started = true;
        start();
    }
}

void ExamConfigDialog::start()
{
    // Created after the previous task window has closed: connect afresh,
    // become the current task window and show the stored row.
    m_context.reopenStore();
    if (Shell *shell = m_context.shell)
        shell->registerTaskWindow(this);
    if (const std::optional<ExamSettings> settings = readExamSettings(m_context.store)) {
        // Set directly, so a stored 0 shows as "0" until its box is left.
        const auto fields = settings->fields();
        for (int i = 0; i < ExamSettings::kFields; ++i)
            m_boxes[size_t(i)]->setText(QString::number(fields[size_t(i)]));
    }
    if (const std::optional<PaperShuffle> shuffle = readPaperShuffle(m_context.store))
        showShuffle(*shuffle);
}

bool ExamConfigDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        if (auto *box = qobject_cast<QLineEdit *>(watched))
            box->setText(configBoxText(configValueOfText(box->text())));
    }
    return QDialog::eventFilter(watched, event);
}

void ExamConfigDialog::storeConfig()
{
    // An empty box, and one whose text is no integer, stores 0.
    std::array<qint64, ExamSettings::kFields> fields{};
    for (int i = 0; i < ExamSettings::kFields; ++i)
        fields[size_t(i)] = configValueOfText(m_boxes[size_t(i)]->text());
    m_context.reopenStore();
    const PaperShuffle shuffle{m_shuffleQuestions->isChecked(), m_shuffleOptions->isChecked()};
    DataStore &store = m_context.store;
    if (!storeConfigAndShuffle(store, ExamSettings::fromFields(fields), shuffle)) {
        m_context.messages().failure(QStringLiteral("配置未能保存"), store.lastError().message);
        return;
    }
    close();
}

void ExamConfigDialog::showShuffle(const PaperShuffle &shuffle)
{
    m_shuffleQuestions->setChecked(shuffle.questions);
    m_shuffleOptions->setChecked(shuffle.options);
}

} // namespace kaoshi
