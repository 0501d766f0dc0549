#pragma once
// The statements of a computer room: which seat sits each candidate's paper,
// its times on the database's clock, the invigilator's requests, the order
// each candidate sees, and the room's log.
//
//   考场座位 (考号, 场次, 姓名, 座位, 开始, 截止, 心跳, 状态, 收卷请求, 消息, 凭据)
//            one row per (考号, 场次), unique; 开始, 截止 and 心跳 are
//            milliseconds since 1970 on the database's clock, 截止 -1 for a
//            paper without a time limit; 状态 "答题中" or "已交卷"; 收卷请求 1
//            when the invigilator asked for the paper, 消息 the text shown then.
//            座位 "" is a seat the invigilator released. 凭据 is the claim of
//            the sign-in or take-over that holds the paper: a random text of
//            its own, so that two computers with the same name (cloned PCs)
//            or two program folders on one computer are two seats. A table
//            made before claims existed gets the column when first needed;
//            its rows hold none (NULL, read as "").
//   考场日志 (时间, 座位, 考号, 场次, 操作者, 事件): every sign-in, take-over,
//            hand-in and action of the invigilator, in order.
//   答卷顺序 (考号, 场次, 序号, 选项顺序): the order of the options shown for a
//            position of a kept paper ("2,0,1": C first, then A, then B); kept
//            and removed with the paper.
//
// The tables are made when first needed (ensureRoomTables); files and servers
// made before rooms existed keep every table they had, unchanged.
#include "data/PaperTable.h"

#include <QList>
#include <QString>
#include <optional>
#include <vector>

namespace kaoshi {

class DataStore;

inline const QString kSeatAnswering = QStringLiteral("答题中");
inline const QString kSeatHandedIn = QStringLiteral("已交卷");
// A seat whose heartbeat is older than this has gone silent: its paper may be
// taken over elsewhere (after a confirmation), and the console shows 失去联系.
inline constexpr qint64 kSilentSeatMs = 60'000;
// Who acts when the program itself does something (a deadline passed).
inline const QString kSystemOperator = QStringLiteral("系统");

// Makes the room's tables and their unique indexes when they are missing,
// and the column 凭据 in a 考场座位 made before it.
bool ensureRoomTables(DataStore &store);

// A new claim: random, never the same twice.
QString newSeatClaim();

// Who holds a paper: the seat's name, shown to people, and the claim of its
// sign-in, which alone tells two seats apart.
struct SeatHolder {
    QString seat;  // 座位
    QString claim; // 凭据; "" for a row made before claims existed
};

// The database's clock in milliseconds since 1970 (UTC); nothing when it
// could not be read.
std::optional<qint64> serverNow(DataStore &store);

// One line of 考场日志; its time is the database's.
struct RoomEvent {
    QString seat;     // 座位
    QString number;   // 考号
    QString occasion; // 场次
    QString who;      // 操作者: the candidate's 考号, "监考" or 系统
    QString what;     // 事件
};
bool logRoomEvent(DataStore &store, const RoomEvent &event);

// A row of 考场座位 as the console lists it and the seat reads it.
struct RoomSeat {
    QString number;   // 考号
    QString occasion; // 场次
    QString name;     // 姓名
    QString seat;     // 座位; "" once released
    qint64 start = 0;
    qint64 deadline = -1; // -1: no time limit
    qint64 heartbeat = 0;
    QString state;        // kSeatAnswering or kSeatHandedIn
    bool collectRequested = false;
    QString message;
    int answered = 0; // questions with an answer (kept paper, else 评分)
    int total = 0;    // questions on the paper
    QString claim;    // 凭据 (read by findSeat only)
    bool operator==(const RoomSeat &) const = default;
};
// Silent: answering, and no heartbeat for silentAfterMs.
bool seatIsSilent(const RoomSeat &seat, qint64 now, qint64 silentAfterMs = kSilentSeatMs);
// Seconds left at now; -1 without a time limit, 0 once past.
qint64 seatSecondsLeft(const RoomSeat &seat, qint64 now);

// The room of one 场次, by 考号; failed when it could not be read.
struct RoomListing {
    std::vector<RoomSeat> seats;
    qint64 now = 0; // the database's clock when read
    bool failed = false;
};
RoomListing readRoom(DataStore &store, const QString &occasion);
// The seat in columns 1 … 10 of a row: 考号, 场次, 姓名, 座位, 开始, 截止, 心跳, 状态,
// 收卷请求, 消息 (the counts are left to the caller).
RoomSeat seatOf(const RowSet &row);
// One candidate's row; nothing when there is none or it could not be read
// (failed tells which).
struct SeatLookup {
    std::optional<RoomSeat> seat;
    bool failed = false;
};
SeatLookup findSeat(DataStore &store, const QString &number, const QString &occasion);

// 考场日志 of one 场次 (all of them for ""), in order.
struct RoomLogEntry {
    qint64 time = 0;
    QString seat;
    QString number;
    QString occasion;
    QString who;
    QString what;
};
std::optional<std::vector<RoomLogEntry>> readRoomLog(DataStore &store, const QString &occasion);

// Signing in at a seat. One unit: the candidate's row is made with an insert
// that the unique index lets only one seat make, so of two seats that sign
// the same candidate in at once exactly one wins.
enum class ClaimOutcome {
    Claimed,   // a new sitting: 开始 now, 截止 now + the time limit, or + the
               // time a paper kept before rooms existed had left
    Resumed,   // this seat's claim holds the paper still, or the seat was released
    TakenOver, // takeOverSeat: the silent seat's paper moves here
    Busy,      // another seat sits it: "该考生正在<座位>考试"
    Silent,    // another seat sat it but is silent: may be taken over after a confirmation
    HandedIn,  // the paper is handed in already
    Failed,
};
struct SeatClaim {
    ClaimOutcome outcome = ClaimOutcome::Failed;
    RoomSeat seat; // the row after the claim (the other seat's for Busy and Silent)
    qint64 now = 0;
    // The claim the seat came with held the paper until now (or, "", there
    // was none on either side): what the seat wrote under it goes on.
    bool sameClaim = false;
};
// seat: this seat's name and the claim it kept from an earlier sign-in ("" for
// none); a new claim is made unless that one still holds the paper (the row's
// claim is then seat.claim).
// limitSeconds: the paper's time limit, -1 for none.
SeatClaim claimSeat(DataStore &store, const PaperOwner &owner, const SeatHolder &seat, qint64 limitSeconds,
                    qint64 silentAfterMs = kSilentSeatMs);
// Moves the paper of the silent holder here under a new claim, only while it
// is still silent there; Busy (with the row) when that seat came back or
// another took it first.
SeatClaim takeOverSeat(DataStore &store, const PaperOwner &owner, const QString &seat, const SeatHolder &silent,
                       qint64 silentAfterMs = kSilentSeatMs);
// Gives up a sitting that never began (nothing was drawn): the candidate's
// row goes, so that a later sign-in starts afresh, and the log says why.
// Only while the holder's claim holds it and no paper is kept; false when
// the database refused.
bool withdrawClaim(DataStore &store, const PaperOwner &owner, const SeatHolder &holder);

// A heartbeat: tells the database this seat is there and reads what the
// invigilator asked.
enum class BeatOutcome {
    Sitting,  // the seat still sits the paper
    Released, // the invigilator allowed a sign-in elsewhere
    Moved,    // another seat took the paper over
    HandedIn, // handed in elsewhere (the console, the deadline)
    Failed,   // not reached; the seat goes on and retries
};
struct Heartbeat {
    BeatOutcome outcome = BeatOutcome::Failed;
    RoomSeat seat;   // 截止, 收卷请求 and 消息 as they are now
    qint64 now = 0;  // the database's clock, to refresh the seat's offset
};
Heartbeat beat(DataStore &store, const PaperOwner &owner, const SeatHolder &seat);

// Whether seat still sits the candidate's answering paper (座位 and 凭据 are
// this seat's, 答题中). The row stays locked to the end of the unit, so a take-over or a
// release waits for the write that checked it. Nothing when not asked.
std::optional<bool> seatHoldsPaper(DataStore &store, const PaperOwner &owner, const SeatHolder &seat);
// Keeps answers as keepPaperAnswers does, in one unit and only while seat
// sits the paper: NotKept, with nothing changed, once another seat took it
// over, the invigilator released it or it was handed in.
AnswersOutcome keepSeatAnswers(DataStore &store, const PaperOwner &owner, const SeatHolder &seat,
                               const std::vector<std::pair<int, QString>> &answers);
// Hands the paper in as the seat holds it, only while seat sits it (NotKept
// else): its answers into 评分, the kept
// paper and its option orders removed, the row marked 已交卷 and the log
// written, as one unit (see handInPaper for the refusals).
HandInOutcome handInSeatPaper(DataStore &store, const PaperOwner &owner, const std::vector<PaperItem> &items,
                              const SeatHolder &seat, const QString &who, const QString &why);
// Whether the row still names this claim and the log of the current sitting
// holds a hand-in by the candidate at this seat with this event (the trace
// handInSeatPaper leaves when it commits); nothing when the log could not be
// read.
std::optional<bool> seatHandedIn(DataStore &store, const PaperOwner &owner, const SeatHolder &seat,
                                 const QString &why);
// Hands in what was kept of a candidate's paper (a seat switched off, the
// invigilator's 收卷 of a seat that does not answer, a deadline passed).
HandInOutcome handInKeptPaper(DataStore &store, const PaperOwner &owner, const QString &who, const QString &why);
// Hands in every paper of the 场次 past its 截止; the number handed in, or
// nothing when the room could not be read.
std::optional<int> handInPastDeadline(DataStore &store, const QString &occasion, const QString &who);

// The invigilator's actions on one candidate; each is logged with who.
bool extendSeatTime(DataStore &store, const PaperOwner &owner, qint64 minutes, const QString &who);
bool requestCollect(DataStore &store, const PaperOwner &owner, const QString &message, const QString &who);
bool releaseSeat(DataStore &store, const PaperOwner &owner, const QString &who);

// The option orders of a kept paper, by position (0-based, in the paper's
// order); an empty order for a position shows its options as written.
bool keepOptionOrders(DataStore &store, const PaperOwner &owner, const std::vector<QList<int>> &orders);
// rows: the 序号 of each position (see KeptPaper::rows); positions: 0 … n-1.
std::optional<std::vector<QList<int>>> readOptionOrders(DataStore &store, const PaperOwner &owner,
                                                        const std::vector<int> &rows);
std::optional<std::vector<QList<int>>> readOptionOrders(DataStore &store, const PaperOwner &owner, int positions);
// Keeps a freshly drawn paper with its option orders as one unit (see
// keepNewPaper): a paper is never kept without them. Orders left by an
// earlier paper of the same candidate are replaced.
KeepOutcome keepNewPaperWithOrders(DataStore &store, const PaperOwner &owner, const KeptPaper &paper,
                                   const std::vector<QList<int>> &orders);

} // namespace kaoshi
