#include "app/DatabaseChoice.h"

#include "data/ServerConnection.h"
#include "print/IniFile.h"

#include <QDir>
#include <QFileInfo>

namespace kaoshi {

namespace {

const QString kSection = QStringLiteral("数据库");
const QString kKind = QStringLiteral("位置");
const QString kFileKind = QStringLiteral("本机文件");
const QString kServerKind = QStringLiteral("服务器");
const QString kHost = QStringLiteral("主机");
const QString kPort = QStringLiteral("端口");
const QString kDatabase = QStringLiteral("数据库");
const QString kUser = QStringLiteral("用户");
const QString kService = QStringLiteral("服务");

QString settingsPath(const QString &programDir) { return QDir(programDir).filePath(kDatabaseSettingsFile); }

} // namespace

QString serverFailureText(ServerFailure failure, const ServerSettings &settings, const QString &reason)
{
    const QString where = settings.describe();
    switch (failure) {
    case ServerFailure::Unreachable: return QStringLiteral("连接不上服务器 %1：%2").arg(where, reason);
    case ServerFailure::Authentication:
        return QStringLiteral("服务器不让用户“%1”登录（用户名或密码不对）：%2").arg(settings.user, reason);
    case ServerFailure::DatabaseMissing:
        return QStringLiteral("服务器上没有数据库“%1”：%2").arg(settings.database, reason);
    case ServerFailure::NotUtf8:
    case ServerFailure::NotOurs:
        return QStringLiteral("数据库“%1”不是考试系统的数据库：%2").arg(settings.database, reason);
    case ServerFailure::MissingTable:
    case ServerFailure::MissingColumn:
        return QStringLiteral("数据库“%1”缺少考试系统的表或列：%2").arg(settings.database, reason);
    default: return QStringLiteral("不能使用 %1：%2").arg(where, reason);
    }
}

DatabaseChoice readDatabaseChoice(const QString &programDir)
{
    const IniFile file(settingsPath(programDir));
    DatabaseChoice choice;
    choice.kind = file.value(kSection, kKind) == kServerKind ? DatabaseChoice::Kind::Server : DatabaseChoice::Kind::File;
    choice.server.host = file.value(kSection, kHost);
    choice.server.port = file.value(kSection, kPort).toInt();
    choice.server.database = file.value(kSection, kDatabase);
    choice.server.user = file.value(kSection, kUser);
    choice.server.service = file.value(kSection, kService);
    return choice;
}

bool writeDatabaseChoice(const QString &programDir, const DatabaseChoice &choice, QString *error)
{
    IniFile file(settingsPath(programDir));
    file.setValue(kSection, kKind, choice.kind == DatabaseChoice::Kind::Server ? kServerKind : kFileKind);
    file.setValue(kSection, kHost, choice.server.host);
    file.setValue(kSection, kPort, choice.server.port > 0 ? QString::number(choice.server.port) : QString());
    file.setValue(kSection, kDatabase, choice.server.database);
    file.setValue(kSection, kUser, choice.server.user);
    file.setValue(kSection, kService, choice.server.service);
    return file.save(error);
}

ConnectionReport testConnection(const ServerSettings &settings)
{
    ServerConnection connection;
    if (!connection.open(settings, ServerConnection::WhenEmpty::LeaveEmpty))
        return {false, serverFailureText(connection.failure(), settings, connection.lastError().message)};
    if (connection.wasEmpty())
        return {true, QStringLiteral("连接成功：数据库“%1”是空的，第一次使用时建好考试系统的表").arg(settings.database)};
    return {true, QStringLiteral("连接成功：%1 是考试系统的数据库").arg(settings.describe())};
}

DatabaseInUse databaseInUse(const QString &filePath, const QString &serverLocation, bool fileForThisRun)
{
    if (!serverLocation.isEmpty())
        return {QStringLiteral("服务器：") + serverLocation, QStringLiteral("服务器：") + serverLocation};
    const QString native = QDir::toNativeSeparators(filePath);
    const QFileInfo file(filePath);
    const QString folder = file.dir().dirName();
    // The folder and the name say which copy of the program folder this is.
    const QString tail = QDir::toNativeSeparators(folder.isEmpty() ? file.fileName() : folder + u'/' + file.fileName());
    const QString shortName = native.size() > tail.size() + 1 ? QStringLiteral("…") + QDir::separator() + tail : native;
    const QString kind = fileForThisRun ? QStringLiteral("本机文件（仅本次）：") : QStringLiteral("本机文件：");
    QString full = kind + native;
    if (fileForThisRun)
        full += QStringLiteral("（连接不上数据库设置中的服务器，本次运行使用本机文件）");
    return {kind + shortName, full};
}

} // namespace kaoshi
