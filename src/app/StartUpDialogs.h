#pragma once
// The windows of the start: the choice after a server that cannot be used
// (重试 / 更改设置 / 使用本机文件) and the password prompt, and the start's
// questions answered through them.
#include "app/StartUp.h"

#include <QInputDialog>
#include <QMessageBox>

namespace kaoshi {

class MessageBoxes;

// "数据库不能使用": the host and the reason, and the three ways on. Esc uses
// the local file, which changes nothing on the server.
class ServerFailureBox : public QMessageBox
{
    Q_OBJECT
public:
    explicit ServerFailureBox(const QString &text, QWidget *parent = nullptr);
    AfterServerFailure choice() const;

private:
    QAbstractButton *m_retry = nullptr;
    QAbstractButton *m_settings = nullptr;
};

// The password for the server, typed with echo off.
class PasswordDialog : public QInputDialog
{
    Q_OBJECT
public:
    PasswordDialog(const ServerSettings &server, const QString &reason, QWidget *parent = nullptr);
};

class DialogStartUpQuestions final : public StartUpQuestions
{
public:
    DialogStartUpQuestions(QString dataDir, MessageBoxes &messages) : m_dataDir(std::move(dataDir)), m_messages(messages)
    {
    }
    std::optional<QString> password(const ServerSettings &server, const QString &reason) override;
    AfterServerFailure afterFailure(const QString &text) override;
    void changeSettings() override;

private:
    QString m_dataDir;
    MessageBoxes &m_messages;
};

} // namespace kaoshi
