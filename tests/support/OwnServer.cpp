#include "OwnServer.h"
#include "TestServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace kaoshi::test {

OwnServer::OwnServer(int maxConnections) : m_maxConnections(maxConnections)
{
    QString output;
    if (!script(QStringLiteral("start"), &output)) {
        m_reason = QStringLiteral("the own test server did not start: ") + output;
        return;
    }
    QFile env(QDir(m_state.path()).filePath(QStringLiteral("connection.env")));
    env.open(QIODevice::ReadOnly);
    for (const QByteArray &line : env.readAll().split('\n')) {
        if (line.startsWith("PGHOST="))
            m_folder = QString::fromUtf8(line.mid(7));
        else if (line.startsWith("PGPORT="))
            m_port = line.mid(7).toInt();
    }
    m_ready = !m_folder.isEmpty() && m_port > 0;
    if (!m_ready)
        m_reason = QStringLiteral("the own test server left no connection");
}

OwnServer::~OwnServer()
{
    if (!m_folder.isEmpty())
        script(QStringLiteral("stop"));
}

bool OwnServer::script(const QString &command, QString *output) const
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    // A crash must not lose what the server committed.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KAOSHI_TEST_SERVER_DURABLE"), QStringLiteral("1"));
    // Also when the server starts again after a halt.
    if (m_maxConnections > 0)
        environment.insert(QStringLiteral("KAOSHI_TEST_SERVER_MAX_CONNECTIONS"), QString::number(m_maxConnections));
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(KAOSHI_TEST_SERVER_SCRIPT), {command, m_state.path()});
    const bool done = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit &&
                      process.exitCode() == 0;
    if (output)
        *output = QString::fromUtf8(process.readAll());
    return done;
}

ServerSettings OwnServer::settings(const QString &database) const
{
    ServerSettings settings;
    settings.host = m_folder;
    settings.port = m_port;
    settings.user = QStringLiteral("kaoshi");
    settings.database = database;
    return settings;
}

ServerSettings OwnServer::overNetwork(const QString &database, const QString &user) const
{
    ServerSettings settings = this->settings(database);
    settings.host = QStringLiteral("127.0.0.1");
    settings.user = user;
    return settings;
}

QString OwnServer::admin(const QString &sql, const QString &database) const
{
    return runStatement(settings(database), sql);
}

bool OwnServer::allowFirst(const QString &line) const
{
    QFile hba(QDir(m_folder).filePath(QStringLiteral("data/pg_hba.conf")));
    if (!hba.open(QIODevice::ReadOnly))
        return false;
    const QByteArray rest = hba.readAll();
    hba.close();
    if (!hba.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    hba.write(line.toUtf8() + '\n' + rest);
    hba.close();
    return admin(QStringLiteral("select pg_reload_conf()")).isEmpty();
}

} // namespace kaoshi::test
