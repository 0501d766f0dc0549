#include "data/SqliteEngine.h"

#include "data/Schema.h"

#include <QFileInfo>
#include <QDir>
#include <QRegularExpression>
#include <sqlite3.h>

namespace kaoshi::engine {

namespace {

bool onlyBlanks(const char *tail)
{
    for (; tail && *tail; ++tail)
        if (*tail != ' ' && *tail != '\t' && *tail != '\r' && *tail != '\n' && *tail != ';')
            return false;
    return true;
}

QString engineMessage(sqlite3 *db, int code)
{
    const char *text = db ? sqlite3_errmsg(db) : sqlite3_errstr(code);
    return QString::fromUtf8(text ? text : sqlite3_errstr(code));
}

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
        for (const QString &type : questionTypes())
            list.append({type, bank});
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

OpenFailure failureOfCode(int code)
{
    if (code == SQLITE_BUSY || code == SQLITE_LOCKED)
        return OpenFailure::Locked;
    return code == SQLITE_NOTADB ? OpenFailure::NotADatabase : OpenFailure::Other;
}

// Reads the tables and their columns; checks that every table and column of
// ours is there. Reading only: nothing in the file changes.
OpenFailure checkSchema(Connection &connection, DataError &error)
{
    StatementPtr tables = prepare(connection, QStringLiteral("select name from sqlite_master where type='table'"));
    if (!tables) {
        error = connection.lastError;
        return failureOfCode(error.code);
    }
    QStringList names;
    Step s;
    while ((s = step(connection, tables.get())) == Step::Row)
        names << columnValue(tables.get(), 0).toText();
    if (s == Step::Failed) {
        error = connection.lastError;
        return failureOfCode(error.code);
    }
    int banks = 0;
    for (const QString &type : questionTypes())
        banks += names.contains(type) ? 1 : 0;
    if (banks == 0) {
        error = {SQLITE_NOTADB, QStringLiteral("这不是考试系统的数据库")};
        return OpenFailure::NotOurs;
    }
    for (const TableColumns &required : requiredTables()) {
        if (!names.contains(required.table)) {
            error = {SQLITE_ERROR, QStringLiteral("缺少表 %1").arg(required.table)};
            return OpenFailure::MissingTable;
        }
        StatementPtr info = prepare(connection, QStringLiteral("select name from pragma_table_info(?)"),
                                    {required.table});
        QStringList columns;
        while (info && step(connection, info.get()) == Step::Row)
            columns << columnValue(info.get(), 0).toText();
        for (const QString &column : required.columns) {
            if (!columns.contains(column, Qt::CaseInsensitive)) {
                error = {SQLITE_ERROR, QStringLiteral("表 %1 缺少列 %2").arg(required.table, column)};
                return OpenFailure::MissingColumn;
            }
        }
    }
    return OpenFailure::None;
}

bool runAll(Connection &connection, const QStringList &statements)
{
    if (!run(connection, QStringLiteral("begin")))
        return false;
    for (const QString &statement : statements) {
        if (!run(connection, statement)) {
            const DataError failed = connection.lastError;
            run(connection, QStringLiteral("rollback"));
            connection.lastError = failed;
            return false;
        }
    }
    return run(connection, QStringLiteral("commit"));
}

} // namespace

Connection::~Connection() { sqlite3_close_v2(db); }

void Connection::noteResult(int code)
{
    if (code == SQLITE_OK || code == SQLITE_ROW || code == SQLITE_DONE)
        lastError = {};
    else
        lastError = {code, engineMessage(db, code)};
}

void Connection::fail(int code, const QString &message) { lastError = {code, message}; }

void StatementDeleter::operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }

OpenResult openDatabase(const QString &path, int busyTimeoutMs)
{
    OpenResult result;
    const QFileInfo info(path);
    const bool exists = info.exists();
    if ((exists && !info.isFile()) || (!exists && !info.absoluteDir().exists())) {
        result.failure = OpenFailure::Missing;
        result.error = {SQLITE_CANTOPEN, QStringLiteral("找不到数据库文件")};
        return result;
    }
    auto connection = std::make_shared<Connection>();
    int flags = SQLITE_OPEN_READWRITE | (exists ? 0 : SQLITE_OPEN_CREATE);
    int rc = sqlite3_open_v2(path.toUtf8().constData(), &connection->db, flags, nullptr);
    if (rc == SQLITE_READONLY || rc == SQLITE_CANTOPEN || rc == SQLITE_PERM) {
        if (exists) {
            // A file we may not write is still read.
            sqlite3_close_v2(connection->db);
            connection->db = nullptr;
            rc = sqlite3_open_v2(path.toUtf8().constData(), &connection->db, SQLITE_OPEN_READONLY, nullptr);
            connection->readOnly = rc == SQLITE_OK;
        }
    }
    if (rc != SQLITE_OK) {
        result.failure = OpenFailure::Other;
        result.error = {rc, engineMessage(connection->db, rc)};
        return result;
    }
    sqlite3_busy_timeout(connection->db, busyTimeoutMs);
    sqlite3_extended_result_codes(connection->db, 0);

    if (!exists) {
        if (!runAll(*connection, schemaStatements())) {
            result.failure = OpenFailure::Other;
            result.error = connection->lastError;
            connection.reset();
            QFile::remove(path);
            return result;
        }
    } else {
        result.failure = checkSchema(*connection, result.error);
        if (result.failure != OpenFailure::None)
            return result;
    }
    // Writing needs the folder too, for the journal: find out now. The
    // journal mode of a file is left as it is, so that a file on read-only
    // media or a network share stays readable.
    if (sqlite3_db_readonly(connection->db, "main") == 1 || !QFileInfo(info.absolutePath()).isWritable())
        connection->readOnly = true;
    if (!connection->readOnly) {
        // A file that another program made may lack the indexes; with them a
        // delete or a step to the next question stays fast on any file.
        // A file of an earlier version gains the table of hand scores.
        // A file that cannot take them is used as it is.
        runAll(*connection, QStringList{handScoreTableStatement()} + indexStatements());
    }
    connection->lastError = {};
    result.connection = std::move(connection);
    return result;
}

StatementPtr prepare(Connection &connection, const QString &sql, const Values &values)
{
    if (!connection.db || sql.trimmed().isEmpty()) {
        connection.fail(SQLITE_MISUSE, QStringLiteral("没有语句"));
        return nullptr;
    }
    const QByteArray text = translate(sql).toUtf8();
    sqlite3_stmt *raw = nullptr;
    const char *tail = nullptr;
    const int rc = sqlite3_prepare_v2(connection.db, text.constData(), int(text.size()), &raw, &tail);
    StatementPtr statement(raw);
    if (rc != SQLITE_OK || !raw) {
        connection.noteResult(rc == SQLITE_OK ? SQLITE_MISUSE : rc);
        return nullptr;
    }
    if (!onlyBlanks(tail)) {
        connection.fail(SQLITE_MISUSE, QStringLiteral("一次只能执行一条语句"));
        return nullptr;
    }
    if (sqlite3_bind_parameter_count(raw) != values.size()) {
        connection.fail(SQLITE_RANGE, QStringLiteral("语句的参数个数不符"));
        return nullptr;
    }
    for (int i = 0; i < values.size(); ++i)
        bind(raw, i + 1, values[i]);
    connection.lastError = {};
    return statement;
}

Step step(Connection &connection, sqlite3_stmt *statement)
{
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_ROW)
        return Step::Row;
    if (rc == SQLITE_DONE)
        return Step::Done;
    connection.noteResult(rc);
    return Step::Failed;
}

void reset(sqlite3_stmt *statement)
{
    sqlite3_reset(statement);
}

bool runToEnd(Connection &connection, sqlite3_stmt *statement)
{
    Step s;
    while ((s = step(connection, statement)) == Step::Row) {
    }
    return s == Step::Done;
}

bool run(Connection &connection, const QString &sql, const Values &values)
{
    StatementPtr statement = prepare(connection, sql, values);
    return statement && runToEnd(connection, statement.get());
}

void bind(sqlite3_stmt *statement, int index, const FieldValue &value)
{
    switch (value.type()) {
    case FieldValue::Type::Integer: sqlite3_bind_int64(statement, index, value.toInteger()); break;
    case FieldValue::Type::Real: sqlite3_bind_double(statement, index, value.toNumber()); break;
    case FieldValue::Type::Null: sqlite3_bind_null(statement, index); break;
    case FieldValue::Type::Blob: {
        const QByteArray bytes = value.toBytes();
        sqlite3_bind_blob64(statement, index, bytes.constData(), sqlite3_uint64(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    case FieldValue::Type::Text: {
        // The length is given, so a NUL inside the text is kept.
        const QByteArray text = value.toText().toUtf8();
        sqlite3_bind_text64(statement, index, text.constData(), sqlite3_uint64(text.size()), SQLITE_TRANSIENT,
                            SQLITE_UTF8);
        break;
    }
    }
}

FieldValue columnValue(sqlite3_stmt *statement, int index)
{
    switch (sqlite3_column_type(statement, index)) {
    case SQLITE_INTEGER: return FieldValue::integer(sqlite3_column_int64(statement, index));
    case SQLITE_FLOAT: return FieldValue::real(sqlite3_column_double(statement, index));
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(statement, index));
        return FieldValue::text(QString::fromUtf8(text, sqlite3_column_bytes(statement, index)));
    }
    case SQLITE_BLOB: {
        const auto *data = static_cast<const char *>(sqlite3_column_blob(statement, index));
        return FieldValue::blob(QByteArray(data, sqlite3_column_bytes(statement, index)));
    }
    default: return FieldValue();
    }
}

QStringList columnNames(sqlite3_stmt *statement)
{
    QStringList names;
    const int count = sqlite3_column_count(statement);
    names.reserve(count);
    for (int i = 0; i < count; ++i) {
        const char *name = sqlite3_column_name(statement, i);
        QString text = QString::fromUtf8(name ? name : "");
        if (text.size() > 2 && text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')')))
            text = text.mid(1, text.size() - 2);
        names << text;
    }
    return names;
}

QString declaredType(sqlite3_stmt *statement, int index)
{
    const char *declared = sqlite3_column_decltype(statement, index);
    return QString::fromUtf8(declared ? declared : "");
}

bool isReadOnlyStatement(sqlite3_stmt *statement) { return sqlite3_stmt_readonly(statement) != 0; }

qint64 lastInsertRowId(Connection &connection) { return sqlite3_last_insert_rowid(connection.db); }

bool isIntegerType(const QString &declared) { return declared.toUpper().contains(QLatin1String("INT")); }

bool isNumberType(const QString &declared)
{
    const QString t = declared.toUpper();
    for (const char *word : {"REAL", "FLOA", "DOUB", "NUM", "DEC", "CURRENCY", "MONEY"})
        if (t.contains(QLatin1String(word)))
            return true;
    return false;
}

QString quotedIdentifier(const QString &name)
{
    QString escaped = name;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString translate(const QString &statement)
{
    static const QRegularExpression deleteStar(QStringLiteral(R"(^\s*delete\s+\*\s+from\b)"),
                                               QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression selectInto(QStringLiteral(R"(^\s*select\s+\*\s+into\s+(\S+)\s+from\b)"),
                                               QRegularExpression::CaseInsensitiveOption);
    QString result = statement;
    if (auto m = deleteStar.match(result); m.hasMatch())
        return result.replace(0, m.capturedLength(), QStringLiteral("delete from"));
    if (auto m = selectInto.match(result); m.hasMatch())
        return result.replace(0, m.capturedLength(),
                              QStringLiteral("create table %1 as select * from").arg(m.captured(1)));
    return result;
}

QStringList schemaStatements()
{
    QStringList statements;
    // 分值 is NUMERIC: a whole score is kept as an integer, so that it reads
    // and matches "like" as "5", not "5.0"; 2.5 stays a real number.
    for (const QString &type : questionTypes())
        statements << QStringLiteral("create table %1 (题号 INTEGER, 题目 TEXT, 标准答案 TEXT, "
                                     "解析 TEXT, 分值 NUMERIC, 章节 TEXT, 练习答案 TEXT)")
                          .arg(type);
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

QString handScoreTableStatement()
{
    return QStringLiteral("create table if not exists 阅卷 (考号 TEXT, 场次 TEXT, 题型 TEXT, 题号 INTEGER, "
                          "得分 NUMERIC, 阅卷时间 TEXT)");
}

QStringList indexStatements()
{
    QStringList statements;
    for (const QString &type : questionTypes()) {
        statements << QStringLiteral("create index if not exists %1_题号 on %1 (题号)").arg(type);
        // Grading looks a question's answer and score up by its number and
        // finds both in this index, without reading the question's row.
        statements << QStringLiteral("create index if not exists %1_评分 on %1 (题号, 标准答案, 分值)").arg(type);
    }
    statements << QStringLiteral("create index if not exists 图片_题型_题号 on 图片 (题型, 题号)")
               << QStringLiteral("create index if not exists 评分_题型_题号 on 评分 (题型, 题号)")
               << QStringLiteral("create index if not exists 评分_考号_场次 on 评分 (考号, 场次)")
               // The totals read every answer in candidate order from this
               // index alone; one hand score per answer.
               << QStringLiteral("create index if not exists 评分_成绩 on 评分 (考号, 场次, 姓名, 题型, 题号, 考生答案)")
               << QStringLiteral("create unique index if not exists 阅卷_考号_场次 on 阅卷 (考号, 场次, 题型, 题号)");
    return statements;
}

} // namespace kaoshi::engine
