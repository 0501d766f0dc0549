#include "data/PictureTable.h"

#include "data/TextRules.h"

namespace kaoshi::pictures {

std::optional<QList<PictureRecord>> load(DataStore &store, QuestionType type, const FieldValue &number)
{
    QList<PictureRecord> records;
    RowSet rows = store.query(QStringLiteral("select 摘要, 图片 from 图片 where 题型=? and 题号=? order by ") +
                                  store.engine().rowIdColumn(),
                              {typeValue(type), number});
    for (; !rows.atEnd(); rows.next())
        records.append({rows.value(1).toText(), rows.value(2).toText()});
    if (rows.failed())
        return std::nullopt;
    return records;
}

std::optional<std::vector<PartPicture>> loadOfParts(DataStore &store, const PartNumbers &parts)
{
    std::vector<PartPicture> found;
    const QString rowId = store.engine().rowIdColumn();
    const auto selectOf = [&rowId](const PartPiece &piece, Values &values) {
        values.append(typeValue(piece.type));
        return QStringLiteral("select %1, %2, 题号, 摘要, 图片 from 图片 where 题型=? and 题号 in (")
                   .arg(typeIndex(piece.type))
                   .arg(rowId) +
               placeholders(qsizetype(piece.numbers.size())) + QLatin1Char(')');
    };
    const auto readRow = [&found](const RowSet &row) {
        found.push_back({typeAt(int(row.value(1).toInteger())).value_or(QuestionType::SingleChoice),
                         row.value(3).toInteger(),
                         {row.value(4).toText(), row.value(5).toText()}});
    };
    if (!readPartRows(store, parts, selectOf, QStringLiteral("1, 2"), readRow))
        return std::nullopt;
    return found;
}

bool insert(DataStore &store, QuestionType type, const FieldValue &number, const QList<PictureRecord> &records)
{
    for (const PictureRecord &picture : records)
        if (!store.execute(QStringLiteral("insert into 图片 (题型, 题号, 摘要, 图片) values (?, ?, ?, ?)"),
                           {typeValue(type), number, trimSpaces(picture.summary), trimSpaces(picture.location)}))
            return false;
    return true;
}

bool removeOfQuestion(DataStore &store, QuestionType type, const FieldValue &number)
{
    return store.execute(QStringLiteral("delete from 图片 where 题型=? and 题号=?"), {typeValue(type), number});
}

bool removeOfBank(DataStore &store, QuestionType type)
{
    return store.execute(QStringLiteral("delete from 图片 where 题型=?"), {typeValue(type)});
}

bool closeGapAfter(DataStore &store, QuestionType type, qint64 number)
{
    return store.execute(QStringLiteral("update 图片 set 题号=题号-1 where 题型=? and 题号>?"), {typeValue(type), number});
}

std::optional<qint64> usesOfLocation(DataStore &store, const QString &location, const std::optional<QuestionRef> &except)
{
    RowSet rows = !except ? store.query(QStringLiteral("select count(*) from 图片 where 图片=?"), {location})
                          : store.query(QStringLiteral("select count(*) from 图片 where 图片=? and not (题型=? and 题号=?)"),
                                        {location, typeValue(except->type), except->number});
    if (rows.failed() || rows.atEnd())
        return std::nullopt;
    return rows.value(1).toInteger();
}

} // namespace kaoshi::pictures
