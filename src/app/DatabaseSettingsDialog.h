#pragma once
// 管理 > 数据库设置…: the local file 考试修改.mdb (the default) or a database
// server (主机, 端口, 数据库, 用户, or a libpq service name), kept in 数据库.ini
// in the data folder. 测试连接 says what works or exactly what does not.
// The choice takes effect when the program starts next.
#include <QDialog>

class QLabel;
class QLineEdit;
class QRadioButton;

namespace kaoshi {

struct AppContext;
struct DatabaseChoice;
class MessageBoxes;

class DatabaseSettingsDialog : public QDialog
{
    Q_OBJECT
public:
    DatabaseSettingsDialog(AppContext &context, QWidget *parent = nullptr);
    // Before the main window exists: at start, when the server of 数据库.ini
    // cannot be used. The settings saved are used at once.
    enum class When { Running, AtStart };
    DatabaseSettingsDialog(const QString &dataDir, MessageBoxes &messages, When when, QWidget *parent = nullptr);

    DatabaseChoice choice() const;
    // 测试连接: the result is shown in 连接结果标签.
    void testConnection();
    // 确定: writes 数据库.ini; on failure says 失败 with the reason and stays open.
    void accept() override;

private:
    void showChoice(const DatabaseChoice &choice);
    void updateEnabled();

    QString m_dataDir;
    MessageBoxes &m_messages;
    When m_when;
    QRadioButton *m_file = nullptr;
    QRadioButton *m_server = nullptr;
    QLineEdit *m_host = nullptr;
    QLineEdit *m_port = nullptr;
    QLineEdit *m_database = nullptr;
    QLineEdit *m_user = nullptr;
    QLineEdit *m_service = nullptr;
    QLabel *m_result = nullptr;
};

} // namespace kaoshi
