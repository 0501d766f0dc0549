#include "data/ServerSettings.h"

#include <QStringList>

namespace kaoshi {

namespace {

// key='value' with backslashes and single quotes escaped, as libpq reads it.
QString keyValue(const char *key, const QString &value)
{
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('\''), QLatin1String("\\'"));
    return QLatin1String(key) + QLatin1String("='") + escaped + QLatin1Char('\'');
}

} // namespace

QByteArray ServerSettings::connectionText() const
{
    QStringList parts;
    if (!service.isEmpty())
        parts << keyValue("service", service);
    if (!host.isEmpty())
        parts << keyValue("host", host);
    if (port > 0)
        parts << keyValue("port", QString::number(port));
    if (!database.isEmpty())
        parts << keyValue("dbname", database);
    if (!user.isEmpty())
        parts << keyValue("user", user);
    if (!password.isEmpty())
        parts << keyValue("password", password);
    if (lockTimeoutMs > 0)
        parts << keyValue("options", QStringLiteral("-c lock_timeout=%1").arg(lockTimeoutMs));
    // A server that went away (a pulled cable, a crashed computer) is noticed
    // within seconds: an idle connection is probed, and sent data that is not
    // acknowledged ends the connection instead of waiting for minutes.
    parts << keyValue("keepalives", QStringLiteral("1")) << keyValue("keepalives_idle", QStringLiteral("5"))
          << keyValue("keepalives_interval", QStringLiteral("2")) << keyValue("keepalives_count", QStringLiteral("3"))
          << keyValue("tcp_user_timeout", QString::number(kDeadPeerMs));
    parts << keyValue("connect_timeout", QString::number(connectTimeoutSeconds))
          << keyValue("client_encoding", QStringLiteral("UTF8"))
          << keyValue("application_name", QStringLiteral("kaoshi"));
    return parts.join(QLatin1Char(' ')).toUtf8();
}

QString ServerSettings::describe() const
{
    if (!service.isEmpty() && host.isEmpty())
        return QStringLiteral("service=%1").arg(service);
    QString text;
    if (!user.isEmpty())
        text += user + QLatin1Char('@');
    text += host.isEmpty() ? QStringLiteral("localhost") : host;
    if (port > 0)
        text += QLatin1Char(':') + QString::number(port);
    if (!database.isEmpty())
        text += QLatin1Char('/') + database;
    return text;
}

} // namespace kaoshi
