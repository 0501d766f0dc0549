#include "SimulatedSeat.h"

#include "data/PostgresEngine.h"
#include "exam/ExamPaper.h"

#include <QDateTime>

namespace kaoshi::test {

qint64 steadyNow()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

SimulatedSeat::SimulatedSeat(SimulatedRoom &room, SeatPlan plan) : m_room(room), m_plan(std::move(plan)), m_generator(m_plan.seed)
{
}

SimulatedSeat::~SimulatedSeat()
{
    kill();
    join();
}

void SimulatedSeat::start()
{
    m_thread = std::thread([this] { run(); });
}

void SimulatedSeat::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

void SimulatedSeat::fail(const QString &why)
{
    m_failure = why;
    m_phase = Phase::Failed;
}

void SimulatedSeat::pause(int milliseconds) const
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

int SimulatedSeat::randomPause()
{
    return m_plan.pauseMinMs + int(m_generator.bounded(quint32(m_plan.pauseMaxMs - m_plan.pauseMinMs + 1)));
}

QString SimulatedSeat::randomAnswer(QuestionType type)
{
    const QString letters = QStringLiteral("ABCD");
    if (type != QuestionType::MultipleChoice)
        return letters.mid(int(m_generator.bounded(4)), 1);
    // A non-empty set of letters, in order A … D.
    const quint32 marks = 1 + m_generator.bounded(15u);
    QString answer;
    for (int i = 0; i < 4; ++i)
        if (marks & (1u << i))
            answer += letters[i];
    return answer;
}

void SimulatedSeat::run()
{
    DataStore store(std::make_unique<PostgresEngine>(m_room.settings));
    if (!connect(store))
        return;
    SeatSession session(store, m_plan.candidate, m_plan.seat, m_dataDir.path(),
                        [] { return QDateTime::currentMSecsSinceEpoch(); });
    m_phase = Phase::Ready;
    while (!m_room.start.wait(std::chrono::milliseconds(100)))
        if (stopping()) {
            m_phase = Phase::Stopped;
            return;
        }
    if (!signIn(store, session))
        return;
    answerAll(session);
}

bool SimulatedSeat::connect(DataStore &store)
{
    while (!store.open(m_room.settings.describe())) {
        if (stopping()) {
            fail(QStringLiteral("no connection: ") + store.errorString());
            return false;
        }
        pause(m_plan.retryAfterMs);
    }
    return true;
}

// Signs the candidate in here, taking the paper over from a silent seat;
// tried again while the database cannot be reached (the session itself
// does not) and while another seat still beats.
bool SimulatedSeat::signIn(DataStore &store, SeatSession &session)
{
    while (!stopping()) {
        ++m_claimAttempts;
        SeatSession::SignInResult result = session.signIn(m_plan.limitSeconds);
        bool tookOver = false;
        if (result.outcome == SeatSession::SignIn::OfferTakeOver) {
            result = session.takeOver();
            tookOver = true;
        }
        switch (result.outcome) {
        case SeatSession::SignIn::Sitting:
            if (m_claimOutcome == ClaimOutcome::Failed)
                m_claimOutcome = tookOver ? ClaimOutcome::TakenOver : ClaimOutcome::Claimed;
            if (m_claimedAt == 0)
                m_claimedAt = steadyNow();
            if (takePaper(store, session)) {
                m_readyAt = steadyNow();
                m_phase = Phase::SignedIn;
                return true;
            }
            ++m_retries;
            break;
        case SeatSession::SignIn::HandedIn:
            fail(QStringLiteral("the paper was handed in before the sign-in: ") + result.message);
            return false;
        case SeatSession::SignIn::Busy:
            break;
        case SeatSession::SignIn::OfferTakeOver:
        case SeatSession::SignIn::Failed:
            ++m_retries;
            break;
        }
        pause(m_plan.retryAfterMs);
    }
    m_phase = Phase::Stopped;
    return false;
}

// The kept paper of the candidate, or a paper drawn and kept now.
bool SimulatedSeat::takePaper(DataStore &store, SeatSession &session)
{
    for (int tries = 0; tries < 2; ++tries) {
        const PaperLookup found = session.findPaper();
        if (found.failed)
            return false;
        if (found.paper) {
            m_paper = session.items();
            m_paperAtSignIn = m_paper;
            return true;
        }
        PaperDraw draw = drawPaper(store, m_room.draws, m_generator, true);
        if (draw.failed)
            return false;
        const KeepOutcome kept = session.keepPaper({draw.paper.items(), m_plan.limitSeconds});
        if (kept == KeepOutcome::Failed)
            return false;
        if (kept == KeepOutcome::Kept) {
            m_paper = session.items();
            m_paperAtSignIn = m_paper;
            return true;
        }
        // Taken: kept by an earlier try whose reply was lost; read it.
    }
    return false;
}

// Gives an answer at a position; false when the paper has left the seat.
bool SimulatedSeat::answer(SeatSession &session, int position)
{
    const QString given = randomAnswer(m_paper[size_t(position)].type);
    const SeatSession::Keep outcome = session.keepAnswer(position, given);
    switch (outcome) {
    case SeatSession::Keep::Kept:
        m_kept[position] = given;
        break;
    case SeatSession::Keep::Offline:
    case SeatSession::Keep::Refused:
        ++m_retries; // in the journal: the session sends it later
        break;
    case SeatSession::Keep::PaperGone:
        m_ending = Ending::HandedInElsewhere;
        m_phase = Phase::HandedIn;
        return false;
    case SeatSession::Keep::NotSaved:
    case SeatSession::Keep::OutOfRange:
        fail(QStringLiteral("answer not saved: ") + session.error());
        return false;
    }
    m_paper[size_t(position)].answer = given;
    m_given[position] = given;
    return true;
}

bool SimulatedSeat::allSent(SeatSession &session)
{
    const JournalContents journal = session.journal().read();
    return session.isOnline() && !journal.failed && journal.answers.empty();
}

void SimulatedSeat::answerAll(SeatSession &session)
{
    m_lastBeat = std::chrono::steady_clock::now();
    for (int position = 0; position < int(m_paper.size()); ++position) {
        if (!m_paper[size_t(position)].answer.isEmpty())
            continue; // answered before a take-over
        if (!waitAndBeat(session, randomPause()) || !answer(session, position))
            return;
        ++m_answersGiven;
        // Now and then the candidate goes back and changes an answer.
        if (position > 0 && m_generator.bounded(10) == 0 &&
            !answer(session, int(m_generator.bounded(quint32(position)))))
            return;
    }
    // The session sends what its journal holds with the heartbeat.
    while (!allSent(session))
        if (!waitAndBeat(session, m_plan.retryAfterMs))
            return;
    m_phase = Phase::Answered;
    while (!m_room.handIn.wait(std::chrono::milliseconds(0)))
        if (!waitAndBeat(session, 20))
            return;
    handIn(session, QStringLiteral("交卷"), Ending::HandedInHere);
}

// Waits, beating the heartbeat on time; false when the seat is to stop (it
// was killed, or its paper has left it).
bool SimulatedSeat::waitAndBeat(SeatSession &session, int milliseconds)
{
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (stopping()) {
            m_phase = Phase::Stopped;
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now - m_lastBeat >= std::chrono::milliseconds(m_plan.beatEveryMs)) {
            m_lastBeat = now;
            if (!actOnBeat(session))
                return false;
        }
        if (now >= until)
            return true;
        std::this_thread::sleep_for(std::min(std::chrono::duration_cast<std::chrono::nanoseconds>(until - now),
                                             std::chrono::nanoseconds(std::chrono::milliseconds(10))));
    }
}

// One heartbeat and what it tells; false when the paper has left the seat.
bool SimulatedSeat::actOnBeat(SeatSession &session)
{
    switch (session.heartbeat()) {
    case SeatSession::Beat::Sitting:
    case SeatSession::Beat::Offline:
    case SeatSession::Beat::Failed:
        return true; // the seat goes on
    case SeatSession::Beat::Collect:
        handIn(session, QStringLiteral("交卷（监考收卷）"), Ending::CollectedHere);
        return false;
    case SeatSession::Beat::HandedIn:
    case SeatSession::Beat::Refused:
        m_ending = Ending::HandedInElsewhere;
        m_phase = Phase::HandedIn;
        return false;
    case SeatSession::Beat::Moved:
    case SeatSession::Beat::Released:
        m_ending = Ending::Moved;
        m_phase = Phase::Stopped;
        return false;
    }
    return true;
}

// Hands the paper in as the seat holds it: at once, or queued while the
// server is gone and sent by the heartbeat; a failure is tried again.
bool SimulatedSeat::handIn(SeatSession &session, const QString &why, Ending ending)
{
    while (!m_room.abandon) {
        switch (session.handIn(why)) {
        case SeatSession::HandIn::HandedIn:
            m_handedInAt = steadyNow();
            m_ending = ending;
            m_phase = Phase::HandedIn;
            return true;
        case SeatSession::HandIn::Queued:
            while (!m_room.abandon)
                if (session.heartbeat() == SeatSession::Beat::HandedIn) {
                    m_handedInAt = steadyNow();
                    m_ending = ending;
                    m_phase = Phase::HandedIn;
                    return true;
                } else {
                    pause(m_plan.retryAfterMs);
                }
            break;
        case SeatSession::HandIn::Refused:
            fail(QStringLiteral("the hand-in was refused: ") + session.error());
            return false;
        case SeatSession::HandIn::Failed:
            ++m_retries;
            pause(m_plan.retryAfterMs);
            break;
        }
    }
    m_phase = Phase::Stopped;
    return false;
}

} // namespace kaoshi::test
