#pragma once
// "考试系统-考试": the mock exam paper of the signed-in candidate. It draws
// the questions that 配置 asks for (or resumes the paper the candidate left
// without handing in), shows them bank by bank with the answer controls and
// navigation of the practice windows but never a standard answer, keeps
// every answer the moment it is given, counts the time down and hands the
// paper in to 评分.
#include "data/PaperTable.h"
#include "exam/ExamPaper.h"
#include "practice/OrderedPracticeWindow.h"

#include <QTimer>

class QRandomGenerator;

namespace kaoshi {

class ListGrid;

class ExamPaperWindow final : public OrderedPracticeWindow
{
    Q_OBJECT
public:
    // generator: the draw's source of randomness (the system's by default).
    ExamPaperWindow(AppContext &context, QWidget *host, QRandomGenerator *generator = nullptr);
    ~ExamPaperWindow() override;

    // 交卷: asks first, naming the unanswered questions.
    void handIn();
    // 收卷: the invigilator's command, without a question.
    void collect();
    // One second of the countdown; at 0 the paper is handed in.
    void tick();

    const ExamPaper &paper() const { return m_paper; }

protected:
    QString mainCaption() const override;
    bool prepareBanks() override;
    void leaveQuestion() override;
    QString answerOnRecord(const QString &practiceAnswer) override;
    bool storeAnswer(const QString &answer) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    bool openPaper();
    // Keeps answer for the question shown, when it changed; false when the
    // database did not take it (the answer is still handed in).
    bool keepAnswer(const QString &answer);
    // Keeps what the controls of the question shown hold.
    bool keepShownAnswer();
    // Hands in; false when the database refused (the paper stays open).
    bool submit(const QString &why);
    void showTimeLeft(qint64 seconds);
    void fillOverview();
    void jumpToOverviewRow(int row);

    QRandomGenerator *m_generator;
    PaperOwner m_owner;
    ExamPaper m_paper;
    Countdown m_countdown;
    qint64 m_keptSeconds = -1; // the time left as last kept; -1: no time limit
    QTimer m_seconds;
    QTimer m_typing;           // keeps a typed answer when typing pauses
    ListGrid *m_overview = nullptr;
    bool m_locked = false;
};

} // namespace kaoshi
