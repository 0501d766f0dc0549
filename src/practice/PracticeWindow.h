#pragma once
// The practice engine shared by the sequential and the random practice
// window: one question at a time from one of the four banks, answered with
// the controls of its type, saved into 练习答案, with navigation, 重做, 字体,
// the wrong-question list and the picture page. The two windows differ only
// in how the number box designates the 题号 to load.
#include "practice/PictureViewer.h"
#include "practice/PracticeQueries.h"
#include "practice/PracticeView.h"
#include "ui/TaskWindow.h"

#include <array>

class QLineEdit;

namespace kaoshi {

struct AppContext;

// Answer pages, in the order of the question types.

struct PracticeState {
    QString currentType;                // bank shown, from the answer page
    int page = SingleChoicePage;        // answer page of currentType; its number box is the current one
    std::array<bank::Bounds, 4> bounds;   // lowest and highest 题号 of each bank
    QString loadedNumber;               // 题号 of the row shown; 保存 writes there
    QString questionText;               // 题目 of the row shown
    QString answerText;                 // built by collectAnswer, emptied by every save
};

class PracticeWindow : public TaskWindow
{
    Q_OBJECT
public:
    PracticeWindow(AppContext &context, QWidget *host, ViewKind kind = ViewKind::Practice);
    ~PracticeWindow() override;


    void loadQuestion();
    void showStoredAnswer(const QString &stored);
    void collectAnswer();
    void saveAnswer();
    void goFirst();
    void goPrevious();
    void goNext();
    void goLast();
    void redoBank();
    void chooseFont();
    void changeAnswerPage();
    void fillWrongList();
    void jumpToWrongQuestion(int row);
    void exportWrongList();
    // The toolbar's buttons are told apart by their captions.
    void runToolbarButton(const QString &caption);

    PracticeView &view() { return m_view; }

protected:
    // The answer the controls of a page give now, a free answer trimmed.
    QString collectedAnswer(int page) const;
    // Applies the character format, checks that no bank is empty and shows
    // the first question.
    bool startTask() override;
    // The 题号 the current number box designates; "" loads an empty question.
    virtual QString numberToLoad() = 0;
    // Start-up work on the banks before the first question shows; false
    // when the window cannot open (the reason has been shown). By default
    // every bank must hold questions, and the bounds are their 题号.
    virtual bool prepareBanks() { return checkBanks(); }
    // Called before a jump to a listed wrong question loads it by its 题号.
    virtual void prepareJump() {}
    // Called when a question is about to be replaced by the next load.
    virtual void leaveQuestion() {}
    // The answer the controls show for a loaded question, given its 练习答案.
    virtual QString answerOnRecord(const QString &practiceAnswer) { return practiceAnswer; }
    // Stores the collected answer of the question shown; false when it was
    // not stored (and the reason has been shown).
    virtual bool storeAnswer(const QString &answer);

    bool checkBanks();

    QLineEdit *numberBox() const;
    void resizeEvent(QResizeEvent *event) override;

    PracticeState m_state;

private:
    void moveTo(double number);
    void handOverWrongList();

    PracticeView m_view;
    PictureViewer m_pictures;
};

} // namespace kaoshi
