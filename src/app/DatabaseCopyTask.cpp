#include "app/DatabaseCopyTask.h"

#include "app/DatabaseChoice.h"
#include "data/PostgresEngine.h"
#include "data/Schema.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <QSet>

namespace kaoshi {

namespace {

constexpr int kSteps = 1000;

// Every file under folder, for removing what a copy that failed wrote there.
QSet<QString> filesUnder(const QString &folder)
{
    QSet<QString> files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files.insert(it.next());
    return files;
}

void removeDatabaseFile(const QString &path)
{
    for (const QString &suffix : {QString(), QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")})
        QFile::remove(path + suffix);
}

} // namespace

CopyProgressDialog::CopyProgressDialog(const QString &caption, QWidget *parent)
    : QProgressDialog(caption, QStringLiteral("停止"), 0, kSteps, parent), m_caption(caption)
{
    nameControl(this, QStringLiteral("复制进度对话框"), caption);
    setWindowTitle(caption);
    setWindowModality(Qt::WindowModal);
    setMinimumDuration(0);
    setAutoReset(false);
    setAutoClose(false);
    setMinimumWidth(420);
    if (auto *stop = findChild<QPushButton *>())
        nameControl(stop, QStringLiteral("停止按钮"), QStringLiteral("停止"));
    setValue(0);
}

void CopyProgressDialog::show(qint64 done, qint64 total)
{
    const QString text = QStringLiteral("%1：%2 / %3").arg(m_caption).arg(done).arg(total);
    setLabelText(text);
    setAccessibleDescription(text);
    setValue(total > 0 ? int(qMin<qint64>(kSteps, done * kSteps / total)) : 0);
}

std::optional<ServerSettings> DatabaseCopyTask::configuredServer(const QString &what)
{
    const DatabaseChoice choice = readDatabaseChoice(m_context.dataDir);
    if (choice.server.host.isEmpty() && choice.server.service.isEmpty()) {
        m_context.messages().failure(what, QStringLiteral("数据库设置中没有服务器：请先在 管理 > 数据库设置… 中填写服务器。"));
        return std::nullopt;
    }
    ServerSettings server = choice.server;
    server.password = m_context.serverPassword;
    return server;
}

CopyResult DatabaseCopyTask::copyWithProgress(const CopySide &from, const CopySide &to, bool replace,
                                              const QString &caption)
{
    CopyProgressDialog progress(caption, m_parent);
    return copyDatabase(
        from, to, replace, [&](qint64 done, qint64 total) { progress.show(done, total); },
        [&] { return progress.wasCanceled(); });
}

void DatabaseCopyTask::report(const CopyResult &result, const QString &what, const QString &done,
                              const QString &unchanged)
{
    switch (result.outcome) {
    case CopyResult::Outcome::Done: {
        QString text = done + QStringLiteral("，两边的行数相同：\n") + copyCountsText(result);
        if (!result.missingPictures.isEmpty())
            text += QStringLiteral("\n有 %1 个图片文件找不到，没有复制：%2")
                        .arg(result.missingPictures.size())
                        .arg(result.missingPictures.join(QStringLiteral("、")));
        m_context.messages().notice(text);
        break;
    }
    case CopyResult::Outcome::Stopped: m_context.messages().notice(QStringLiteral("已停止复制，") + unchanged); break;
    case CopyResult::Outcome::TargetHoldsData:
    case CopyResult::Outcome::Failed:
        m_context.messages().failure(what + QStringLiteral("，") + unchanged, result.error.message);
        break;
    }
}

void DatabaseCopyTask::copyToServer()
{
    const QString what = QStringLiteral("数据没有复制到服务器");
    const QString unchanged = QStringLiteral("服务器上的数据没有改变");
    const std::optional<ServerSettings> server = configuredServer(what);
    if (!server)
        return;
    const QString filePath = QDir(m_context.dataDir).filePath(kDatabaseFileName);
    if (!QFileInfo(filePath).isFile()) {
        m_context.messages().failure(what, QStringLiteral("本机文件不存在：") + QDir::toNativeSeparators(filePath));
        return;
    }
    DataStore source;
    if (!source.open(filePath)) {
        m_context.messages().failure(what, QStringLiteral("本机文件不能使用：") + source.errorString());
        return;
    }
    DataStore target(std::make_unique<PostgresEngine>(*server));
    if (!target.open(server->describe())) {
        m_context.messages().failure(what, target.errorString());
        return;
    }
    const CopySide from{source, m_context.dataDir};
    const CopySide to{target, QString()};
    const QString caption = QStringLiteral("复制到服务器");
    CopyResult result = copyWithProgress(from, to, false, caption);
    if (result.outcome == CopyResult::Outcome::TargetHoldsData) {
        const QString question = QStringLiteral("服务器 %1 上已经有题目、图片或答案。\n用本机文件的数据替换它们吗？")
                                     .arg(server->describe());
        if (!m_context.messages().confirm({question, QStringLiteral("注意"), Message::Icon::Warning})) {
            m_context.messages().notice(QStringLiteral("没有复制，") + unchanged);
            return;
        }
        result = copyWithProgress(from, to, true, caption);
    }
    report(result, what, QStringLiteral("已复制到服务器 ") + server->describe(), unchanged);
}

void DatabaseCopyTask::copyToFile()
{
    const QString what = QStringLiteral("数据没有复制到文件");
    const std::optional<ServerSettings> server = configuredServer(what);
    if (!server)
        return;
    const QString suggested = QDir(m_context.dataDir)
                                  .filePath(QStringLiteral("考试系统备份-%1.mdb")
                                                .arg(m_context.platform.clock.now().toString(QStringLiteral("yyyyMMdd-HHmmss"))));
    const QString path =
        m_context.platform.files.saveFileName(QStringLiteral("复制到文件"), QStringLiteral("数据库文件(*.mdb)|*.mdb"), suggested);
    if (path.isEmpty())
        return;
    const QString unchanged = QStringLiteral("没有写出文件");
    if (QFileInfo::exists(path)) {
        m_context.messages().failure(what, QStringLiteral("文件已经存在：%1\n复制到文件只写新的文件，请换一个文件名。")
                                               .arg(QDir::toNativeSeparators(path)));
        return;
    }
    DataStore source(std::make_unique<PostgresEngine>(*server));
    if (!source.open(server->describe())) {
        m_context.messages().failure(what, source.errorString());
        return;
    }
    const QString folder = QFileInfo(path).absolutePath();
    const QSet<QString> picturesBefore = filesUnder(QDir(folder).filePath(QStringLiteral("image")));
    CopyResult result;
    {
        DataStore target;
        if (!target.open(path)) {
            result.error = target.lastError();
            result.error.message = QStringLiteral("不能新建文件 %1：%2").arg(QDir::toNativeSeparators(path), result.error.message);
        } else {
            result = copyWithProgress({source, QString()}, {target, folder}, false, QStringLiteral("复制到文件"));
        }
    }
    if (result.outcome != CopyResult::Outcome::Done) {
        // Nothing of a copy that did not finish stays: the new file and the
        // picture files it wrote go.
        removeDatabaseFile(path);
        for (const QString &file : filesUnder(QDir(folder).filePath(QStringLiteral("image"))) - picturesBefore)
            QFile::remove(file);
    }
    report(result, what, QStringLiteral("已复制到文件 ") + QDir::toNativeSeparators(path), unchanged);
}

} // namespace kaoshi
