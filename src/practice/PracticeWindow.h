#pragma once
// The practice windows' common part: the question pane with one question at
// a time from one of the four banks, answered with the controls of its type
// and saved into 练习答案, plus 重做, 字体, the wrong-question list (page 错题)
// and the standard answer (page 答案). The sequential, random and chapter
// windows differ in how the number box designates the 题号 to load.
#include "practice/PracticeQueries.h"
#include "practice/PracticeSession.h"
#include "practice/QuestionPane.h"
#include "ui/TaskWindow.h"

class QTextEdit;

namespace kaoshi {

struct AppContext;
class ListGrid;

class PracticeWindow : public TaskWindow
{
    Q_OBJECT
public:
    PracticeWindow(AppContext &context, PracticeSession &session, QWidget *host);
    ~PracticeWindow() override;

    // The toolbar of a practice window, in order.
    static const QStringList &toolbarCaptions();
    // The page 错题 of the question area.
    static constexpr int kWrongListPage = 2;

    void loadQuestion() { m_pane.load(); }
    void saveAnswer();
    void goFirst() { m_pane.goFirst(); }
    void goPrevious() { m_pane.goPrevious(); }
    void goNext() { m_pane.goNext(); }
    void goLast() { m_pane.goLast(); }
    void redoBank();
    void chooseFont();
    void fillWrongList();
    void jumpToWrongQuestion(int row);
    void exportWrongList();
    // The toolbar's buttons are told apart by their captions.
    void runToolbarButton(const QString &caption);

    QuestionPane &pane() { return m_pane; }
    ListGrid *wrongGrid() const { return m_wrongGrid; }
    PracticeView &view() { return m_pane.view(); }
    const std::vector<qint64> &order(QuestionType type) const { return m_pane.order(type); }
    // Replaces the order of a bank (also a fixed order for tests and demos).
    void setOrder(QuestionType type, std::vector<qint64> order) { m_pane.setOrder(type, std::move(order)); }

protected:
    // Applies the character format, prepares the banks and shows the first question.
    bool startTask() override;
    // Start-up work on the banks before the first question shows; false
    // when the window cannot open (the reason has been shown). By default
    // every bank must hold questions, and the bounds are their 题号.
    virtual bool prepareBanks() { return checkBanks(); }
    bool checkBanks();
    void resizeEvent(QResizeEvent *event) override;

    PracticeSession &m_session;
    QuestionPane m_pane;
    // A jump from the wrong-question list finds the question's place in the
    // bank's order (else it shows it by its 题号).
    bool m_jumpFindsPosition = false;

private:
    void buildPracticePages();
    void showStandardAnswer();
    void handOverWrongList();

    ListGrid *m_wrongGrid = nullptr;
    QTextEdit *m_standardAnswer = nullptr;
    QTextEdit *m_explanation = nullptr;
};

} // namespace kaoshi
