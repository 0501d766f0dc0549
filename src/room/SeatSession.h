#pragma once
// One candidate's sitting at one seat of a computer room, without a window:
// signing in (one seat per candidate, a silent seat taken over after a
// confirmation, a paper past its deadline handed in from what was kept), the
// server's clock, every answer journalled on the seat and kept in the
// database, the heartbeat and what the invigilator asks through it, and the
// hand-in. While the server is gone the sitting goes on: answers and a
// hand-in wait in the journal and are sent, in order and once, when it is
// back.
//
// Each sign-in or take-over holds the paper under a claim of its own, kept
// beside the journal: the same program folder restarting on the same
// computer goes on under it, while another computer of the same name, or
// another program folder, is a seat of its own.
//
// A session works on its own DataStore and holds nothing shared, so a test or
// a bench may run one per thread.
#include "data/PaperTable.h"
#include "data/RoomTable.h"
#include "room/SeatJournal.h"

#include <QLockFile>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace kaoshi {

class DataStore;

// The seat's own clock in milliseconds (any origin: only its differences
// count); the server's time is this plus the offset measured against it.
using SeatClock = std::function<qint64()>;

class SeatSession
{
public:
    // dataDir: where the journal and the claim live; seat: the seat's name
    // (its host name), shown to people.
    SeatSession(DataStore &store, const PaperOwner &owner, const QString &seat, const QString &dataDir,
                SeatClock clock);
    ~SeatSession();
    SeatSession(const SeatSession &) = delete;
    SeatSession &operator=(const SeatSession &) = delete;

    enum class SignIn {
        Sitting,       // the paper is this seat's; find or keep it next
        OfferTakeOver, // another seat sat it and went silent: ask, then takeOver()
        Busy,          // another seat sits it
        HandedIn,      // nothing to sit: handed in already (or now, past its deadline)
        Failed,        // the database could not be asked (error() tells why)
    };
    struct SignInResult {
        SignIn outcome = SignIn::Failed;
        QString message;   // what the candidate is told ("" for Sitting)
        QString otherSeat; // the seat that holds the paper (Busy, OfferTakeOver)
    };
    // limitSeconds: the time limit of a new paper (-1: none).
    SignInResult signIn(qint64 limitSeconds);
    // Moves the paper of the silent seat here; Busy when it came back first.
    SignInResult takeOver();

    // The paper after a sign-in: the one kept (what the journal of this seat
    // still held sent first), else nothing and the caller draws one and
    // keeps it with keepPaper, with the order of each position's options
    // (none for a position shown as written) in the same unit.
    PaperLookup findPaper();
    KeepOutcome keepPaper(const KeptPaper &paper, const std::vector<QList<int>> &optionOrders = {});
    const std::vector<PaperItem> &items() const { return m_items; }
    // The 序号 of each item of the paper (see KeptPaper::rows).
    const std::vector<int> &rows() const { return m_rows; }
    // Gives up a sitting that never began (nothing was drawn), so that the
    // candidate is not held as answering; false (error()) when refused.
    bool withdraw();

    enum class Keep {
        Kept,       // journalled and in the database
        Offline,    // journalled; sent when the server is back
        Refused,    // journalled, the database refused (error() tells why)
        PaperGone,  // the paper is kept no more (handed in elsewhere)
        NotSaved,   // neither journal nor database took it
        OutOfRange, // no such position on the paper
    };
    Keep keepAnswer(int position, const QString &answer);

    // Keeps the time left beside the deadline, for a paper resumed on a
    // lone computer; false (error()) when refused. On a server its deadline
    // there is what counts and nothing is written, so that a server gone
    // silently never holds the seat up for it.
    bool keepTimeLeft(qint64 secondsLeft);

    enum class Beat {
        Sitting,
        Collect,  // the invigilator asks for the paper: hand it in now (message())
        Released, // the invigilator let the candidate sign in elsewhere
        Moved,    // another seat took the paper over
        HandedIn, // handed in elsewhere, or a queued hand-in went through now
        Refused,  // a queued hand-in was refused: the paper was handed in
                  // elsewhere without it; the journal is set aside (error())
        Offline,  // the server is gone; the sitting goes on
        Failed,   // the database refused (error() tells why)
    };
    // Tells the server the seat is there and refreshes the clock and the
    // deadline. While offline it asks the probe first and, once the server
    // answers, sends the journal (reconnect()).
    Beat heartbeat();
    // Sends what the journal holds in one unit, then a queued hand-in, then
    // beats; call once the server answers again (on the thread of the store).
    Beat reconnect();

    enum class HandIn {
        HandedIn,
        Queued,  // the server is gone: kept in the journal, sent on reconnect
        Refused, // NotKept or AlreadyGraded (refusal() tells which); what the
                 // journal held is set aside (error() tells where)
        Failed,  // the database refused (error() tells why)
    };
    // why: the log's 事件 ("交卷", "收卷：…", "考试时间到，交卷").
    HandIn handIn(const QString &why);
    HandInOutcome refusal() const { return m_refusal; }
    bool handInQueued() const { return m_handInQueued; }

    bool isOnline() const { return m_online; }
    // The server's now as the seat estimates it, and what is left of the paper.
    qint64 serverNow() const { return m_clock() + m_offset; }
    qint64 offset() const { return m_offset; }
    qint64 secondsLeft() const { return seatSecondsLeft(m_seat, serverNow()); }
    const RoomSeat &seat() const { return m_seat; }
    const QString &seatName() const { return m_seatName; }
    const PaperOwner &owner() const { return m_owner; }
    // The invigilator's message of a 收卷 request.
    QString message() const { return m_seat.message; }
    QString error() const { return m_error; }
    // Where what the journal held went when the database could no longer
    // take it ("" while nothing was set aside).
    QString asideNote() const { return m_asideNote; }
    // Why the journal still holds answers the database has already ("" when
    // it emptied as it should); they are sent again, harmlessly, until it does.
    QString journalError() const { return m_journalError; }
    // The claim this seat holds the paper under.
    SeatHolder holder() const { return {m_seatName, m_claim}; }
    SeatJournal &journal() { return m_journal; }

    // How the seat finds out that the server answers again (by default
    // reachProbe of the store); it may run on another thread.
    void setProbe(std::function<bool()> probe) { m_probe = std::move(probe); }
    std::function<bool()> probe() const { return m_probe; }

private:
    bool ensureTables();
    SignInResult afterClaim(const SeatClaim &claim, qint64 before, qint64 after);
    SignInResult handInPastDeadline();
    void measure(qint64 serverTime, qint64 before, qint64 after);
    // A failure of the last statement: offline when the server is gone.
    void noteFailure();
    enum class Resend { Sent, Offline, Failed };
    Resend resendJournal();
    HandIn sendHandIn(const QString &why);
    HandIn settleRefusedHandIn(HandInOutcome outcome, const QString &why);
    void finishHandIn();
    // Keeps what the journal holds beside it under a name of its own, tells
    // why in error() and writes it to the room's log.
    void keepJournalAside();
    // Holds the paper under the claim now: what the journal held under an
    // older one is kept aside, and the claim is kept beside the journal.
    bool adoptClaim(const SeatClaim &claim);
    // Empties the journal once the database has all it held; false (said in
    // journalError()) when it could not.
    bool emptyJournal();
    // The 序号 of a position of the paper.
    int rowAt(int position) const { return m_rows[size_t(position)]; }
    Beat beatOnline();

    DataStore &m_store;
    PaperOwner m_owner;
    QString m_seatName;
    SeatJournal m_journal;
    std::unique_ptr<QLockFile> m_lock;
    SeatClock m_clock;
    std::function<bool()> m_probe;
    std::vector<PaperItem> m_items;
    std::vector<int> m_rows;
    RoomSeat m_seat;
    QString m_claim;
    SeatHolder m_silent;
    qint64 m_offset = 0;
    bool m_online = true;
    // The journal holds answers the database has not committed.
    bool m_backlog = false;
    bool m_handInQueued = false;
    QString m_queuedWhy;
    // A hand-in was sent and its reply lost: a refusal of the resend means done.
    bool m_handInSent = false;
    HandInOutcome m_refusal = HandInOutcome::HandedIn;
    QString m_error;
    QString m_asideNote;
    QString m_journalError;
};

} // namespace kaoshi
