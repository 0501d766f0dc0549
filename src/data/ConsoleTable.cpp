#include "data/ConsoleTable.h"

#include "data/DataStore.h"

namespace kaoshi {

namespace {

// Answered and drawn questions per candidate of the occasion in one table of
// answers. The join starts from the seats, so that the answers are reached
// through their (考号, 场次) index and a large 评分 is never scanned.
QString answerCounts(const QString &answers)
{
    return QStringLiteral("(select k.考号, count(*) as 总数, sum(case when a.考生答案 <> '' then 1 else 0 end) as 已答 "
                          "from 考场座位 k join %1 a on a.考号 = k.考号 and a.场次 = k.场次 "
                          "where k.场次 = ? group by k.考号)")
        .arg(answers);
}

QString seatStatement(DataStore &store)
{
    return QStringLiteral("select s.考号, s.场次, s.姓名, s.座位, s.开始, s.截止, s.心跳, s.状态, s.收卷请求, s.消息, "
                          "coalesce(p.已答, g.已答, 0), coalesce(p.总数, g.总数, 0), %1 from 考场座位 s "
                          "left join %2 p on p.考号 = s.考号 left join %3 g on g.考号 = s.考号 "
                          "where s.场次 = ? order by s.考号")
        .arg(store.engine().nowMillisecondsExpression(), answerCounts(QStringLiteral("答卷")),
             answerCounts(QStringLiteral("评分")));
}

} // namespace

RoomListing readConsoleRoom(DataStore &store, const QString &occasion)
{
    RoomListing listing;
    RowSet rows = store.query(seatStatement(store), {occasion, occasion, occasion});
    for (; !rows.atEnd(); rows.next()) {
        RoomSeat seat = seatOf(rows);
        seat.answered = int(rows.value(11).toInteger());
        seat.total = int(rows.value(12).toInteger());
        listing.now = rows.value(13).toInteger();
        listing.seats.push_back(std::move(seat));
    }
    listing.failed = rows.failed();
    if (!listing.failed && listing.seats.empty()) {
        const std::optional<qint64> now = serverNow(store);
        listing.failed = !now;
        listing.now = now.value_or(0);
    }
    return listing;
}

std::optional<QStringList> consoleOccasions(DataStore &store)
{
    return firstColumnTexts(store.query(QStringLiteral("select distinct 场次 from 考场座位 order by 场次 desc")));
}

} // namespace kaoshi
