#pragma once
// 管理 > 复制到服务器 and 复制到文件: the local file's banks, pictures, 配置
// and 评分 into the server of 数据库.ini, or the server's data into a new
// file as a backup. Each runs as one unit under a progress dialog whose
// 停止 keeps nothing; the counts of both sides are shown afterwards, and a
// copy that did not happen says 失败 with the reason and leaves the target
// as it was.
#include "data/DatabaseCopy.h"
#include "data/ServerSettings.h"

#include <QProgressDialog>
#include <optional>

namespace kaoshi {

struct AppContext;

// The progress of one copy; 停止 asks the copy to stop.
class CopyProgressDialog : public QProgressDialog
{
    Q_OBJECT
public:
    CopyProgressDialog(const QString &caption, QWidget *parent);
    void show(qint64 done, qint64 total);

private:
    QString m_caption;
};

class DatabaseCopyTask
{
public:
    DatabaseCopyTask(AppContext &context, QWidget *parent) : m_context(context), m_parent(parent) {}
    void copyToServer();
    void copyToFile();

private:
    // The server 数据库.ini names, with the password of this run.
    std::optional<ServerSettings> configuredServer(const QString &what);
    CopyResult copyWithProgress(const CopySide &from, const CopySide &to, bool replace, const QString &caption);
    void report(const CopyResult &result, const QString &what, const QString &done, const QString &unchanged);

    AppContext &m_context;
    QWidget *m_parent;
};

} // namespace kaoshi
