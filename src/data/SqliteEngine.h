#pragma once
// The engine for one database file through SQLite: opening a file (and
// creating it with the schema), the pragmas, the schema and index
// statements, binding values and reading typed columns, units of work as
// savepoints, and SQLite's result codes. Nothing outside the data layer
// includes this file.
#include "data/Engine.h"

#include <memory>

namespace kaoshi {

namespace sqlite {
struct Connection;
}

class SqliteEngine final : public Engine
{
public:
    SqliteEngine();
    ~SqliteEngine() override;

    OpenFailure open(const QString &path, int busyTimeoutMs) override;
    void close() override { m_connection.reset(); }
    bool isOpen() const override;
    bool isReadOnly() const override;

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
    int misuseCode() const override;

    QStringList schemaStatements() const override;
    QStringList indexStatements() const override;
    // The table of hand scores, made when a file does not have it yet.
    static QString handScoreTableStatement();
    QString rowIdColumn() const override { return QStringLiteral("rowid"); }
    QString makeTableStatement(const QString &table, const QString &select) const override;
    QString equalityIndexStatement(const QString &index, const QString &table, const QString &column) const override;
    QString integerType() const override { return QStringLiteral("INTEGER"); }
    QString textType() const override { return QStringLiteral("TEXT"); }
    QString nowMillisecondsExpression() const override
    {
        return QStringLiteral("cast((julianday('now') - 2440587.5) * 86400000 as integer)");
    }
    QString rowIdDeclaration() const override { return QString(); }
    QString tableCountStatement() const override
    {
        return QStringLiteral("select count(*) from sqlite_master where type = 'table' and name = ?");
    }
    std::unique_ptr<Engine> openReader() const override;

private:
    OpenFailure checkSchema();
    bool runAll(const QStringList &statements);

    std::shared_ptr<sqlite::Connection> m_connection;
    DataError m_openError;
};

} // namespace kaoshi
