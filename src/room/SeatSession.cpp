#include "room/SeatSession.h"

#include "data/DataStore.h"
#include "data/ServerReach.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace kaoshi {

namespace {

QString busyText(const QString &seat) { return QStringLiteral("该考生正在%1考试").arg(seat); }

const QString kDeadlineEvent = QStringLiteral("考试时间到，交卷");

} // namespace

SeatSession::SeatSession(DataStore &store, const PaperOwner &owner, const QString &seat, const QString &dataDir,
                         SeatClock clock)
    : m_store(store), m_owner(owner), m_seatName(seat), m_journal(dataDir, owner), m_clock(std::move(clock)),
      m_probe(reachProbe(store))
{
}

SeatSession::~SeatSession() = default;

SeatSession::SignInResult SeatSession::signIn(qint64 limitSeconds)
{
    // Two copies of the program on one computer share the seat's name: the
    // journal's lock tells them apart.
    if (!m_lock) {
        QDir().mkpath(QFileInfo(m_journal.path()).path());
        m_lock = std::make_unique<QLockFile>(m_journal.path() + QStringLiteral(".lock"));
        m_lock->setStaleLockTime(0);
        if (!m_lock->tryLock(0) && m_lock->error() == QLockFile::LockFailedError) {
            m_lock.reset();
            return {SignIn::Busy, busyText(m_seatName), m_seatName};
        }
    }
    if (!ensureTables()) {
        noteFailure();
        return {SignIn::Failed, {}, {}};
    }
    const qint64 before = m_clock();
    const SeatClaim claim = claimSeat(m_store, m_owner, {m_seatName, m_journal.claim()}, limitSeconds);
    return afterClaim(claim, before, m_clock());
}

bool SeatSession::ensureTables()
{
    // The first seats of a room make the tables at the same moment; the
    // server lets one make each and refuses the others, which find them
    // there when they try again.
    for (int attempt = 0; attempt < 3; ++attempt)
        if (ensurePaperTables(m_store) && ensureRoomTables(m_store))
            return true;
    return false;
}

SeatSession::SignInResult SeatSession::takeOver()
{
    if (m_silent.seat.isEmpty())
        return {SignIn::Failed, {}, {}};
    const qint64 before = m_clock();
    const SeatClaim claim = takeOverSeat(m_store, m_owner, m_seatName, m_silent);
    return afterClaim(claim, before, m_clock());
}

SeatSession::SignInResult SeatSession::afterClaim(const SeatClaim &claim, qint64 before, qint64 after)
{
    switch (claim.outcome) {
    case ClaimOutcome::Failed:
        noteFailure();
        return {SignIn::Failed, {}, {}};
    case ClaimOutcome::Busy:
        return {SignIn::Busy, busyText(claim.seat.seat), claim.seat.seat};
    case ClaimOutcome::Silent:
        m_silent = {claim.seat.seat, claim.seat.claim};
        return {SignIn::OfferTakeOver,
                QStringLiteral("该考生在%1的考试已失去联系。要在本机接着考吗?").arg(claim.seat.seat), claim.seat.seat};
    case ClaimOutcome::HandedIn:
        return {SignIn::HandedIn, QStringLiteral("该考生本场次的试卷已经交过"), {}};
    case ClaimOutcome::Claimed:
    case ClaimOutcome::Resumed:
    case ClaimOutcome::TakenOver:
        break;
    }
    if (!adoptClaim(claim))
        return {SignIn::Failed, {}, {}};
    m_seat = claim.seat;
    m_online = true;
    measure(claim.now, before, after);
    if (m_seat.deadline >= 0 && m_seat.deadline <= claim.now)
        return handInPastDeadline();
    return {SignIn::Sitting, {}, {}};
}

SeatSession::SignInResult SeatSession::handInPastDeadline()
{
    // What this seat kept before it went off goes in first.
    if (resendJournal() != Resend::Sent)
        return {SignIn::Failed, {}, {}};
    const HandInOutcome outcome = handInKeptPaper(m_store, m_owner, kSystemOperator, kDeadlineEvent);
    if (outcome == HandInOutcome::Failed) {
        noteFailure();
        return {SignIn::Failed, {}, {}};
    }
    if (outcome != HandInOutcome::HandedIn && settleRefusedHandIn(outcome, m_queuedWhy) == HandIn::Refused)
        return {SignIn::HandedIn, QStringLiteral("该考生本场次的试卷已经交过\n") + m_error, {}};
    finishHandIn();
    return {SignIn::HandedIn, QStringLiteral("考试时间已过:试卷已按保存的答案交卷"), {}};
}

bool SeatSession::adoptClaim(const SeatClaim &claim)
{
    // Lines of an older claim were written while another seat may have sat
    // the paper since (A, then B, then A again): never sent again.
    if (!claim.sameClaim)
        keepJournalAside();
    m_claim = claim.seat.claim;
    if (m_journal.claim() == m_claim || m_journal.keepClaim(m_claim))
        return true;
    m_error = QStringLiteral("无法在本机记下考场凭据:%1").arg(m_journal.error());
    return false;
}

bool SeatSession::emptyJournal()
{
    if (m_journal.clear()) {
        m_journalError.clear();
        return true;
    }
    m_journalError = QStringLiteral("答案已保存,但本机记下的答案无法清空:%1").arg(m_journal.error());
    return false;
}

bool SeatSession::withdraw()
{
    if (withdrawClaim(m_store, m_owner, holder()))
        return true;
    noteFailure();
    return false;
}

void SeatSession::measure(qint64 serverTime, qint64 before, qint64 after)
{
    // The reply came somewhere between the two readings of the seat's clock.
    m_offset = serverTime - (before + after) / 2;
}

void SeatSession::noteFailure()
{
    const DataError error = m_store.lastError();
    m_error = error.message;
    if (isServerGone(m_store, error))
        m_online = false;
}

PaperLookup SeatSession::findPaper()
{
    if (resendJournal() != Resend::Sent)
        return {std::nullopt, true};
    PaperLookup lookup = findKeptPaper(m_store, m_owner.number, m_owner.occasion);
    if (lookup.failed)
        noteFailure();
    else if (lookup.paper) {
        m_items = lookup.paper->items;
        m_rows = rowsOf(*lookup.paper);
    }
    return lookup;
}

KeepOutcome SeatSession::keepPaper(const KeptPaper &paper, const std::vector<QList<int>> &optionOrders)
{
    // Through 答卷顺序 even without orders, so that orders an earlier paper of
    // this candidate left there are never read back for this one.
    const KeepOutcome outcome = keepNewPaperWithOrders(m_store, m_owner, paper, optionOrders);
    if (outcome == KeepOutcome::Kept) {
        m_items = paper.items;
        m_rows = rowsOf({paper.items, 0, {}});
    } else if (outcome == KeepOutcome::Failed)
        noteFailure();
    return outcome;
}

SeatSession::Keep SeatSession::keepAnswer(int position, const QString &answer)
{
    if (position < 0 || size_t(position) >= m_items.size()) {
        m_error = QStringLiteral("试卷上没有第 %1 题").arg(position + 1);
        return Keep::OutOfRange;
    }
    m_items[size_t(position)].answer = answer;
    // The journal and the database name the row by its 序号.
    const int row = rowAt(position);
    const bool journalled = m_journal.append(row, answer);
    if (!journalled)
        m_error = m_journal.error();
    if (!m_online) {
        m_backlog = m_backlog || journalled;
        return journalled ? Keep::Offline : Keep::NotSaved;
    }
    switch (keepSeatAnswers(m_store, m_owner, holder(), {{row, answer}})) {
    case AnswersOutcome::Kept:
        // Everything the journal held is in the database now.
        if (journalled && !m_backlog && !m_handInQueued && !emptyJournal())
            m_backlog = true;
        return Keep::Kept;
    case AnswersOutcome::NotKept:
        m_error = QStringLiteral("这份试卷已不在数据库中");
        m_backlog = journalled;
        return Keep::PaperGone;
    case AnswersOutcome::Failed:
        break;
    }
    noteFailure();
    m_backlog = m_backlog || journalled;
    if (!m_online)
        return journalled ? Keep::Offline : Keep::NotSaved;
    return Keep::Refused;
}

bool SeatSession::keepTimeLeft(qint64 secondsLeft)
{
    if (isOnServer(m_store) || keepSecondsLeft(m_store, m_owner, secondsLeft))
        return true;
    noteFailure();
    return false;
}

SeatSession::Resend SeatSession::resendJournal()
{
    const JournalContents contents = m_journal.read();
    if (contents.failed) {
        m_error = QStringLiteral("无法读取本机保存的答案:%1").arg(m_journal.path());
        return Resend::Failed;
    }
    if (contents.handIn) {
        m_handInQueued = true;
        m_queuedWhy = *contents.handIn;
    }
    std::vector<std::pair<int, QString>> answers;
    for (const JournalAnswer &entry : contents.answers)
        if (m_items.empty() || std::find(m_rows.begin(), m_rows.end(), entry.position) != m_rows.end())
            answers.emplace_back(entry.position, entry.answer);
    if (!answers.empty()) {
        switch (keepSeatAnswers(m_store, m_owner, holder(), answers)) {
        case AnswersOutcome::Failed:
            // Nothing of it was committed: sent again with the next beat.
            noteFailure();
            m_backlog = true;
            return m_online ? Resend::Failed : Resend::Offline;
        case AnswersOutcome::NotKept:
            // The paper was handed in meanwhile. Whether a queued hand-in of
            // this seat did it (then the answers went with it) is for
            // sendHandIn to find out; else what the journal held is kept
            // aside, never deleted.
            if (!m_handInQueued) {
                keepJournalAside();
                return Resend::Sent;
            }
            break;
        case AnswersOutcome::Kept:
            break;
        }
    }
    // Left in the journal when it does not empty: sent again with the next beat.
    m_backlog = !m_handInQueued && !emptyJournal();
    return Resend::Sent;
}

SeatSession::HandIn SeatSession::handIn(const QString &why)
{
    if (!m_online) {
        if (!m_journal.queueHandIn(why)) {
            m_error = m_journal.error();
            return HandIn::Failed;
        }
        m_handInQueued = true;
        m_queuedWhy = why;
        return HandIn::Queued;
    }
    return sendHandIn(why);
}

SeatSession::HandIn SeatSession::sendHandIn(const QString &why)
{
    const HandInOutcome outcome = handInSeatPaper(m_store, m_owner, m_items, holder(), m_owner.number, why);
    if (outcome == HandInOutcome::Failed) {
        noteFailure();
        if (m_online)
            return HandIn::Failed;
        // Its commit may have happened before the reply was lost.
        m_handInSent = true;
        if (m_handInQueued)
            return HandIn::Queued;
        return handIn(why);
    }
    if (outcome != HandInOutcome::HandedIn)
        return settleRefusedHandIn(outcome, why);
    finishHandIn();
    return HandIn::HandedIn;
}

SeatSession::HandIn SeatSession::settleRefusedHandIn(HandInOutcome outcome, const QString &why)
{
    // A refusal is this seat's success only when an earlier try of it
    // committed (its reply lost): the log then holds its hand-in. The paper
    // may as well have been handed in from what the database kept (the
    // console, the deadline), without what only the journal holds.
    if (m_handInQueued || m_handInSent) {
        const std::optional<bool> ours = seatHandedIn(m_store, m_owner, holder(), why);
        if (!ours) {
            noteFailure();
            return m_online ? HandIn::Failed : HandIn::Queued;
        }
        if (*ours) {
            finishHandIn();
            return HandIn::HandedIn;
        }
    }
    m_refusal = outcome;
    m_handInQueued = false;
    m_handInSent = false;
    m_queuedWhy.clear();
    m_error.clear();
    keepJournalAside();
    return HandIn::Refused;
}

void SeatSession::finishHandIn()
{
    // A journal that does not empty now is never sent again: a later sitting
    // of the candidate holds another claim.
    emptyJournal();
    m_handInQueued = false;
    m_backlog = false;
    m_seat.state = kSeatHandedIn;
}

void SeatSession::keepJournalAside()
{
    m_backlog = false;
    const JournalContents contents = m_journal.read();
    if (!contents.failed && contents.isEmpty())
        return;
    if (!m_journal.setAside()) {
        m_error = QStringLiteral("本机记下的答案没有交上,也无法另存:%1").arg(m_journal.error());
        return;
    }
    const QString name = QFileInfo(m_journal.asidePath()).fileName();
    m_asideNote = QStringLiteral("这份试卷已不由本机作答(已在另一处交卷或接着考试),本机记下的答案没有交上,已另存为 %1")
                      .arg(m_journal.asidePath());
    m_error = m_asideNote;
    // The invigilator sees it in the room's log when the database takes it.
    logRoomEvent(m_store, {m_seatName, m_owner.number, m_owner.occasion, m_owner.number,
                           QStringLiteral("本机答案没有交上,已另存为 %1").arg(name)});
}

SeatSession::Beat SeatSession::heartbeat()
{
    if (!m_online)
        return m_probe && m_probe() ? reconnect() : Beat::Offline;
    // What the journal holds and a queued hand-in are tried again at every
    // beat until the database has them.
    if (m_backlog || m_handInQueued)
        return reconnect();
    return beatOnline();
}

SeatSession::Beat SeatSession::reconnect()
{
    m_online = true;
    // Whether this seat still sits the paper comes first: a seat that was
    // taken over or released while it was gone never writes it again.
    const Beat before = beatOnline();
    if (before == Beat::Offline || before == Beat::Failed)
        return before;
    if (before == Beat::Moved || before == Beat::Released) {
        m_handInQueued = false;
        m_queuedWhy.clear();
        keepJournalAside();
        return before;
    }
    switch (resendJournal()) {
    case Resend::Offline: return Beat::Offline;
    case Resend::Failed: return Beat::Failed;
    case Resend::Sent: break;
    }
    if (m_handInQueued) {
        switch (sendHandIn(m_queuedWhy)) {
        case HandIn::HandedIn: return Beat::HandedIn;
        case HandIn::Queued: return Beat::Offline;
        case HandIn::Refused: return Beat::Refused;
        case HandIn::Failed: return Beat::Failed;
        }
    }
    return beatOnline();
}

SeatSession::Beat SeatSession::beatOnline()
{
    const qint64 before = m_clock();
    const Heartbeat reply = beat(m_store, m_owner, holder());
    const qint64 after = m_clock();
    if (reply.outcome == BeatOutcome::Failed) {
        noteFailure();
        return m_online ? Beat::Failed : Beat::Offline;
    }
    measure(reply.now, before, after);
    if (reply.outcome == BeatOutcome::Released) {
        m_seat.seat.clear();
        return Beat::Released;
    }
    m_seat = reply.seat;
    switch (reply.outcome) {
    case BeatOutcome::Moved: return Beat::Moved;
    case BeatOutcome::HandedIn: return Beat::HandedIn;
    default: return m_seat.collectRequested ? Beat::Collect : Beat::Sitting;
    }
}

} // namespace kaoshi
