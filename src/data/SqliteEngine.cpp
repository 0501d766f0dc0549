#include "data/SqliteEngine.h"

#include "data/QuestionType.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <sqlite3.h>
#include <vector>

namespace kaoshi {

namespace sqlite {

// One open database file, shared by the engine and its statements, so that
// a result stays readable while other statements run.
struct Connection {
    sqlite3 *db = nullptr;
    int depth = 0; // units of work open
    DataError lastError;
    bool readOnly = false;
    int busyTimeoutMs = 0;
    ~Connection() { sqlite3_close_v2(db); }

    QString message(int code) const
    {
        const char *text = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
        return QString::fromUtf8(text ? text : sqlite3_errstr(code));
    }
    // Records the engine's error of the last call (or clears it on success).
    void noteResult(int code)
    {
        if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE)
            lastError = {};
        else
            lastError = {code, message(code)};
    }
    void fail(int code, const QString &text) { lastError = {code, text}; }
};

} // namespace sqlite

namespace {

using sqlite::Connection;

bool onlyBlanks(const char *tail)
{
    for (; tail && *tail; ++tail)
        if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n' && *tail != ';')
            return false;
    return true;
}

// Texts and bytes are bound without a copy: `kept` holds them until the
// statement's values are bound anew or it is finalised.
void bindValue(sqlite3_stmt *statement, int index, const FieldValue &value, QByteArray &kept)
{
    switch (value.type()) {
    case FieldValue::Type::Integer: sqlite3_bind_int64(statement, index, value.toInteger()); break;
    case FieldValue::Type::Real: sqlite3_bind_double(statement, index, value.toNumber()); break;
    case FieldValue::Type::Null: sqlite3_bind_null(statement, index); break;
    case FieldValue::Type::Blob: {
        kept = value.toBytes();
        sqlite3_bind_blob64(statement, index, kept.constData(), sqlite3_uint64(kept.size()), SQLITE_STATIC);
        break;
    }
    case FieldValue::Type::Text: {
        // The length is given, so a NUL inside the text is kept.
        kept = value.toText().toUtf8();
        sqlite3_bind_text64(statement, index, kept.constData(), sqlite3_uint64(kept.size()), SQLITE_STATIC,
                            SQLITE_UTF8);
        break;
    }
    }
}

class SqliteStatement final : public EngineStatement
{
public:
    SqliteStatement(std::shared_ptr<Connection> connection, sqlite3_stmt *statement)
        : m_connection(std::move(connection)), m_statement(statement)
    {
    }
    ~SqliteStatement() override { sqlite3_finalize(m_statement); }

    bool bind(const Values &values) override
    {
        sqlite3_reset(m_statement);
        if (sqlite3_bind_parameter_count(m_statement) != values.size()) {
            m_error = {SQLITE_RANGE, QStringLiteral("语句的参数个数不符")};
            m_connection->lastError = m_error;
            return false;
        }
        std::vector<QByteArray> kept(size_t(values.size()));
        for (int i = 0; i < values.size(); ++i)
            bindValue(m_statement, i + 1, values[i], kept[size_t(i)]);
        // The values bound before are let go only now that new ones are bound.
        m_bound.swap(kept);
        m_error = {};
        return true;
    }

    Step step() override
    {
        const int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_ROW)
            return Step::Row;
        if (rc == SQLITE_DONE)
            return Step::Done;
        m_connection->noteResult(rc);
        m_error = m_connection->lastError;
        return Step::Failed;
    }

    void reset() override
    {
        sqlite3_reset(m_statement);
        m_error = {};
    }

    int columnCount() const override { return sqlite3_column_count(m_statement); }

    QStringList columnNames() const override
    {
        QStringList names;
        const int count = columnCount();
        names.reserve(count);
        for (int i = 0; i < count; ++i) {
            const char *name = sqlite3_column_name(m_statement, i);
            QString text = QString::fromUtf8(name ? name : "");
            if (text.size() > 2 && text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')')))
                text = text.mid(1, text.size() - 2);
            names << text;
        }
        return names;
    }

    FieldValue value(int index) const override
    {
        switch (sqlite3_column_type(m_statement, index)) {
        case SQLITE_INTEGER: return FieldValue::integer(sqlite3_column_int64(m_statement, index));
        case SQLITE_FLOAT: return FieldValue::real(sqlite3_column_double(m_statement, index));
        case SQLITE_TEXT: {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, index));
            return FieldValue::text(QString::fromUtf8(text, sqlite3_column_bytes(m_statement, index)));
        }
        case SQLITE_BLOB: {
            const auto *data = static_cast<const char *>(sqlite3_column_blob(m_statement, index));
            return FieldValue::blob(QByteArray(data, sqlite3_column_bytes(m_statement, index)));
        }
        default: return FieldValue();
        }
    }

    DataError error() const override { return m_error; }

private:
    std::shared_ptr<Connection> m_connection;
    sqlite3_stmt *m_statement;
    std::vector<QByteArray> m_bound; // the texts and bytes the statement's values point into
    DataError m_error;
};

struct TableColumns {
    QString table;
    QStringList columns;
};

const QList<TableColumns> &requiredTables()
{
    static const QList<TableColumns> tables = [] {
        QList<TableColumns> list;
        const QStringList bank{QStringLiteral("题号"), QStringLiteral("题目"), QStringLiteral("标准答案"),
                               QStringLiteral("解析"), QStringLiteral("分值"), QStringLiteral("章节"),
                               QStringLiteral("练习答案")};
        for (QuestionType type : allQuestionTypes())
            list.append({tableName(type), bank});
        list.append({QStringLiteral("图片"),
                     {QStringLiteral("题型"), QStringLiteral("题号"), QStringLiteral("摘要"), QStringLiteral("图片")}});
        list.append({QStringLiteral("评分"),
                     {QStringLiteral("考号"), QStringLiteral("场次"), QStringLiteral("姓名"), QStringLiteral("题号"),
                      QStringLiteral("题型"), QStringLiteral("考生答案")}});
        list.append({QStringLiteral("配置"),
                     {QStringLiteral("单选抽题"), QStringLiteral("多选抽题"), QStringLiteral("判断抽题"),
                      QStringLiteral("问答抽题"), QStringLiteral("计时")}});
        return list;
    }();
    return tables;
}


// The first column of every row as text; nothing when a step failed.
std::optional<QStringList> firstTexts(EngineStatement *statement)
{
    QStringList texts;
    EngineStatement::Step s;
    while ((s = statement->step()) == EngineStatement::Step::Row)
        texts << statement->value(0).toText();
    if (s == EngineStatement::Step::Failed)
        return std::nullopt;
    return texts;
}

} // namespace

SqliteEngine::SqliteEngine() = default;
SqliteEngine::~SqliteEngine() = default;

bool SqliteEngine::isOpen() const { return m_connection != nullptr; }
bool SqliteEngine::isReadOnly() const { return m_connection && m_connection->readOnly; }

DataError SqliteEngine::lastError() const
{
    if (!m_connection)
        return m_openError.isError() ? m_openError : DataError{SQLITE_CANTOPEN, QStringLiteral("数据库没有打开")};
    return m_connection->lastError;
}

void SqliteEngine::noteFailure(const QString &message)
{
    if (m_connection)
        m_connection->fail(SQLITE_MISUSE, message);
    else
        m_openError = {SQLITE_MISUSE, message};
}

void SqliteEngine::restoreError(const DataError &error)
{
    if (m_connection)
        m_connection->lastError = error;
}

bool SqliteEngine::isBusy(const DataError &error) const
{
    return error.code == SQLITE_BUSY || error.code == SQLITE_LOCKED;
}

bool SqliteEngine::isReadOnlyRefusal(const DataError &error) const { return error.code == SQLITE_READONLY; }

int SqliteEngine::misuseCode() const { return SQLITE_MISUSE; }

qint64 SqliteEngine::changes() const { return m_connection ? sqlite3_changes64(m_connection->db) : 0; }

OpenFailure SqliteEngine::open(const QString &path, int busyTimeoutMs)
{
    m_connection.reset();
    m_openError = {};
    const QFileInfo info(path);
    const bool exists = info.exists();
    if ((exists && !info.isFile()) || (!exists && !info.absoluteDir().exists())) {
        m_openError = {SQLITE_CANTOPEN, QStringLiteral("找不到数据库文件")};
        return OpenFailure::Missing;
    }
    auto connection = std::make_shared<Connection>();
    const int flags = SQLITE_OPEN_READWRITE | (exists ? 0 : SQLITE_OPEN_CREATE);
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &connection->db, flags, nullptr);
    if ((rc == SQLITE_READONLY || rc == SQLITE_CANTOPEN || rc == SQLITE_PERM) && exists) {
        // A file we may not write is still read.
        sqlite3_close_v2(connection->db);
        connection->db = nullptr;
        rc = sqlite3_open_v2(path.toUtf8().constData(), &connection->db, SQLITE_OPEN_READONLY, nullptr);
        connection->readOnly = rc == SQLITE_OK;
    }
    if (rc != SQLITE_OK) {
        m_openError = {rc, connection->message(rc)};
        return OpenFailure::Other;
    }
    sqlite3_busy_timeout(connection->db, busyTimeoutMs);
    connection->busyTimeoutMs = busyTimeoutMs;
    sqlite3_extended_result_codes(connection->db, 0);
    // Pages stay cached while no one changes the file: grading and its
    // analysis read every answer of the index again on each click, and a
    // year of results (a million answers) fills about 50 MB. The cache is
    // taken as pages are read, so a small database costs no more.
    sqlite3_exec(connection->db, "pragma cache_size=-65536", nullptr, nullptr, nullptr);
    m_connection = std::move(connection);

    if (!exists) {
        if (!runAll(schemaStatements())) {
            m_openError = m_connection->lastError;
            m_connection.reset();
            QFile::remove(path);
            return OpenFailure::Other;
        }
    } else if (const OpenFailure failure = checkSchema(); failure != OpenFailure::None) {
        m_connection.reset();
        return failure;
    }
    // Writing needs the folder too, for the journal: find out now. The
    // journal mode of a file is left as it is, so that a file on read-only
    // media or a network share stays readable.
    if (sqlite3_db_readonly(m_connection->db, "main") == 1 || !QFileInfo(info.absolutePath()).isWritable())
        m_connection->readOnly = true;
    // A file that another program made may lack the indexes; with them a
    // delete or a step to the next question stays fast on any file. A file
    // that cannot take them is used as it is.
    // A file of an earlier version gains the table of hand scores.
    if (!m_connection->readOnly)
        runAll(QStringList{handScoreTableStatement()} + indexStatements());
    m_connection->lastError = {};
    return OpenFailure::None;
}

namespace {

bool keepsWriteAheadLog(sqlite3 *db)
{
    sqlite3_stmt *statement = nullptr;
    bool wal = true; // when it cannot be told, as if it did
    if (sqlite3_prepare_v2(db, "pragma journal_mode", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        const auto *mode = reinterpret_cast<const char *>(sqlite3_column_text(statement, 0));
        wal = !mode || sqlite3_stricmp(mode, "wal") == 0;
    }
    sqlite3_finalize(statement);
    return wal;
}

} // namespace

std::unique_ptr<Engine> SqliteEngine::openReader() const
{
    if (!m_connection || m_connection->depth > 0 || !sqlite3_get_autocommit(m_connection->db) ||
        keepsWriteAheadLog(m_connection->db))
        return nullptr;
    const char *file = sqlite3_db_filename(m_connection->db, "main");
    if (!file || !*file)
        return nullptr; // a database in memory has no second connection
    auto connection = std::make_shared<Connection>();
    if (sqlite3_open_v2(file, &connection->db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return nullptr;
    connection->readOnly = true;
    connection->busyTimeoutMs = m_connection->busyTimeoutMs;
    sqlite3_busy_timeout(connection->db, connection->busyTimeoutMs);
    sqlite3_extended_result_codes(connection->db, 0);
    sqlite3_exec(connection->db, "pragma cache_size=-65536", nullptr, nullptr, nullptr);
    auto reader = std::make_unique<SqliteEngine>();
    reader->m_connection = std::move(connection);
    return reader;
}

// Reads the tables and their columns; checks that every table and column of
// ours is there. Reading only: nothing in the file changes.
OpenFailure SqliteEngine::checkSchema()
{
    const auto fail = [this](const DataError &error, OpenFailure failure) {
        m_openError = error;
        return failure;
    };
    std::unique_ptr<EngineStatement> tables =
        prepare(QStringLiteral("select name from sqlite_master where type='table'"));
    const std::optional<QStringList> names = tables ? firstTexts(tables.get()) : std::nullopt;
    if (!names) {
        const DataError error = m_connection->lastError;
        return fail(error, isBusy(error)                   ? OpenFailure::Locked
                           : error.code == SQLITE_NOTADB ? OpenFailure::NotADatabase
                                                         : OpenFailure::Other);
    }
    int banks = 0;
    for (QuestionType type : allQuestionTypes())
        banks += names->contains(tableName(type)) ? 1 : 0;
    if (banks == 0)
        return fail({SQLITE_NOTADB, QStringLiteral("这不是考试系统的数据库")}, OpenFailure::NotOurs);
    for (const TableColumns &required : requiredTables()) {
        if (!names->contains(required.table))
            return fail({SQLITE_ERROR, QStringLiteral("缺少表 %1").arg(required.table)}, OpenFailure::MissingTable);
        std::unique_ptr<EngineStatement> info =
            prepare(QStringLiteral("select name from pragma_table_info(?)"), {required.table});
        const QStringList columns = info ? firstTexts(info.get()).value_or(QStringList()) : QStringList();
        for (const QString &column : required.columns)
            if (!columns.contains(column, Qt::CaseInsensitive))
                return fail({SQLITE_ERROR, QStringLiteral("表 %1 缺少列 %2").arg(required.table, column)},
                            OpenFailure::MissingColumn);
    }
    return OpenFailure::None;
}

bool SqliteEngine::runAll(const QStringList &statements)
{
    if (!begin())
        return false;
    for (const QString &statement : statements) {
        if (!run(statement)) {
            rollback();
            return false;
        }
    }
    return commit();
}

std::unique_ptr<EngineStatement> SqliteEngine::prepare(const QString &sql, const Values &values)
{
    if (!m_connection)
        return nullptr;
    Connection &connection = *m_connection;
    if (sql.trimmed().isEmpty()) {
        connection.fail(SQLITE_MISUSE, QStringLiteral("没有语句"));
        return nullptr;
    }
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *raw = nullptr;
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(connection.db, text.constData(), int(text.size()), &raw, &tail);
    auto statement = std::make_unique<SqliteStatement>(m_connection, raw);
    if (rc != SQLITE_OK || !raw) {
        connection.noteResult(rc == SQLITE_OK ? SQLITE_MISUSE : rc);
        return nullptr;
    }
    if (!onlyBlanks(tail)) {
        connection.fail(SQLITE_MISUSE, QStringLiteral("一次只能执行一条语句"));
        return nullptr;
    }
    if (!statement->bind(values))
        return nullptr;
    connection.lastError = {};
    return statement;
}

// Units are savepoints: the outermost begins a transaction, inner ones nest in it.
bool SqliteEngine::begin()
{
    if (!m_connection)
        return false;
    if (!run(QStringLiteral("savepoint unit%1").arg(m_connection->depth + 1)))
        return false;
    ++m_connection->depth;
    return true;
}

bool SqliteEngine::commit()
{
    if (!m_connection || m_connection->depth == 0)
        return false;
    // A release that fails leaves the unit open; a rollback then ends it.
    if (!run(QStringLiteral("release unit%1").arg(m_connection->depth)))
        return false;
    --m_connection->depth;
    return true;
}

bool SqliteEngine::rollback()
{
    if (!m_connection || m_connection->depth == 0)
        return false;
    // The error that made the caller give up stays the one reported.
    const DataError reason = m_connection->lastError;
    const QString name = QStringLiteral("unit%1").arg(m_connection->depth);
    const bool undone = run(QStringLiteral("rollback to ") + name);
    run(QStringLiteral("release ") + name);
    --m_connection->depth;
    m_connection->lastError = reason;
    return undone;
}

QString SqliteEngine::makeTableStatement(const QString &table, const QString &select) const
{
    return QStringLiteral("create table %1 as %2").arg(table, select);
}

QString SqliteEngine::equalityIndexStatement(const QString &index, const QString &table, const QString &column) const
{
    return QStringLiteral("create index %1 on %2 (%3)").arg(index, table, column);
}

QString SqliteEngine::handScoreTableStatement()
{
    return QStringLiteral("create table if not exists 阅卷 (考号 TEXT, 场次 TEXT, 题型 TEXT, 题号 INTEGER, "
                          "得分 NUMERIC, 阅卷时间 TEXT)");
}

QStringList SqliteEngine::schemaStatements() const
{
    QStringList statements;
    // 分值 is NUMERIC: a whole score is kept as an integer, so that it reads
    // and matches "like" as "5", not "5.0"; 2.5 stays a real number.
    for (QuestionType type : allQuestionTypes())
        statements << QStringLiteral("create table %1 (题号 INTEGER, 题目 TEXT, 标准答案 TEXT, "
                                     "解析 TEXT, 分值 NUMERIC, 章节 TEXT, 练习答案 TEXT)")
                          .arg(tableName(type));
    statements << QStringLiteral("create table 图片 (题型 TEXT, 题号 INTEGER, 摘要 TEXT, 图片 TEXT)")
               << QStringLiteral("create table 评分 (考号 TEXT, 场次 TEXT, 姓名 TEXT, 题号 INTEGER, "
                                 "题型 TEXT, 考生答案 TEXT)")
               << QStringLiteral("create table 配置 (单选抽题 INTEGER, 多选抽题 INTEGER, "
                                 "判断抽题 INTEGER, 问答抽题 INTEGER, 计时 INTEGER)")
               << QStringLiteral("insert into 配置 values (0, 0, 0, 0, 0)")
               << handScoreTableStatement();
    statements << indexStatements();
    return statements;
}

QStringList SqliteEngine::indexStatements() const
{
    QStringList statements;
    for (QuestionType type : allQuestionTypes()) {
        statements << QStringLiteral("create index if not exists %1_题号 on %1 (题号)").arg(tableName(type));
        // Grading looks a question's answer and score up by its number and
        // finds both in this index, without reading the question's row.
        statements << QStringLiteral("create index if not exists %1_评分 on %1 (题号, 标准答案, 分值)").arg(tableName(type));
        statements << wrongQuestionIndex(tableName(type));
    }
    statements << QStringLiteral("create index if not exists 图片_题型_题号 on 图片 (题型, 题号)")
               << QStringLiteral("create index if not exists 评分_题型_题号 on 评分 (题型, 题号)")
               << QStringLiteral("create index if not exists 评分_考号_场次 on 评分 (考号, 场次)")
               // One candidate's answers are listed kind by kind in 题号 order.
               << QStringLiteral("create index if not exists 评分_答题 on 评分 (考号, 场次, 题型, 题号)")
               // The totals read every answer in candidate order from this
               // index alone; one hand score per answer.
               << QStringLiteral("create index if not exists 评分_成绩 on 评分 (考号, 场次, 姓名, 题型, 题号, 考生答案)")
               // The results analysis reads the answers alike (question and
               // answer text) in this order, without sorting a million rows.
               << QStringLiteral("create index if not exists 评分_题目 on 评分 (题型, 题号, 考生答案, 考号, 场次)")
               << QStringLiteral("create unique index if not exists 阅卷_考号_场次 on 阅卷 (考号, 场次, 题型, 题号)");
    return statements;
}

} // namespace kaoshi
