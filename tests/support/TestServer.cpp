#include "TestServer.h"

#include <QCoreApplication>
#include <QAtomicInt>
#include <libpq-fe.h>

namespace kaoshi::test {

namespace {

QAtomicInt databaseCount;

ServerSettings fromEnvironment(const QString &database)
{
    ServerSettings settings;
    settings.host = qEnvironmentVariable("PGHOST");
    settings.port = qEnvironmentVariableIntValue("PGPORT");
    settings.user = qEnvironmentVariable("PGUSER");
    settings.database = database;
    return settings;
}

} // namespace

TestServer::TestServer()
{
    if (qEnvironmentVariableIsEmpty("PGHOST") || qEnvironmentVariableIsEmpty("PGPORT")) {
        m_reason = QStringLiteral("no test server: PGHOST and PGPORT are not set (ctest starts one)");
        return;
    }
    m_database = QStringLiteral("kaoshi_t%1_%2").arg(QCoreApplication::applicationPid()).arg(++databaseCount);
    m_reason = maintenance(QStringLiteral("postgres"), QStringLiteral("create database %1").arg(m_database));
    m_ready = m_reason.isEmpty();
}

TestServer::~TestServer()
{
    if (m_ready)
        maintenance(QStringLiteral("postgres"), QStringLiteral("drop database if exists %1 with (force)").arg(m_database));
}

ServerSettings TestServer::settings() const { return fromEnvironment(m_database); }

QString TestServer::admin(const QString &sql) const { return maintenance(m_database, sql); }

void TestServer::dropConnections() const
{
    admin(QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity "
                         "where datname = current_database() and pid <> pg_backend_pid()"));
}

QString TestServer::maintenance(const QString &database, const QString &sql)
{
    return runStatement(fromEnvironment(database), sql);
}

QString runStatement(const ServerSettings &settings, const QString &sql)
{
    PGconn *connection = PQconnectdb(settings.connectionText().constData());
    QString error;
    if (PQstatus(connection) != CONNECTION_OK) {
        error = QString::fromUtf8(PQerrorMessage(connection));
    } else {
        PQsetNoticeProcessor(connection, [](void *, const char *) {}, nullptr);
        PGresult *result = PQexec(connection, sql.toUtf8().constData());
        const ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            error = QString::fromUtf8(PQresultErrorMessage(result));
        PQclear(result);
    }
    PQfinish(connection);
    return error.trimmed();
}

} // namespace kaoshi::test
