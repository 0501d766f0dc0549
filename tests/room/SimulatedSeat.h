#pragma once
// One seat of a simulated computer room: a connection of its own to the
// room's database, a data folder (its journal) and a thread of its own,
// sitting one candidate's paper through a SeatSession as a seat of the
// program does. It signs in when the room's start gate opens (taking over a
// silent seat's paper when another seat holds it), draws or resumes the
// paper, answers every question with random pauses (now and then changing an
// earlier answer), beats its heartbeat, hands in when the invigilator asks,
// and otherwise when the room's hand-in gate opens. While the server cannot
// be reached it goes on answering into its journal, which the session sends
// on reconnect; a sign-in that fails is tried again. kill() stops it between
// two steps, as a seat switched off stops: nothing more is sent, nothing is
// handed in.
//
// What it gave is recorded, to be compared with what the database holds.
#include "Gate.h"

#include "data/DataStore.h"
#include "data/PaperTable.h"
#include "data/RoomTable.h"
#include "data/ServerSettings.h"
#include "room/SeatSession.h"

#include <QRandomGenerator>
#include <QString>
#include <QTemporaryDir>
#include <array>
#include <atomic>
#include <chrono>
#include <map>
#include <thread>
#include <vector>

namespace kaoshi::test {

// What every seat of the room shares.
struct SimulatedRoom {
    ServerSettings settings;
    Gate start;  // all seats sign in
    Gate handIn; // the seats still answering hand in
    std::array<qint64, kQuestionTypeCount> draws{}; // questions per bank
    std::atomic<bool> abandon = false; // the test failed: every seat ends
};

struct SeatPlan {
    QString seat; // 座位
    PaperOwner candidate;
    qint64 limitSeconds = 3600;
    int pauseMinMs = 50;
    int pauseMaxMs = 250;
    int beatEveryMs = 300;
    int retryAfterMs = 100;
    quint32 seed = 1;
};

class SimulatedSeat
{
public:
    enum class Phase { Connecting, Ready, SignedIn, Answered, HandedIn, Stopped, Failed };
    // How the paper left the seat.
    enum class Ending { None, HandedInHere, CollectedHere, HandedInElsewhere, Moved };

    SimulatedSeat(SimulatedRoom &room, SeatPlan plan);
    ~SimulatedSeat();
    SimulatedSeat(const SimulatedSeat &) = delete;
    SimulatedSeat &operator=(const SimulatedSeat &) = delete;

    void start();
    // Stops the seat at its next step, without a hand-in.
    void kill() { m_killed = true; }
    void join();

    const SeatPlan &plan() const { return m_plan; }
    Phase phase() const { return m_phase; }
    int answersGiven() const { return m_answersGiven; }
    int claimAttempts() const { return m_claimAttempts; }
    // Sign-ins, paper reads and hand-ins that failed and were tried again,
    // and answers that went into the journal only (the server was gone).
    int retries() const { return m_retries; }
    // steady_clock nanoseconds: the claim committed, the paper ready, the hand-in committed.
    qint64 claimedAt() const { return m_claimedAt; }
    qint64 readyAt() const { return m_readyAt; }
    qint64 handedInAt() const { return m_handedInAt; }

    // Read once the seat's thread has ended.
    ClaimOutcome claimOutcome() const { return m_claimOutcome; }
    Ending ending() const { return m_ending; }
    QString failure() const { return m_failure; }
    // The paper as it was found at sign-in (a resumed paper's kept answers)
    // and as the seat held it last.
    const std::vector<PaperItem> &paperAtSignIn() const { return m_paperAtSignIn; }
    const std::vector<PaperItem> &paper() const { return m_paper; }
    // Position → the last answer given there (journalled), and the last one
    // the database confirmed keeping at once.
    const std::map<int, QString> &given() const { return m_given; }
    const std::map<int, QString> &kept() const { return m_kept; }

private:
    void run();
    bool connect(DataStore &store);
    bool signIn(DataStore &store, SeatSession &session);
    // The paper is drawn from the banks of the seat's store.
    bool takePaper(DataStore &store, SeatSession &session);
    void answerAll(SeatSession &session);
    bool answer(SeatSession &session, int position);
    bool waitAndBeat(SeatSession &session, int milliseconds);
    bool actOnBeat(SeatSession &session);
    bool handIn(SeatSession &session, const QString &why, Ending ending);
    // Every answer given is in the database (none waits in the journal).
    static bool allSent(SeatSession &session);
    bool stopping() const { return m_killed || m_room.abandon; }
    void pause(int milliseconds) const;
    int randomPause();
    QString randomAnswer(QuestionType type);
    void fail(const QString &why);

    SimulatedRoom &m_room;
    SeatPlan m_plan;
    QTemporaryDir m_dataDir;
    std::thread m_thread;
    std::atomic<bool> m_killed = false;
    std::atomic<Phase> m_phase = Phase::Connecting;
    std::atomic<int> m_answersGiven = 0;
    std::atomic<int> m_claimAttempts = 0;
    std::atomic<int> m_retries = 0;
    std::atomic<qint64> m_claimedAt = 0;
    std::atomic<qint64> m_readyAt = 0;
    std::atomic<qint64> m_handedInAt = 0;
    std::chrono::steady_clock::time_point m_lastBeat;
    QRandomGenerator m_generator;

    ClaimOutcome m_claimOutcome = ClaimOutcome::Failed;
    Ending m_ending = Ending::None;
    QString m_failure;
    std::vector<PaperItem> m_paperAtSignIn;
    std::vector<PaperItem> m_paper;
    std::map<int, QString> m_given;
    std::map<int, QString> m_kept;
};

// steady_clock nanoseconds now.
qint64 steadyNow();

} // namespace kaoshi::test
