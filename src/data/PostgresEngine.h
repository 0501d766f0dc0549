#pragma once
// The engine for a database on a PostgreSQL server, for computer rooms where
// many seats work on one database: the engine interface over a
// ServerConnection. Nothing outside the data layer includes this file.
#include "data/Engine.h"
#include "data/ServerConnection.h"
#include "data/ServerSettings.h"

#include <memory>

namespace kaoshi {

class PostgresEngine final : public Engine
{
public:
    explicit PostgresEngine(ServerSettings settings);
    ~PostgresEngine() override;

    // location only names the database in messages: the settings given at
    // construction say where it is.
    OpenFailure open(const QString &location, int busyTimeoutMs) override;
    void close() override;
    bool isOpen() const override;
    bool isReadOnly() const override { return m_readOnly; }

    std::unique_ptr<EngineStatement> prepare(const QString &sql, const Values &values = {}) override;
    qint64 changes() const override;

    bool begin() override;
    bool commit() override;
    bool rollback() override;

    DataError lastError() const override;
    void noteFailure(const QString &message) override;
    void restoreError(const DataError &error) override;
    bool isBusy(const DataError &error) const override;
    bool isReadOnlyRefusal(const DataError &error) const override;
    int misuseCode() const override { return ServerConnection::kMisuseCode; }

    QStringList schemaStatements() const override;
    QStringList indexStatements() const override;
    QString rowIdColumn() const override { return QStringLiteral("rowid"); }
    QString makeTableStatement(const QString &table, const QString &select) const override;
    QString equalityIndexStatement(const QString &index, const QString &table, const QString &column) const override;
    QString integerType() const override { return QStringLiteral("numeric"); }
    QString textType() const override { return QStringLiteral("text collate \"C\""); }

    // Why the last open failed, in the server's terms (for 测试连接 and the start-up message).
    ServerFailure serverFailure() const { return m_connection->failure(); }
    const ServerSettings &settings() const { return m_settings; }
    // Runs work as one unit, again when the server ended it for a
    // serialization failure or a deadlock.
    bool inUnit(const std::function<bool()> &work) { return m_connection->inUnit(work); }

private:
    ServerSettings m_settings;
    std::shared_ptr<ServerConnection> m_connection;
    bool m_readOnly = false;
};

} // namespace kaoshi
