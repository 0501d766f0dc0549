#include "exam/RoomConsole.h"

#include "data/DataStore.h"

#include <QDateTime>
#include <array>
#include <functional>

namespace kaoshi {

namespace {

QString localTime(qint64 milliseconds, const QString &format)
{
    return milliseconds > 0 ? QDateTime::fromMSecsSinceEpoch(milliseconds).toString(format) : QString();
}

PaperOwner ownerOf(const RoomSeat &seat) { return {seat.number, seat.occasion, seat.name}; }

// Runs act on every seat inside one unit: all seats change, or none.
bool inOneUnit(DataStore &store, const std::vector<RoomSeat> &seats, const std::function<bool(const RoomSeat &)> &act)
{
    Transaction unit(store);
    if (!unit.isOpen())
        return false;
    for (const RoomSeat &seat : seats)
        if (!act(seat))
            return false;
    return unit.commit();
}

} // namespace

SeatState seatState(const RoomSeat &seat, qint64 now)
{
    if (seat.state == kSeatHandedIn)
        return SeatState::HandedIn;
    return now - seat.heartbeat > kLostAfterMs ? SeatState::Lost : SeatState::Answering;
}

QString seatStateText(SeatState state)
{
    switch (state) {
    case SeatState::Answering:
        return QStringLiteral("答题中");
    case SeatState::HandedIn:
        return QStringLiteral("已交卷");
    case SeatState::Lost:
        return QStringLiteral("失去联系");
    }
    return QString();
}

QString timeLeftText(const RoomSeat &seat, qint64 now)
{
    if (seat.state == kSeatHandedIn)
        return QString();
    const qint64 left = seatSecondsLeft(seat, now);
    if (left < 0)
        return QStringLiteral("不限时");
    const qint64 hours = left / 3600;
    const QString minutesAndSeconds = QStringLiteral("%1:%2")
                                          .arg((left / 60) % 60, hours ? 2 : 1, 10, QLatin1Char('0'))
                                          .arg(left % 60, 2, 10, QLatin1Char('0'));
    return hours ? QStringLiteral("%1:%2").arg(hours).arg(minutesAndSeconds) : minutesAndSeconds;
}

const QStringList &consoleTitles()
{
    static const QStringList titles{QStringLiteral("考号"), QStringLiteral("姓名"),       QStringLiteral("座位"),
                                    QStringLiteral("开始"), QStringLiteral("已答/总题数"), QStringLiteral("剩余时间"),
                                    QStringLiteral("状态")};
    return titles;
}

QStringList consoleCells(const RoomSeat &seat, qint64 now)
{
    return {seat.number,
            seat.name,
            seat.seat.isEmpty() ? QStringLiteral("（已释放）") : seat.seat,
            localTime(seat.start, QStringLiteral("HH:mm:ss")),
            QStringLiteral("%1/%2").arg(seat.answered).arg(seat.total),
            timeLeftText(seat, now),
            seatStateText(seatState(seat, now))};
}

QString roomSummary(const std::vector<RoomSeat> &seats, qint64 now)
{
    std::array<int, 3> counts{};
    for (const RoomSeat &seat : seats)
        ++counts[size_t(seatState(seat, now))];
    return QStringLiteral("共%1人：答题中%2，已交卷%3，失去联系%4    服务器时间 %5")
        .arg(seats.size())
        .arg(counts[size_t(SeatState::Answering)])
        .arg(counts[size_t(SeatState::HandedIn)])
        .arg(counts[size_t(SeatState::Lost)])
        .arg(localTime(now, QStringLiteral("HH:mm:ss")));
}

bool consoleHandsIn(const RoomSeat &seat, qint64 now)
{
    return seat.state != kSeatHandedIn &&
           (seatState(seat, now) == SeatState::Lost || (seat.deadline >= 0 && seat.deadline <= now));
}

bool extendTimes(DataStore &store, const std::vector<RoomSeat> &seats, int minutes, const QString &who)
{
    return inOneUnit(store, seats,
                     [&](const RoomSeat &seat) { return extendSeatTime(store, ownerOf(seat), minutes, who); });
}

namespace {

// Why a paper was not handed in from what was kept.
QString refusal(DataStore &store, HandInOutcome outcome, const RoomSeat &seat)
{
    switch (outcome) {
    case HandInOutcome::NotKept:
        return QStringLiteral("考生 %1 没有保存的试卷").arg(seat.number);
    case HandInOutcome::AlreadyGraded:
        return QStringLiteral("考生 %1 本场次已有评分记录").arg(seat.number);
    case HandInOutcome::HandedIn:
    case HandInOutcome::Failed:
        break;
    }
    return store.lastError().message;
}

} // namespace

bool collectPapers(DataStore &store, const std::vector<RoomSeat> &seats, qint64 now, const QString &message,
                   const QString &who)
{
    return inOneUnit(store, seats, [&](const RoomSeat &seat) {
        if (!consoleHandsIn(seat, now))
            return requestCollect(store, ownerOf(seat), message, who);
        const QString why = seatState(seat, now) == SeatState::Lost ? QStringLiteral("收卷（座位失去联系，由监考交卷）")
                                                                   : QStringLiteral("收卷（时间已到，由监考交卷）");
        const HandInOutcome outcome = handInKeptPaper(store, ownerOf(seat), who, why);
        if (outcome == HandInOutcome::HandedIn)
            return true;
        if (outcome != HandInOutcome::Failed)
            store.noteFailure(refusal(store, outcome, seat));
        return false;
    });
}

bool paperIsOverdue(const RoomSeat &seat, qint64 now)
{
    return seat.state == kSeatAnswering && seat.deadline >= 0 && now - seat.deadline >= kOverdueGraceMs;
}

OverdueHandIn handInOverduePapers(DataStore &store, const RoomListing &room, const QString &who)
{
    OverdueHandIn result;
    for (const RoomSeat &seat : room.seats) {
        if (!paperIsOverdue(seat, room.now))
            continue;
        const HandInOutcome outcome =
            handInKeptPaper(store, ownerOf(seat), who, QStringLiteral("收卷（已过截止时间，由监考交卷）"));
        // Nothing kept: the seat or another console handed the paper in since
        // the room was read, or the seat never drew one.
        if (outcome == HandInOutcome::HandedIn || outcome == HandInOutcome::NotKept)
            result.handedIn += outcome == HandInOutcome::HandedIn ? 1 : 0;
        else
            result.notHandedIn << QStringLiteral("考生%1（%2）：%3").arg(seat.number, seat.name, refusal(store, outcome, seat));
    }
    return result;
}

bool releaseSeats(DataStore &store, const std::vector<RoomSeat> &seats, const QString &who)
{
    return inOneUnit(store, seats, [&](const RoomSeat &seat) { return releaseSeat(store, ownerOf(seat), who); });
}

const QStringList &roomLogTitles()
{
    static const QStringList titles{QStringLiteral("时间"), QStringLiteral("座位"),   QStringLiteral("考号"),
                                    QStringLiteral("场次"), QStringLiteral("操作者"), QStringLiteral("事件")};
    return titles;
}

QStringList roomLogCells(const RoomLogEntry &entry)
{
    return {localTime(entry.time, QStringLiteral("yyyy-MM-dd HH:mm:ss")), entry.seat, entry.number, entry.occasion,
            entry.who, entry.what};
}

} // namespace kaoshi
