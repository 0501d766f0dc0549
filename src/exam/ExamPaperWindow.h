#pragma once
// "考试系统-考试": the mock exam paper of the signed-in candidate. It draws
// the questions that 配置 asks for (or resumes the paper the candidate left
// without handing in), shows them bank by bank in the question pane but
// never a standard answer, keeps every answer the moment it is given (typed
// text when typing pauses), counts the time down and hands the paper in to 评分.
#include "data/PaperTable.h"
#include "exam/ExamPaper.h"
#include "exam/PaperContent.h"
#include "exam/PaperOrder.h"
#include "practice/PracticeSession.h"
#include "practice/QuestionPane.h"
#include "room/BackgroundProbe.h"
#include "room/SeatSession.h"
#include "ui/TaskWindow.h"

#include <QTimer>
#include <memory>

class QRandomGenerator;

namespace kaoshi {

class ListGrid;

class ExamPaperWindow final : public TaskWindow
{
    Q_OBJECT
public:
    // candidate: who sits the paper; generator: the draw's source of
    // randomness (the system's by default).
    ExamPaperWindow(AppContext &context, PracticeSession &session, const PaperOwner &candidate, QWidget *host,
                    QRandomGenerator *generator = nullptr);
    ~ExamPaperWindow() override;

    // The toolbar of the paper, in order.
    static const QStringList &toolbarCaptions();

    // 交卷: asks first, naming the unanswered questions.
    void handIn();
    // 收卷: the invigilator's command, without a question.
    void collect();
    // One second of the countdown; at 0 the paper is handed in.
    void tick();
    // Tells the server that the seat is there and acts on its answer (every
    // 5 s); while the server is gone, asks in the background whether it is
    // back and then sends what the seat kept.
    void heartbeat();
    // The seat's sitting (after startTask).
    const SeatSession *seatSession() const { return m_seat.get(); }
    // The seat's name in the room.
    static QString seatName();
    // 保存: keeps the answer shown and moves to the next question.
    void saveAnswer();
    void goNext() { m_pane.goNext(); }

    const ExamPaper &paper() const { return m_paper; }
    QuestionPane &pane() { return m_pane; }

protected:
    QString mainCaption() const override;
    bool startTask() override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool openPaper();
    // Signs the candidate in at this seat (one seat per candidate; a silent
    // seat taken over after a question); false when the paper does not open.
    bool signInSeat(const ExamSettings &config);
    bool askTakeOver(const SeatSession::SignInResult &offered);
    // The option orders of a resumed paper, read back; false (said) when
    // they could not be read.
    bool readOrder();
    // The paper's questions and pictures, read into memory for the sitting;
    // false (said) when they could not be read.
    bool readContent();
    // The option orders of a fresh draw (none unless 打乱选项); false when a
    // bank could not be read.
    bool drawOrder(const ExamPaper &paper, bool shuffleOptions);
    // The kept 序号 of the question shown; -1 for none.
    int shownPosition() const;
    void runToolbarButton(const QString &caption);
    void chooseFont();
    // The shown answer changed: a choice is kept at once, typed text when
    // typing pauses.
    void answerChanged(const QString &answer);
    // Keeps an answer given in the letters shown for the question shown, in
    // the question's own letters, when it changed; false when the database
    // did not take it (the answer is still handed in).
    bool keepAnswer(const QString &shownAnswer);
    // Keeps what the controls of the question shown hold.
    bool keepShownAnswer();
    // Hands in; false when the database refused (the paper stays open).
    // note: the invigilator's message, shown with the result.
    bool submit(const QString &why, const QString &note = QString());
    void finishHandIn(const QString &why, const QString &note);
    void waitForQueuedHandIn();
    // Keeps an answer on the seat (journal, then database).
    bool keepOnSeat(int position, const QString &answer);
    void reactToBeat(SeatSession::Beat beat);
    // The paper is no longer this seat's: ends it without a hand-in here.
    // Closes the paper and tells why; with a failure, in a 失败 box.
    void endSitting(const QString &why, const QString &failure = {});
    void beatFromNowOn();
    // The paper went on elsewhere: said with where this seat's journal went
    // when it could not be sent.
    void leaveSeat(const QString &why);
    // Why the hand-in was refused, and where the seat's own answers went.
    QString refusalText() const;
    void probeInBackground();
    // The status-bar note: a queued hand-in, the server gone, the time left not kept.
    void showSeatNote();
    void showTimeLeft(qint64 seconds);
    void keepTimeLeft(qint64 secondsLeft);
    void fillOverview();
    void jumpToOverviewRow(int row);

    PracticeSession &m_session;
    QuestionPane m_pane;
    QRandomGenerator *m_generator;
    PaperOwner m_owner;
    ExamPaper m_paper;
    PaperContent m_content; // what the pane shows, also while the server is gone
    std::unique_ptr<SeatSession> m_seat;
    QTimer m_heartbeat;
    BackgroundProbe m_probe; // given up (and waited for) when the window closes
    bool m_ended = false;        // handed in or moved away: nothing more is kept here
    bool m_handInWaits = false;  // a hand-in waits for the server
    QString m_queuedWhy;
    QString m_queuedNote;
    PaperOrder m_order; // the order of each position's options
    qint64 m_keptSeconds = -1; // the time left as last kept; -1: no time limit
    QTimer m_seconds;
    QTimer m_typing;           // keeps a typed answer when typing pauses
    ListGrid *m_overview = nullptr;
    bool m_locked = false;
    bool m_timeKept = true; // the last try to keep the time left succeeded
    bool m_beatFailed = false; // the last heartbeat was refused by the database
    bool m_submitting = false; // a hand-in (and its box) is under way
    qint64 m_shownSeconds = -1; // the time left shown last
};

} // namespace kaoshi
