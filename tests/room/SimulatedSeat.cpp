#include "SimulatedSeat.h"

#include "data/PostgresEngine.h"
#include "exam/ExamPaper.h"

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
    m_phase = Phase::Ready;
    while (!m_room.start.wait(std::chrono::milliseconds(100)))
        if (stopping()) {
            m_phase = Phase::Stopped;
            return;
        }
    if (!signIn(store))
        return;
    answerAll(store);
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

// Claims the candidate's paper here, or takes it over from a silent seat;
// tried again while the database cannot be reached and while another seat
// still beats.
bool SimulatedSeat::signIn(DataStore &store)
{
    while (!stopping()) {
        ++m_claimAttempts;
        SeatClaim claim = claimSeat(store, m_plan.candidate, m_plan.seat, m_plan.limitSeconds, m_plan.silentAfterMs);
        if (claim.outcome == ClaimOutcome::Silent)
            claim = takeOverSeat(store, m_plan.candidate, m_plan.seat, claim.seat.seat, m_plan.silentAfterMs);
        switch (claim.outcome) {
        case ClaimOutcome::Claimed:
        case ClaimOutcome::Resumed:
        case ClaimOutcome::TakenOver:
            // A claim repeated after its reply was lost finds the paper here.
            if (m_claimOutcome == ClaimOutcome::Failed || claim.outcome != ClaimOutcome::Resumed)
                m_claimOutcome = claim.outcome;
            if (m_claimedAt == 0)
                m_claimedAt = steadyNow();
            if (takePaper(store)) {
                m_readyAt = steadyNow();
                m_phase = Phase::SignedIn;
                return true;
            }
            ++m_retries;
            break;
        case ClaimOutcome::HandedIn:
            fail(QStringLiteral("the paper was handed in before the sign-in"));
            return false;
        case ClaimOutcome::Busy:
            break;
        case ClaimOutcome::Silent:
        case ClaimOutcome::Failed:
            ++m_retries;
            break;
        }
        pause(m_plan.retryAfterMs);
    }
    m_phase = Phase::Stopped;
    return false;
}

// The kept paper of the candidate, or a paper drawn and kept now.
bool SimulatedSeat::takePaper(DataStore &store)
{
    for (int tries = 0; tries < 2; ++tries) {
        const PaperLookup found = findKeptPaper(store, m_plan.candidate.number, m_plan.candidate.occasion);
        if (found.failed)
            return false;
        if (found.paper) {
            m_paper = found.paper->items;
            m_paperAtSignIn = m_paper;
            return true;
        }
        PaperDraw draw = drawPaper(store, m_room.draws, m_generator);
        if (draw.failed)
            return false;
        KeptPaper paper{draw.paper.items(), m_plan.limitSeconds};
        const KeepOutcome kept = keepNewPaper(store, m_plan.candidate, paper);
        if (kept == KeepOutcome::Failed)
            return false;
        if (kept == KeepOutcome::Kept) {
            m_paper = paper.items;
            m_paperAtSignIn = m_paper;
            return true;
        }
        // Taken: kept by an earlier try whose reply was lost; read it.
    }
    return false;
}

void SimulatedSeat::answer(int position)
{
    m_paper[size_t(position)].answer = randomAnswer(m_paper[size_t(position)].type);
    m_given[position] = m_paper[size_t(position)].answer;
    m_pending.push_back(position);
}

void SimulatedSeat::answerAll(DataStore &store)
{
    m_lastBeat = std::chrono::steady_clock::now();
    for (int position = 0; position < int(m_paper.size()); ++position) {
        if (!m_paper[size_t(position)].answer.isEmpty())
            continue; // answered before a take-over
        if (!waitAndBeat(store, randomPause()))
            return;
        answer(position);
        ++m_answersGiven;
        // Now and then the candidate goes back and changes an answer.
        if (position > 0 && m_generator.bounded(10) == 0)
            answer(int(m_generator.bounded(quint32(position))));
        sendPending(store);
    }
    while (!sendPending(store))
        if (!waitAndBeat(store, m_plan.retryAfterMs))
            return;
    m_phase = Phase::Answered;
    while (!m_room.handIn.wait(std::chrono::milliseconds(0)))
        if (!waitAndBeat(store, 20))
            return;
    handIn(store, QStringLiteral("交卷"), Ending::HandedInHere);
}

// Sends the answers not yet kept, in the order given; false while some are
// left (the database cannot be reached).
bool SimulatedSeat::sendPending(DataStore &store)
{
    while (!m_pending.empty()) {
        const int position = m_pending.front();
        const QString &answer = m_paper[size_t(position)].answer;
        if (!keepPaperAnswer(store, m_plan.candidate, position, answer)) {
            ++m_retries;
            return false;
        }
        m_kept[position] = answer;
        m_pending.erase(m_pending.begin());
    }
    return true;
}

// Waits, beating the heartbeat on time; false when the seat is to stop (it
// was killed, or its paper has left it).
bool SimulatedSeat::waitAndBeat(DataStore &store, int milliseconds)
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
            if (!actOnBeat(store))
                return false;
        }
        if (now >= until)
            return true;
        std::this_thread::sleep_for(std::min(std::chrono::duration_cast<std::chrono::nanoseconds>(until - now),
                                             std::chrono::nanoseconds(std::chrono::milliseconds(10))));
    }
}

// One heartbeat and what it tells; false when the paper has left the seat.
bool SimulatedSeat::actOnBeat(DataStore &store)
{
    const Heartbeat reply = beat(store, m_plan.candidate, m_plan.seat);
    switch (reply.outcome) {
    case BeatOutcome::Failed:
        return true; // not reached: the seat goes on
    case BeatOutcome::HandedIn:
        m_ending = Ending::HandedInElsewhere;
        m_phase = Phase::HandedIn;
        return false;
    case BeatOutcome::Moved:
    case BeatOutcome::Released:
        m_ending = Ending::Moved;
        m_phase = Phase::Stopped;
        return false;
    case BeatOutcome::Sitting:
        break;
    }
    if (!reply.seat.collectRequested)
        return true;
    handIn(store, QStringLiteral("交卷（监考收卷）"), Ending::CollectedHere);
    return false;
}

// Hands the paper in as the seat holds it, tried again until the database
// takes it or says it is handed in already.
bool SimulatedSeat::handIn(DataStore &store, const QString &why, Ending ending)
{
    while (!m_room.abandon) {
        const HandInOutcome outcome =
            handInSeatPaper(store, m_plan.candidate, m_paper, m_plan.seat, m_plan.candidate.number, why);
        if (outcome == HandInOutcome::HandedIn || outcome == HandInOutcome::NotKept) {
            m_handedInAt = steadyNow();
            m_ending = outcome == HandInOutcome::HandedIn ? ending : Ending::HandedInElsewhere;
            m_pending.clear();
            m_phase = Phase::HandedIn;
            return true;
        }
        if (outcome == HandInOutcome::AlreadyGraded) {
            fail(QStringLiteral("already graded at the hand-in"));
            return false;
        }
        ++m_retries;
        pause(m_plan.retryAfterMs);
    }
    m_phase = Phase::Stopped;
    return false;
}

} // namespace kaoshi::test
