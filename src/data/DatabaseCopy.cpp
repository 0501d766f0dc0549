#include "data/DatabaseCopy.h"

#include "data/PictureLocation.h"
#include "data/QuestionType.h"
#include "data/ServerSchema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <limits>

namespace kaoshi {

namespace {

// Rows read per statement, and rows written per statement.
constexpr int kReadBatch = 1000;
constexpr int kWriteBatch = 100;
constexpr int kPictureBatch = 20;

const QString kPictureFiles = QStringLiteral("图片文件");

// The tables a copy moves and their columns (the row identity apart: the
// order of the rows is kept, their identities are the target's own): the
// banks, 图片, 评分, 配置 and the hand scores of 阅卷.
QList<server::TableColumns> copiedTables()
{
    QList<server::TableColumns> tables;
    for (const server::TableColumns &table : server::requiredTables()) {
        if (!questionTypeOf(table.table) && table.table != QStringLiteral("图片") &&
            table.table != QStringLiteral("评分") && table.table != QStringLiteral("配置"))
            continue;
        tables.append(table);
    }
    tables += server::addedTables();
    for (server::TableColumns &table : tables)
        table.columns.removeAll(QStringLiteral("rowid"));
    return tables;
}

std::optional<bool> hasTable(DataStore &store, const QString &table)
{
    RowSet rows = store.query(store.engine().tableCountStatement(), {table});
    if (rows.failed() || rows.atEnd())
        return std::nullopt;
    return rows.value(1).toInteger() > 0;
}

std::optional<qint64> rowCount(DataStore &store, const QString &table)
{
    RowSet rows = store.query(QStringLiteral("select count(*) from ") + table);
    if (rows.failed() || rows.atEnd())
        return std::nullopt;
    return rows.value(1).toInteger();
}

QString insertStatement(const server::TableColumns &table, int rows)
{
    QString one = QStringLiteral("(") + QString(table.columns.size() * 2 - 1, QLatin1Char('?')) + QLatin1Char(')');
    for (qsizetype i = 2; i < one.size() - 1; i += 2)
        one[i] = QLatin1Char(',');
    QStringList tuples;
    for (int i = 0; i < rows; ++i)
        tuples << one;
    return QStringLiteral("insert into %1 (%2) values ").arg(table.table, table.columns.join(QLatin1Char(','))) +
           tuples.join(QLatin1Char(','));
}

class Copier
{
public:
    Copier(const CopySide &from, const CopySide &to, const CopyProgress &progress, const CopyStop &stop)
        : m_from(from), m_to(to), m_progress(progress), m_stop(stop)
    {
    }

    CopyResult run(bool replace);

private:
    bool findAddedTables();
    static bool lacks(const QStringList &tables, const QString &table) { return tables.contains(table); }
    bool countSource();
    bool targetHoldsData(bool &holds);
    bool emptyTarget();
    bool copyTable(const server::TableColumns &table);
    bool writeRows(const server::TableColumns &table, const Values &values, int rows);
    bool copyPictureFiles();
    bool copyFilesToServer();
    bool copyServerToFiles();
    bool writePictureFile(const QString &path, const QString &location, const QByteArray &bytes);
    bool compareCounts();
    // false when the user stopped the copy.
    bool advance(qint64 by)
    {
        m_done += by;
        if (m_progress)
            m_progress(m_done, m_total);
        if (m_stop && m_stop()) {
            m_result.outcome = CopyResult::Outcome::Stopped;
            m_result.error = {1, QStringLiteral("复制已停止")};
            return false;
        }
        return true;
    }
    bool failOn(DataStore &store, const QString &what)
    {
        m_result.error = store.lastError();
        m_result.error.message = what + QStringLiteral("：") + m_result.error.message;
        return false;
    }

    const CopySide &m_from;
    const CopySide &m_to;
    const CopyProgress &m_progress;
    const CopyStop &m_stop;
    QList<server::TableColumns> m_tables = copiedTables();
    // Tables that databases of earlier versions lack, where they are missing.
    QStringList m_sourceLacks;
    QStringList m_targetLacks;
    QStringList m_sourcePictures; // locations of the picture files to copy
    qint64 m_total = 0;
    qint64 m_done = 0;
    qint64 m_picturesCopied = 0;
    CopyResult m_result;
};

CopyResult Copier::run(bool replace)
{
    if (!findAddedTables() || !countSource())
        return m_result;
    Transaction unit(m_to.store);
    if (!unit.isOpen()) {
        failOn(m_to.store, QStringLiteral("没能开始复制"));
        return m_result;
    }
    bool holds = false;
    if (!targetHoldsData(holds))
        return m_result;
    if (holds && !replace) {
        m_result.outcome = CopyResult::Outcome::TargetHoldsData;
        return m_result;
    }
    if (!emptyTarget())
        return m_result;
    for (const server::TableColumns &table : m_tables)
        if (!copyTable(table))
            return m_result;
    if (!copyPictureFiles() || !compareCounts())
        return m_result;
    if (!unit.commit()) {
        failOn(m_to.store, QStringLiteral("没能保存复制的数据"));
        return m_result;
    }
    m_result.outcome = CopyResult::Outcome::Done;
    return m_result;
}

// A table of hand scores may be missing on a side of an earlier version that
// could not be given one (a read-only file or user): a source without it has
// none of its rows, and a target without it takes a copy only when there are
// none to take.
bool Copier::findAddedTables()
{
    for (const server::TableColumns &table : server::addedTables()) {
        for (auto [side, lacking] : {std::pair{&m_from, &m_sourceLacks}, std::pair{&m_to, &m_targetLacks}}) {
            const std::optional<bool> has = hasTable(side->store, table.table);
            if (!has)
                return failOn(side->store, QStringLiteral("没能读出表 %1").arg(table.table));
            if (!*has)
                *lacking << table.table;
        }
    }
    return true;
}

bool Copier::countSource()
{
    for (const server::TableColumns &table : m_tables) {
        const std::optional<qint64> count =
            lacks(m_sourceLacks, table.table) ? std::optional<qint64>(0) : rowCount(m_from.store, table.table);
        if (!count)
            return failOn(m_from.store, QStringLiteral("没能读出表 %1").arg(table.table));
        if (*count > 0 && lacks(m_targetLacks, table.table)) {
            m_result.error = {1, QStringLiteral("目标数据库没有表 %1，存不下它的 %2 行").arg(table.table).arg(*count)};
            return false;
        }
        m_result.counts.append({table.table, *count, 0});
        m_total += *count;
    }
    if (m_from.keepsPictureFiles()) {
        const std::optional<qint64> count = rowCount(m_from.store, kPictureFiles);
        if (!count)
            return failOn(m_from.store, QStringLiteral("没能读出图片文件"));
        m_result.counts.append({kPictureFiles, *count, 0});
        m_total += *count;
        return true;
    }
    const std::optional<QStringList> locations =
        firstColumnTexts(m_from.store.query(QStringLiteral("select distinct 图片 from 图片 order by 图片")));
    if (!locations)
        return failOn(m_from.store, QStringLiteral("没能读出图片"));
    for (const QString &location : *locations) {
        const QString file = pictureFile(m_from.programDir, location);
        if (!file.isEmpty() && QFileInfo(file).isFile())
            m_sourcePictures << location;
        else if (!location.isEmpty())
            m_result.missingPictures << location;
    }
    m_result.counts.append({kPictureFiles, qint64(m_sourcePictures.size()), 0});
    m_total += m_sourcePictures.size();
    return true;
}

bool Copier::targetHoldsData(bool &holds)
{
    QStringList tables;
    for (QuestionType kind : allQuestionTypes())
        tables << tableName(kind);
    tables << QStringLiteral("图片") << QStringLiteral("评分");
    if (m_to.keepsPictureFiles())
        tables << kPictureFiles;
    for (const QString &table : tables) {
        const std::optional<qint64> count = rowCount(m_to.store, table);
        if (!count)
            return failOn(m_to.store, QStringLiteral("没能读出表 %1").arg(table));
        holds = holds || *count > 0;
    }
    return true;
}

bool Copier::emptyTarget()
{
    QStringList tables;
    for (const server::TableColumns &table : m_tables)
        if (!lacks(m_targetLacks, table.table))
            tables << table.table;
    if (m_to.keepsPictureFiles())
        tables << kPictureFiles;
    for (const QString &table : tables)
        if (!m_to.store.execute(QStringLiteral("delete from ") + table))
            return failOn(m_to.store, QStringLiteral("没能清空表 %1").arg(table));
    return true;
}

bool Copier::copyTable(const server::TableColumns &table)
{
    if (lacks(m_sourceLacks, table.table) || lacks(m_targetLacks, table.table))
        return true; // no rows to copy (see countSource)
    const QString select = QStringLiteral("select rowid, %1 from %2 where rowid > ? order by rowid limit %3")
                               .arg(table.columns.join(QLatin1Char(',')), table.table)
                               .arg(kReadBatch);
    qint64 after = std::numeric_limits<qint64>::min();
    for (;;) {
        RowSet rows = m_from.store.query(select, {after});
        Values batch;
        int inBatch = 0;
        int read = 0;
        for (; !rows.atEnd(); rows.next()) {
            after = rows.value(1).toInteger();
            for (int c = 0; c < table.columns.size(); ++c)
                batch << rows.value(c + 2);
            ++read;
            if (++inBatch == kWriteBatch) {
                if (!writeRows(table, batch, inBatch))
                    return false;
                batch.clear();
                inBatch = 0;
            }
        }
        if (rows.failed())
            return failOn(m_from.store, QStringLiteral("没能读出表 %1").arg(table.table));
        if (inBatch > 0 && !writeRows(table, batch, inBatch))
            return false;
        if (read < kReadBatch)
            return true;
    }
}

bool Copier::writeRows(const server::TableColumns &table, const Values &values, int rows)
{
    if (!m_to.store.execute(insertStatement(table, rows), values))
        return failOn(m_to.store, QStringLiteral("没能写入表 %1").arg(table.table));
    return advance(rows);
}

bool Copier::copyPictureFiles()
{
    if (m_from.keepsPictureFiles() == m_to.keepsPictureFiles()) {
        // The same kind on both sides: nothing to move.
        return advance(m_result.counts.constLast().source);
    }
    return m_to.keepsPictureFiles() ? copyFilesToServer() : copyServerToFiles();
}

bool Copier::copyFilesToServer()
{
    for (const QString &location : std::as_const(m_sourcePictures)) {
        QFile file(pictureFile(m_from.programDir, location));
        if (!file.open(QIODevice::ReadOnly)) {
            m_result.error = {1, QStringLiteral("没能读出图片文件 %1：%2").arg(location, file.errorString())};
            return false;
        }
        if (!m_to.store.execute(QStringLiteral("insert into 图片文件 (文件名, 内容) values (?, ?)"),
                                {location, FieldValue::blob(file.readAll())}))
            return failOn(m_to.store, QStringLiteral("没能写入图片文件 %1").arg(location));
        ++m_picturesCopied;
        if (!advance(1))
            return false;
    }
    return true;
}

bool Copier::copyServerToFiles()
{
    QString after;
    for (;;) {
        RowSet rows = m_from.store.query(
            QStringLiteral("select 文件名, 内容 from 图片文件 where 文件名 > ? order by 文件名 limit %1").arg(kPictureBatch),
            {after});
        int read = 0;
        for (; !rows.atEnd(); rows.next(), ++read) {
            after = rows.value(1).toText();
            const QString path = pictureFile(m_to.programDir, after);
            if (path.isEmpty()) {
                m_result.missingPictures << after; // a location outside the folder image is never written
                continue;
            }
            if (!writePictureFile(path, after, rows.value(2).toBytes()))
                return false;
            ++m_picturesCopied;
            if (!advance(1))
                return false;
        }
        if (rows.failed())
            return failOn(m_from.store, QStringLiteral("没能读出图片文件"));
        if (read < kPictureBatch)
            return true;
    }
}

bool Copier::writePictureFile(const QString &path, const QString &location, const QByteArray &bytes)
{
    // A file already there is never replaced: the same bytes count as copied.
    if (QFileInfo(path).exists()) {
        QFile existing(path);
        if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes)
            return true;
        m_result.error = {1, QStringLiteral("图片文件 %1 已经存在，内容不同").arg(location)};
        return false;
    }
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) < 0 || !file.commit()) {
        m_result.error = {1, QStringLiteral("没能写出图片文件 %1：%2").arg(location, file.errorString())};
        return false;
    }
    return true;
}

bool Copier::compareCounts()
{
    for (CopyCount &count : m_result.counts) {
        if (count.table == kPictureFiles) {
            count.target = m_from.keepsPictureFiles() == m_to.keepsPictureFiles() ? count.source : m_picturesCopied;
            if (m_from.keepsPictureFiles() && !m_to.keepsPictureFiles())
                count.source -= m_result.missingPictures.size();
        } else {
            const std::optional<qint64> target = lacks(m_targetLacks, count.table)
                                                     ? std::optional<qint64>(0)
                                                     : rowCount(m_to.store, count.table);
            if (!target)
                return failOn(m_to.store, QStringLiteral("没能读出表 %1").arg(count.table));
            count.target = *target;
        }
        if (count.target != count.source) {
            m_result.error = {1, QStringLiteral("表 %1 复制后的行数 %2 与原来的 %3 不同")
                                     .arg(count.table)
                                     .arg(count.target)
                                     .arg(count.source)};
            return false;
        }
    }
    return true;
}

} // namespace

CopyResult copyDatabase(const CopySide &from, const CopySide &to, bool replace, const CopyProgress &progress,
                        const CopyStop &stop)
{
    return Copier(from, to, progress, stop).run(replace);
}

QString copyCountsText(const CopyResult &result)
{
    QStringList lines;
    for (const CopyCount &count : result.counts)
        lines << QStringLiteral("%1：%2 → %3").arg(count.table).arg(count.source).arg(count.target);
    return lines.join(QLatin1Char('\n'));
}

} // namespace kaoshi
