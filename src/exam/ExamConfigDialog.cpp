#include "exam/ExamConfigDialog.h"

#include "data/ConfigTable.h"
#include "exam/ConfigText.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"
#include "ui/DialogPlacement.h"
#include "ui/Shell.h"

#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>

namespace kaoshi {

namespace {
constexpr QSize kDialogSize(315, 264);
constexpr int kLabelLeft = 24;
constexpr int kBoxLeft = 100;
constexpr QSize kBoxSize(180, 24);
constexpr int kFirstRow = 20;
constexpr int kRowStep = 35;
const QRect kOkButton(127, 197, 54, 32);
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
    if (!storeExamSettings(m_context.store, ExamSettings::fromFields(fields))) {
        m_context.messages().failure(QStringLiteral("配置未能保存"), m_context.store.lastError().message);
        return;
    }
    close();
}

} // namespace kaoshi
