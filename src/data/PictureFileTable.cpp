#include "data/PictureFileTable.h"

namespace kaoshi::pictureFiles {

FileStamp stampOf(DataStore &store, const QString &location)
{
    RowSet rows = store.query(QStringLiteral("select length(内容), md5(内容) from 图片文件 where 文件名=?"), {location});
    FileStamp stamp;
    if (rows.failed())
        return stamp;
    if (rows.atEnd()) {
        stamp.state = FileStamp::State::Missing;
        return stamp;
    }
    stamp.state = FileStamp::State::Stored;
    stamp.size = rows.value(1).toInteger();
    stamp.md5 = rows.value(2).toText().toLatin1();
    return stamp;
}

std::optional<QByteArray> contentOf(DataStore &store, const QString &location)
{
    RowSet rows = store.query(QStringLiteral("select 内容 from 图片文件 where 文件名=?"), {location});
    if (rows.failed() || rows.atEnd())
        return std::nullopt;
    return rows.value(1).toBytes();
}

std::optional<bool> exists(DataStore &store, const QString &location)
{
    RowSet rows = store.query(QStringLiteral("select count(*) from 图片文件 where 文件名=?"), {location});
    if (rows.failed() || rows.atEnd())
        return std::nullopt;
    return rows.value(1).toInteger() > 0;
}

bool put(DataStore &store, const QString &location, const QByteArray &bytes)
{
    return store.execute(QStringLiteral("delete from 图片文件 where 文件名=?"), {location}) &&
           store.execute(QStringLiteral("insert into 图片文件 (文件名, 内容) values (?, ?)"),
                         {location, FieldValue::blob(bytes)});
}

bool dropUnused(DataStore &store)
{
    if (!store.engine().storesPictureFiles())
        return true;
    return store.execute(QStringLiteral("delete from 图片文件 where not exists "
                                        "(select 1 from 图片 where 图片.图片 = 图片文件.文件名)"));
}

} // namespace kaoshi::pictureFiles
