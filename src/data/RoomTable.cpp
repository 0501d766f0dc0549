#include "data/RoomTable.h"

#include "data/DataStore.h"

#include <QRandomGenerator>
#include <QStringList>
#include <algorithm>

namespace kaoshi {

namespace {

const QString kSeatColumns =
    QStringLiteral("考号,场次,姓名,座位,开始,截止,心跳,状态,收卷请求,消息");
// The row is held by this seat's claim: 座位, then 凭据 bound ("" matches a
// row made before claims existed).
const QString kHeldBy = QStringLiteral("座位=? and coalesce(凭据,'')=?");

} // namespace

RoomSeat seatOf(const RowSet &row)
{
    RoomSeat seat;
    seat.number = row.value(1).toText();
    seat.occasion = row.value(2).toText();
    seat.name = row.value(3).toText();
    seat.seat = row.value(4).toText();
    seat.start = row.value(5).toInteger();
    seat.deadline = row.value(6).toInteger();
    seat.heartbeat = row.value(7).toInteger();
    seat.state = row.value(8).toText();
    seat.collectRequested = row.value(9).toInteger() != 0;
    seat.message = row.value(10).toText();
    return seat;
}

namespace {

QString orderText(const QList<int> &order)
{
    QStringList parts;
    for (int i : order)
        parts << QString::number(i);
    return parts.join(u',');
}

QList<int> orderOf(const QString &text)
{
    QList<int> order;
    if (text.isEmpty())
        return order;
    for (const QString &part : text.split(u',')) {
        bool ok = false;
        const int value = part.toInt(&ok);
        if (!ok)
            return {};
        order << value;
    }
    return order;
}

// Counts of the questions and answers per 考号 of a 场次, from a table with
// 考号, 场次 and 考生答案.
bool addCounts(DataStore &store, const QString &table, const QString &occasion, std::vector<RoomSeat> &seats,
               bool onlyMissing)
{
    RowSet rows = store.query(QStringLiteral("select 考号, count(*), sum(case when 考生答案 <> '' then 1 else 0 end) "
                                             "from %1 where 场次=? group by 考号")
                                  .arg(table),
                              {occasion});
    for (; !rows.atEnd(); rows.next()) {
        const QString number = rows.value(1).toText();
        for (RoomSeat &seat : seats)
            if (seat.number == number && (!onlyMissing || seat.total == 0)) {
                seat.total = int(rows.value(2).toInteger());
                seat.answered = int(rows.value(3).toInteger());
            }
    }
    return !rows.failed();
}

SeatClaim failedClaim() { return {}; }

SeatClaim claimWith(ClaimOutcome outcome, DataStore &store, const PaperOwner &owner, qint64 now)
{
    SeatClaim claim;
    const SeatLookup found = findSeat(store, owner.number, owner.occasion);
    if (found.failed || !found.seat)
        return failedClaim();
    claim.outcome = outcome;
    claim.seat = *found.seat;
    claim.now = now;
    return claim;
}

// A new sitting on a row that holds a handed-in paper whose answers are gone
// from 评分 (the teacher cleared them so that the candidate sits again).
bool restartSitting(DataStore &store, const PaperOwner &owner, const SeatHolder &seat, qint64 now, qint64 deadline)
{
    return store.execute(QStringLiteral("update 考场座位 set 姓名=?, 座位=?, 凭据=?, 开始=?, 截止=?, 心跳=?, 状态=?, "
                                        "收卷请求=0, 消息='' where 考号=? and 场次=? and 状态=?"),
                         {owner.name, seat.seat, seat.claim, now, deadline, now, kSeatAnswering, owner.number,
                          owner.occasion, kSeatHandedIn}) &&
           store.changes() == 1;
}

// The paper goes on under claim at seat, a row held by held before (the
// same claim again, a released seat, a row made before claims existed);
// false in changes when another seat moved it meanwhile.
bool resumeSitting(DataStore &store, const PaperOwner &owner, const SeatHolder &seat, const RoomSeat &held,
                   qint64 now)
{
    return store.execute(QStringLiteral("update 考场座位 set 座位=?, 凭据=?, 心跳=? where 考号=? and 场次=? and ") +
                             kHeldBy,
                         {seat.seat, seat.claim, now, owner.number, owner.occasion, held.seat, held.claim});
}

// Whether a seat that kept claim may go on with the paper held as held.
bool mayResume(const RoomSeat &held, const SeatHolder &seat)
{
    // A seat the invigilator released is free for anyone.
    if (held.seat.isEmpty())
        return true;
    // A row made before claims existed knows the seat by its name only.
    if (held.claim.isEmpty())
        return held.seat == seat.seat;
    return held.claim == seat.claim;
}

// Makes 凭据 in a 考场座位 made before it. The column is asked for by name, so
// that no statement a connection keeps prepared changes its columns.
bool ensureClaimColumn(DataStore &store)
{
    if (!store.query(QStringLiteral("select 凭据 from 考场座位 where 1=0")).failed())
        return true;
    return store.execute(QStringLiteral("alter table 考场座位 add column 凭据 %1").arg(store.engine().textType()));
}

// The log's 事件 of a hand-in.
QString handInEventText(const QString &why) { return why.isEmpty() ? QStringLiteral("交卷") : why; }

} // namespace

QString newSeatClaim()
{
    quint32 bits[4];
    QRandomGenerator::system()->fillRange(bits);
    QString claim;
    for (quint32 part : bits)
        claim += QStringLiteral("%1").arg(part, 8, 16, QLatin1Char('0'));
    return claim;
}

bool ensureRoomTables(DataStore &store)
{
    if (indexesPresent(store, {QStringLiteral("考场座位_考号_场次"), QStringLiteral("考场座位_场次"), QStringLiteral("考场日志_场次"),
                               QStringLiteral("答卷顺序_考号_场次_序号")}))
        return ensureClaimColumn(store);
    const QString text = store.engine().textType();
    const QString integer = store.engine().integerType();
    const QString rowId = store.engine().rowIdDeclaration();
    Transaction unit(store);
    return unit.isOpen() &&
           store.execute(QStringLiteral("create table if not exists 考场座位 (考号 %1, 场次 %1, 姓名 %1, 座位 %1, "
                                        "开始 %2, 截止 %2, 心跳 %2, 状态 %1, 收卷请求 %2, 消息 %1, 凭据 %1)")
                             .arg(text, integer)) &&
           store.execute(QStringLiteral("create unique index if not exists 考场座位_考号_场次 on 考场座位 (考号, 场次)")) &&
           store.execute(QStringLiteral("create index if not exists 考场座位_场次 on 考场座位 (场次)")) &&
           store.execute(QStringLiteral("create table if not exists 考场日志 (%3时间 %2, 座位 %1, 考号 %1, 场次 %1, "
                                        "操作者 %1, 事件 %1)")
                             .arg(text, integer, rowId)) &&
           store.execute(QStringLiteral("create index if not exists 考场日志_场次 on 考场日志 (场次)")) &&
           store.execute(QStringLiteral("create table if not exists 答卷顺序 (考号 %1, 场次 %1, 序号 %2, 选项顺序 %1)")
                             .arg(text, integer)) &&
           store.execute(
               QStringLiteral("create unique index if not exists 答卷顺序_考号_场次_序号 on 答卷顺序 (考号, 场次, 序号)")) &&
           unit.commit() && ensureClaimColumn(store);
}

std::optional<qint64> serverNow(DataStore &store)
{
    RowSet row = store.query(QStringLiteral("select ") + store.engine().nowMillisecondsExpression());
    if (row.failed() || row.atEnd())
        return std::nullopt;
    return row.value(1).toInteger();
}

bool logRoomEvent(DataStore &store, const RoomEvent &event)
{
    return store.execute(QStringLiteral("insert into 考场日志 (时间,座位,考号,场次,操作者,事件) values (%1,?,?,?,?,?)")
                             .arg(store.engine().nowMillisecondsExpression()),
                         {event.seat, event.number, event.occasion, event.who, event.what});
}

bool seatIsSilent(const RoomSeat &seat, qint64 now, qint64 silentAfterMs)
{
    return seat.state == kSeatAnswering && now - seat.heartbeat >= silentAfterMs;
}

qint64 seatSecondsLeft(const RoomSeat &seat, qint64 now)
{
    if (seat.deadline < 0)
        return -1;
    const qint64 left = seat.deadline - now;
    return left <= 0 ? 0 : (left + 999) / 1000;
}

RoomListing readRoom(DataStore &store, const QString &occasion)
{
    RoomListing listing;
    const std::optional<qint64> now = serverNow(store);
    RowSet rows = store.query(QStringLiteral("select %1 from 考场座位 where 场次=? order by 考号").arg(kSeatColumns),
                              {occasion});
    for (; !rows.atEnd(); rows.next())
        listing.seats.push_back(seatOf(rows));
    listing.failed = !now || rows.failed() || !addCounts(store, QStringLiteral("答卷"), occasion, listing.seats, false) ||
                     !addCounts(store, QStringLiteral("评分"), occasion, listing.seats, true);
    listing.now = now.value_or(0);
    return listing;
}

SeatLookup findSeat(DataStore &store, const QString &number, const QString &occasion)
{
    SeatLookup lookup;
    RowSet row = store.query(QStringLiteral("select %1,coalesce(凭据,'') from 考场座位 where 考号=? and 场次=?").arg(kSeatColumns),
                             {number, occasion});
    if (row.failed()) {
        lookup.failed = true;
    } else if (!row.atEnd()) {
        lookup.seat = seatOf(row);
        lookup.seat->claim = row.value(11).toText();
    }
    return lookup;
}

std::optional<std::vector<RoomLogEntry>> readRoomLog(DataStore &store, const QString &occasion)
{
    const QString order = store.engine().rowIdColumn();
    RowSet rows = occasion.isEmpty()
                      ? store.query(QStringLiteral("select 时间,座位,考号,场次,操作者,事件 from 考场日志 order by %1").arg(order))
                      : store.query(QStringLiteral("select 时间,座位,考号,场次,操作者,事件 from 考场日志 where 场次=? "
                                                   "order by %1")
                                        .arg(order),
                                    {occasion});
    std::vector<RoomLogEntry> entries;
    for (; !rows.atEnd(); rows.next())
        entries.push_back({rows.value(1).toInteger(), rows.value(2).toText(), rows.value(3).toText(),
                           rows.value(4).toText(), rows.value(5).toText(), rows.value(6).toText()});
    if (rows.failed())
        return std::nullopt;
    return entries;
}

SeatClaim claimSeat(DataStore &store, const PaperOwner &owner, const SeatHolder &seat, qint64 limitSeconds,
                    qint64 silentAfterMs)
{
    Transaction unit(store);
    if (!unit.isOpen())
        return failedClaim();
    const QString now = store.engine().nowMillisecondsExpression();
    const SeatHolder fresh{seat.seat, newSeatClaim()};
    // The insert is the claim, and the first statement of the unit: the
    // unique index lets one seat make the row; every other waits for it and
    // then finds the row there. A paper kept before rooms existed has no row
    // yet: it goes on with the time it had left, not a new time limit.
    if (!store.execute(QStringLiteral("insert into 考场座位 (%1,凭据) values (?,?,?,?,%2,coalesce((select case when t.剩余秒数 < 0 "
                                      "then -1 else %2 + t.剩余秒数 * 1000 end from 答卷计时 t where t.考号=? and t.场次=? and "
                                      "exists (select 1 from 答卷 a where a.考号=t.考号 and a.场次=t.场次) limit 1),"
                                      "case when ? < 0 then -1 else %2 + ? end),%2,?,0,'',?) "
                                      "on conflict (考号, 场次) do nothing")
                           .arg(kSeatColumns, now),
                       {owner.number, owner.occasion, owner.name, seat.seat, owner.number, owner.occasion,
                        limitSeconds, limitSeconds * 1000, kSeatAnswering, fresh.claim}))
        return failedClaim();
    ClaimOutcome outcome = ClaimOutcome::Claimed;
    QString event = QStringLiteral("登录");
    bool sameClaim = seat.claim.isEmpty();
    if (store.changes() == 0) {
        const SeatLookup found = findSeat(store, owner.number, owner.occasion);
        const std::optional<qint64> time = serverNow(store);
        if (found.failed || !found.seat || !time)
            return failedClaim();
        const RoomSeat &held = *found.seat;
        if (held.state == kSeatHandedIn) {
            const std::optional<qint64> graded = answerCount(store, owner.number, owner.occasion);
            if (!graded)
                return failedClaim();
            if (*graded > 0)
                return {ClaimOutcome::HandedIn, held, *time};
            const qint64 deadline = limitSeconds < 0 ? -1 : *time + limitSeconds * 1000;
            if (!restartSitting(store, owner, fresh, *time, deadline))
                return failedClaim();
            sameClaim = false;
        } else if (mayResume(held, seat)) {
            // The same claim again (the program restarted in its folder), or
            // a seat the invigilator released: the paper goes on here, under
            // a new claim unless this one still holds it.
            const bool same = !held.claim.isEmpty() && held.claim == seat.claim;
            if (!resumeSitting(store, owner, same ? seat : fresh, held, *time))
                return failedClaim();
            sameClaim = held.claim == seat.claim;
            if (store.changes() != 1)
                return claimWith(ClaimOutcome::Busy, store, owner, *time);
            outcome = ClaimOutcome::Resumed;
            event = QStringLiteral("继续登录");
        } else {
            return {seatIsSilent(held, *time, silentAfterMs) ? ClaimOutcome::Silent : ClaimOutcome::Busy, held, *time};
        }
    }
    if (!logRoomEvent(store, {seat.seat, owner.number, owner.occasion, owner.number, event}))
        return failedClaim();
    const SeatLookup claimed = findSeat(store, owner.number, owner.occasion);
    if (claimed.failed || !claimed.seat || !unit.commit())
        return failedClaim();
    return {outcome, *claimed.seat, claimed.seat->heartbeat, sameClaim};
}

SeatClaim takeOverSeat(DataStore &store, const PaperOwner &owner, const QString &seat, const SeatHolder &silent,
                       qint64 silentAfterMs)
{
    Transaction unit(store);
    if (!unit.isOpen())
        return failedClaim();
    const QString now = store.engine().nowMillisecondsExpression();
    // Only while the other claim is still silent: a seat that came back keeps
    // its paper, and of two seats taking over at once one moves it.
    if (!store.execute(QStringLiteral("update 考场座位 set 座位=?, 凭据=?, 心跳=%1 where 考号=? and 场次=? and %2 and "
                                      "心跳 <= %1 - ? and 状态=?")
                           .arg(now, kHeldBy),
                       {seat, newSeatClaim(), owner.number, owner.occasion, silent.seat, silent.claim, silentAfterMs,
                        kSeatAnswering}))
        return failedClaim();
    if (store.changes() != 1) {
        const std::optional<qint64> time = serverNow(store);
        return time ? claimWith(ClaimOutcome::Busy, store, owner, *time) : failedClaim();
    }
    if (!logRoomEvent(store, {seat, owner.number, owner.occasion, owner.number,
                              QStringLiteral("接管（原座位 %1）").arg(silent.seat)}))
        return failedClaim();
    const SeatLookup claimed = findSeat(store, owner.number, owner.occasion);
    if (claimed.failed || !claimed.seat || !unit.commit())
        return failedClaim();
    return {ClaimOutcome::TakenOver, *claimed.seat, claimed.seat->heartbeat};
}

bool withdrawClaim(DataStore &store, const PaperOwner &owner, const SeatHolder &holder)
{
    Transaction unit(store);
    if (!unit.isOpen() ||
        !store.execute(QStringLiteral("delete from 考场座位 where 考号=? and 场次=? and %1 and 状态=? and not exists "
                                      "(select 1 from 答卷计时 where 考号=? and 场次=?)")
                           .arg(kHeldBy),
                       {owner.number, owner.occasion, holder.seat, holder.claim, kSeatAnswering, owner.number,
                        owner.occasion}))
        return false;
    // Nothing to give up when the row went on elsewhere meanwhile.
    if (store.changes() == 0)
        return unit.commit();
    return logRoomEvent(store, {holder.seat, owner.number, owner.occasion, owner.number,
                                QStringLiteral("没有抽到题目，考试没有开始")}) &&
           unit.commit();
}

Heartbeat beat(DataStore &store, const PaperOwner &owner, const SeatHolder &seat)
{
    Heartbeat reply;
    const std::optional<qint64> now = serverNow(store);
    if (!now)
        return reply;
    if (!store.execute(QStringLiteral("update 考场座位 set 心跳=? where 考号=? and 场次=? and %1 and 状态=?").arg(kHeldBy),
                       {*now, owner.number, owner.occasion, seat.seat, seat.claim, kSeatAnswering}))
        return reply;
    const SeatLookup found = findSeat(store, owner.number, owner.occasion);
    if (found.failed)
        return reply;
    reply.now = *now;
    if (!found.seat) {
        reply.outcome = BeatOutcome::Released;
        return reply;
    }
    reply.seat = *found.seat;
    if (reply.seat.state == kSeatHandedIn)
        reply.outcome = BeatOutcome::HandedIn;
    else if (reply.seat.seat.isEmpty())
        reply.outcome = BeatOutcome::Released;
    else if (reply.seat.seat != seat.seat || reply.seat.claim != seat.claim)
        reply.outcome = BeatOutcome::Moved;
    else
        reply.outcome = BeatOutcome::Sitting;
    return reply;
}

std::optional<bool> seatHoldsPaper(DataStore &store, const PaperOwner &owner, const SeatHolder &seat)
{
    if (!store.execute(QStringLiteral("update 考场座位 set 心跳=心跳 where 考号=? and 场次=? and %1 and 状态=?").arg(kHeldBy),
                       {owner.number, owner.occasion, seat.seat, seat.claim, kSeatAnswering}))
        return std::nullopt;
    return store.changes() == 1;
}

AnswersOutcome keepSeatAnswers(DataStore &store, const PaperOwner &owner, const SeatHolder &seat,
                               const std::vector<std::pair<int, QString>> &answers)
{
    Transaction unit(store);
    if (!unit.isOpen())
        return AnswersOutcome::Failed;
    const std::optional<bool> holds = seatHoldsPaper(store, owner, seat);
    if (!holds)
        return AnswersOutcome::Failed;
    if (!*holds)
        return AnswersOutcome::NotKept;
    const AnswersOutcome outcome = keepPaperAnswers(store, owner, answers);
    if (outcome != AnswersOutcome::Kept)
        return outcome;
    return unit.commit() ? AnswersOutcome::Kept : AnswersOutcome::Failed;
}

HandInOutcome handInSeatPaper(DataStore &store, const PaperOwner &owner, const std::vector<PaperItem> &items,
                              const SeatHolder &seat, const QString &who, const QString &why)
{
    Transaction unit(store);
    if (!unit.isOpen())
        return HandInOutcome::Failed;
    // Only the seat that sits the paper hands it in.
    const std::optional<bool> holds = seatHoldsPaper(store, owner, seat);
    if (!holds)
        return HandInOutcome::Failed;
    if (!*holds)
        return HandInOutcome::NotKept;
    const HandInOutcome outcome = handInPaper(store, owner, items);
    if (outcome != HandInOutcome::HandedIn)
        return outcome;
    const bool done =
        store.execute(QStringLiteral("delete from 答卷顺序 where 考号=? and 场次=?"), {owner.number, owner.occasion}) &&
        store.execute(QStringLiteral("update 考场座位 set 状态=?, 收卷请求=0 where 考号=? and 场次=?"),
                      {kSeatHandedIn, owner.number, owner.occasion}) &&
        logRoomEvent(store, {seat.seat, owner.number, owner.occasion, who, handInEventText(why)}) && unit.commit();
    return done ? HandInOutcome::HandedIn : HandInOutcome::Failed;
}

std::optional<bool> seatHandedIn(DataStore &store, const PaperOwner &owner, const SeatHolder &seat,
                                 const QString &why)
{
    // A hand-in keeps the row's claim: another seat of the same name that
    // handed the paper in left a claim of its own there.
    RowSet row = store.query(QStringLiteral("select count(*) from 考场日志 where 考号=? and 场次=? and 座位=? and 操作者=? "
                                            "and 事件=? and 时间 >= (select 开始 from 考场座位 where 考号=? and 场次=? "
                                            "and coalesce(凭据,'')=?)"),
                             {owner.number, owner.occasion, seat.seat, owner.number, handInEventText(why), owner.number,
                              owner.occasion, seat.claim});
    if (row.failed() || row.atEnd())
        return std::nullopt;
    return row.value(1).toInteger() > 0;
}

HandInOutcome handInKeptPaper(DataStore &store, const PaperOwner &owner, const QString &who, const QString &why)
{
    // The paper is read inside the unit that hands it in, after its rows are
    // locked: an answer a seat keeps at the same moment is either in what is
    // read or waits and then finds the paper handed in, never left out.
    Transaction unit(store);
    if (!unit.isOpen())
        return HandInOutcome::Failed;
    if (!store.execute(QStringLiteral("update 答卷 set 考生答案=考生答案 where 考号=? and 场次=?"),
                       {owner.number, owner.occasion}))
        return HandInOutcome::Failed;
    const PaperLookup kept = findKeptPaper(store, owner.number, owner.occasion);
    if (kept.failed)
        return HandInOutcome::Failed;
    if (!kept.paper)
        return HandInOutcome::NotKept;
    const SeatLookup seat = findSeat(store, owner.number, owner.occasion);
    if (seat.failed)
        return HandInOutcome::Failed;
    PaperOwner named = owner;
    if (seat.seat && named.name.isEmpty())
        named.name = seat.seat->name;
    // handInSeatPaper's unit nests in this one; both commit or neither.
    const SeatHolder holder = seat.seat ? SeatHolder{seat.seat->seat, seat.seat->claim} : SeatHolder{};
    const HandInOutcome outcome = handInSeatPaper(store, named, kept.paper->items, holder, who, why);
    if (outcome != HandInOutcome::HandedIn)
        return outcome;
    return unit.commit() ? HandInOutcome::HandedIn : HandInOutcome::Failed;
}

std::optional<int> handInPastDeadline(DataStore &store, const QString &occasion, const QString &who)
{
    const RoomListing room = readRoom(store, occasion);
    if (room.failed)
        return std::nullopt;
    int handedIn = 0;
    for (const RoomSeat &seat : room.seats) {
        if (seat.state != kSeatAnswering || seat.deadline < 0 || seat.deadline > room.now)
            continue;
        const HandInOutcome outcome = handInKeptPaper(store, {seat.number, seat.occasion, seat.name}, who,
                                                      QStringLiteral("考试时间到，交卷"));
        if (outcome == HandInOutcome::Failed)
            return std::nullopt;
        handedIn += outcome == HandInOutcome::HandedIn ? 1 : 0;
    }
    return handedIn;
}

namespace {

// Changes one answering candidate's row and logs it, as one unit.
bool actOnSeat(DataStore &store, const PaperOwner &owner, const QString &assignments, Values values,
               const QString &who, const QString &what)
{
    Transaction unit(store);
    if (!unit.isOpen())
        return false;
    values << owner.number << owner.occasion << kSeatAnswering;
    if (!store.execute(QStringLiteral("update 考场座位 set %1 where 考号=? and 场次=? and 状态=?").arg(assignments), values))
        return false;
    if (store.changes() != 1) {
        store.noteFailure(QStringLiteral("考生 %1 不在答题中").arg(owner.number));
        return false;
    }
    const SeatLookup seat = findSeat(store, owner.number, owner.occasion);
    return !seat.failed && seat.seat &&
           logRoomEvent(store, {seat.seat->seat, owner.number, owner.occasion, who, what}) && unit.commit();
}

} // namespace

bool extendSeatTime(DataStore &store, const PaperOwner &owner, qint64 minutes, const QString &who)
{
    // A paper without a time limit keeps none.
    return actOnSeat(store, owner, QStringLiteral("截止 = case when 截止 < 0 then 截止 else 截止 + ? end"),
                     {minutes * 60'000}, who, QStringLiteral("延长时间 %1 分钟").arg(minutes));
}

bool requestCollect(DataStore &store, const PaperOwner &owner, const QString &message, const QString &who)
{
    return actOnSeat(store, owner, QStringLiteral("收卷请求=1, 消息=?"), {message}, who, QStringLiteral("收卷"));
}

bool releaseSeat(DataStore &store, const PaperOwner &owner, const QString &who)
{
    return actOnSeat(store, owner, QStringLiteral("座位=''"), {}, who, QStringLiteral("允许重新登录"));
}

bool keepOptionOrders(DataStore &store, const PaperOwner &owner, const std::vector<QList<int>> &orders)
{
    std::vector<Values> rows;
    for (size_t i = 0; i < orders.size(); ++i)
        if (!orders[i].isEmpty())
            rows.push_back({owner.number, owner.occasion, qint64(i), orderText(orders[i])});
    return rows.empty() || store.executeEach(QStringLiteral("insert into 答卷顺序 (考号,场次,序号,选项顺序) values (?,?,?,?)"),
                                             rows);
}

std::optional<std::vector<QList<int>>> readOptionOrders(DataStore &store, const PaperOwner &owner,
                                                        const std::vector<int> &rows)
{
    std::vector<QList<int>> orders(rows.size());
    RowSet found = store.query(QStringLiteral("select 序号, 选项顺序 from 答卷顺序 where 考号=? and 场次=?"),
                               {owner.number, owner.occasion});
    for (; !found.atEnd(); found.next()) {
        const auto at = std::find(rows.begin(), rows.end(), found.value(1).toInteger());
        if (at != rows.end())
            orders[size_t(at - rows.begin())] = orderOf(found.value(2).toText());
    }
    if (found.failed())
        return std::nullopt;
    return orders;
}

std::optional<std::vector<QList<int>>> readOptionOrders(DataStore &store, const PaperOwner &owner, int positions)
{
    return readOptionOrders(store, owner, rowsOf({std::vector<PaperItem>(size_t(qMax(positions, 0))), 0, {}}));
}

KeepOutcome keepNewPaperWithOrders(DataStore &store, const PaperOwner &owner, const KeptPaper &paper,
                                   const std::vector<QList<int>> &orders)
{
    Transaction unit(store);
    if (!unit.isOpen())
        return KeepOutcome::Failed;
    const KeepOutcome kept = keepNewPaper(store, owner, paper);
    if (kept != KeepOutcome::Kept)
        return kept;
    const bool done =
        store.execute(QStringLiteral("delete from 答卷顺序 where 考号=? and 场次=?"), {owner.number, owner.occasion}) &&
        keepOptionOrders(store, owner, orders) && unit.commit();
    return done ? KeepOutcome::Kept : KeepOutcome::Failed;
}

} // namespace kaoshi
