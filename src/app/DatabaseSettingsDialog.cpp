#include "app/DatabaseSettingsDialog.h"

#include "app/DatabaseChoice.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kaoshi {

namespace {

QLineEdit *addField(QFormLayout *form, const QString &caption, const QString &controlName)
{
    auto *edit = named(new QLineEdit, controlName, caption);
    auto *label = new QLabel(caption);
    label->setBuddy(edit);
    form->addRow(label, edit);
    return edit;
}

} // namespace

DatabaseSettingsDialog::DatabaseSettingsDialog(AppContext &context, QWidget *parent)
    : DatabaseSettingsDialog(context.dataDir, context.messages(), When::Running, parent)
{
}

DatabaseSettingsDialog::DatabaseSettingsDialog(const QString &dataDir, MessageBoxes &messages, When when,
                                               QWidget *parent)
    : QDialog(parent), m_dataDir(dataDir), m_messages(messages), m_when(when)
{
    nameControl(this, QStringLiteral("数据库设置"), QStringLiteral("数据库设置"));
    setWindowTitle(QStringLiteral("数据库设置"));
    auto *layout = new QVBoxLayout(this);
    m_file = named(new QRadioButton(QStringLiteral("本机文件（程序目录中的考试修改.mdb）")), QStringLiteral("本机文件按钮"));
    m_server = named(new QRadioButton(QStringLiteral("服务器")), QStringLiteral("服务器按钮"));
    layout->addWidget(m_file);
    layout->addWidget(m_server);
    auto *form = new QFormLayout;
    m_host = addField(form, QStringLiteral("主机"), QStringLiteral("主机编辑框"));
    m_port = addField(form, QStringLiteral("端口"), QStringLiteral("端口编辑框"));
    m_port->setValidator(new QIntValidator(0, 65535, m_port));
    m_port->setPlaceholderText(QStringLiteral("5432"));
    m_database = addField(form, QStringLiteral("数据库"), QStringLiteral("数据库编辑框"));
    m_user = addField(form, QStringLiteral("用户"), QStringLiteral("用户编辑框"));
    m_service = addField(form, QStringLiteral("服务名"), QStringLiteral("服务编辑框"));
    layout->addLayout(form);
    auto *note = named(new QLabel(QStringLiteral("密码不保存在数据库.ini中：请用 PostgreSQL 的密码文件（~/.pgpass）或服务文件。")),
                       QStringLiteral("密码说明标签"));
    note->setWordWrap(true);
    layout->addWidget(note);
    auto *test = named(new QPushButton(QStringLiteral("测试连接")), QStringLiteral("测试连接按钮"));
    layout->addWidget(test, 0, Qt::AlignLeft);
    m_result = named(new QLabel, QStringLiteral("连接结果标签"), QStringLiteral("连接结果"));
    m_result->setWordWrap(true);
    m_result->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_result->setMinimumWidth(480);
    // Room for the server's reason, which takes a few lines.
    m_result->setMinimumHeight(m_result->fontMetrics().lineSpacing() * 5);
    m_result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    layout->addWidget(m_result);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    nameControl(buttons->button(QDialogButtonBox::Ok), QStringLiteral("确定按钮"), QStringLiteral("确定"));
    nameControl(buttons->button(QDialogButtonBox::Cancel), QStringLiteral("取消按钮"), QStringLiteral("取消"));
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("取消"));
    layout->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &DatabaseSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(test, &QPushButton::clicked, this, &DatabaseSettingsDialog::testConnection);
    connect(m_server, &QRadioButton::toggled, this, &DatabaseSettingsDialog::updateEnabled);
    showChoice(readDatabaseChoice(m_dataDir));
}

void DatabaseSettingsDialog::showChoice(const DatabaseChoice &choice)
{
    (choice.kind == DatabaseChoice::Kind::Server ? m_server : m_file)->setChecked(true);
    m_host->setText(choice.server.host);
    m_port->setText(choice.server.port > 0 ? QString::number(choice.server.port) : QString());
    m_database->setText(choice.server.database);
    m_user->setText(choice.server.user);
    m_service->setText(choice.server.service);
    updateEnabled();
}

void DatabaseSettingsDialog::updateEnabled()
{
    for (QLineEdit *edit : {m_host, m_port, m_database, m_user, m_service})
        edit->setEnabled(m_server->isChecked());
}

DatabaseChoice DatabaseSettingsDialog::choice() const
{
    DatabaseChoice choice;
    choice.kind = m_server->isChecked() ? DatabaseChoice::Kind::Server : DatabaseChoice::Kind::File;
    choice.server.host = m_host->text().trimmed();
    choice.server.port = m_port->text().toInt();
    choice.server.database = m_database->text().trimmed();
    choice.server.user = m_user->text().trimmed();
    choice.server.service = m_service->text().trimmed();
    return choice;
}

void DatabaseSettingsDialog::testConnection()
{
    const DatabaseChoice chosen = choice();
    const QString text = chosen.kind == DatabaseChoice::Kind::File
                             ? QStringLiteral("本机文件不需要测试连接。")
                             : kaoshi::testConnection(chosen.server).text;
    m_result->setText(text);
    m_result->setAccessibleName(text);
}

void DatabaseSettingsDialog::accept()
{
    QString error;
    if (!writeDatabaseChoice(m_dataDir, choice(), &error)) {
        m_messages.notify({QStringLiteral("数据库设置没有保存：") + error, QStringLiteral("失败"), Message::Icon::Warning});
        return;
    }
    if (m_when == When::Running)
        m_messages.notice(QStringLiteral("数据库设置已保存，重新启动考试系统后使用。"));
    QDialog::accept();
}

} // namespace kaoshi
