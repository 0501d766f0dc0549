#pragma once
// What the invigilator's console shows of a seat and does to seats: a row's
// cells and state from a reading of the room on the database's clock, and
// the actions on several seats, each as one unit of work (all seats or none).
#include "data/RoomTable.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace kaoshi {

class DataStore;

enum class SeatState { Answering, HandedIn, Lost };

// A seat that has not handed in and whose heartbeat is older than this has
// lost its connection.
inline constexpr qint64 kLostAfterMs = 15'000;

SeatState seatState(const RoomSeat &seat, qint64 now);
QString seatStateText(SeatState state); // 答题中, 已交卷, 失去联系

// "1:05:09", "45:00", "0:07"; "不限时" without a time limit; "" once handed in.
QString timeLeftText(const RoomSeat &seat, qint64 now);

// The columns and a seat's cells: 考号, 姓名, 座位, 开始, 已答/总题数, 剩余时间, 状态.
const QStringList &consoleTitles();
QStringList consoleCells(const RoomSeat &seat, qint64 now);
// The line above the rows: how many seats are in each state.
QString roomSummary(const std::vector<RoomSeat> &seats, qint64 now);

// 收卷: a seat that answers acts on the request within seconds; a seat that
// has lost its connection or whose time is up cannot, so the console hands
// its paper in from what was kept.
bool consoleHandsIn(const RoomSeat &seat, qint64 now);

// A paper whose deadline lies this far behind the database's clock is handed
// in by the console on its own: a seat that still answers hands itself in at
// its deadline and wins, a seat that was switched off or lost its connection
// cannot.
inline constexpr qint64 kOverdueGraceMs = 10'000;
bool paperIsOverdue(const RoomSeat &seat, qint64 now);

// Hands in, from what was kept, every overdue paper of a reading of the room,
// each in one unit of work with its log line. A paper handed in meanwhile by
// its seat or by another console is left alone. A hand-in that did not happen
// is named in notHandedIn ("考生A03（王五）：reason") and tried again next time.
struct OverdueHandIn {
    int handedIn = 0;
    QStringList notHandedIn;
};
OverdueHandIn handInOverduePapers(DataStore &store, const RoomListing &room, const QString &who);

// The actions on seats that are answering. who: the invigilator as the log
// names them. A seat that cannot be changed (handed in meanwhile, refused by
// the database) leaves every seat as it was, with the reason in the store's
// last error.
bool extendTimes(DataStore &store, const std::vector<RoomSeat> &seats, int minutes, const QString &who);
bool collectPapers(DataStore &store, const std::vector<RoomSeat> &seats, qint64 now, const QString &message,
                   const QString &who);
bool releaseSeats(DataStore &store, const std::vector<RoomSeat> &seats, const QString &who);

// The log's cells: 时间, 座位, 考号, 场次, 操作者, 事件.
const QStringList &roomLogTitles();
QStringList roomLogCells(const RoomLogEntry &entry);

} // namespace kaoshi
