#include "app/StartUpDialogs.h"

#include "app/DatabaseSettingsDialog.h"
#include "ui/Controls.h"

#include <QLineEdit>
#include <QPushButton>

namespace kaoshi {

ServerFailureBox::ServerFailureBox(const QString &text, QWidget *parent) : QMessageBox(parent)
{
    const QString caption = QStringLiteral("数据库不能使用");
    nameControl(this, QStringLiteral("服务器连接失败对话框"), caption);
    setWindowTitle(caption);
    setIcon(QMessageBox::Warning);
    setText(text);
    m_retry = addButton(QStringLiteral("重试"), QMessageBox::AcceptRole);
    m_settings = addButton(QStringLiteral("更改设置"), QMessageBox::ActionRole);
    QAbstractButton *local = addButton(QStringLiteral("使用本机文件"), QMessageBox::RejectRole);
    nameControl(m_retry, QStringLiteral("重试按钮"), QStringLiteral("重试"));
    nameControl(m_settings, QStringLiteral("更改设置按钮"), QStringLiteral("更改设置"));
    nameControl(local, QStringLiteral("使用本机文件按钮"), QStringLiteral("使用本机文件"));
    setDefaultButton(qobject_cast<QPushButton *>(m_retry));
    setEscapeButton(local);
}

AfterServerFailure ServerFailureBox::choice() const
{
    if (clickedButton() == m_retry)
        return AfterServerFailure::Retry;
    if (clickedButton() == m_settings)
        return AfterServerFailure::ChangeSettings;
    return AfterServerFailure::UseLocalFile;
}

PasswordDialog::PasswordDialog(const ServerSettings &server, const QString &reason, QWidget *parent)
    : QInputDialog(parent)
{
    const QString caption = QStringLiteral("服务器密码");
    nameControl(this, QStringLiteral("密码对话框"), caption);
    setWindowTitle(caption);
    QString label = QStringLiteral("服务器 %1 要求密码。密码只在这次运行中使用，不会保存。").arg(server.describe());
    if (!reason.isEmpty())
        label = reason + QStringLiteral("\n\n") + label;
    setLabelText(label);
    setTextEchoMode(QLineEdit::Password);
    setOkButtonText(QStringLiteral("确定"));
    setCancelButtonText(QStringLiteral("取消"));
    if (auto *edit = findChild<QLineEdit *>())
        nameControl(edit, QStringLiteral("密码编辑框"), QStringLiteral("密码"));
}

std::optional<QString> DialogStartUpQuestions::password(const ServerSettings &server, const QString &reason)
{
    PasswordDialog dialog(server, reason);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

AfterServerFailure DialogStartUpQuestions::afterFailure(const QString &text)
{
    ServerFailureBox box(text);
    box.exec();
    return box.choice();
}

void DialogStartUpQuestions::changeSettings()
{
    DatabaseSettingsDialog dialog(m_dataDir, m_messages, DatabaseSettingsDialog::When::AtStart);
    dialog.exec();
}

} // namespace kaoshi
