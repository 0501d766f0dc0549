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
    std::array<BankBounds, 4> bounds;   // lowest and highest 题号 of each bank
    QString loadedNumber;               // 题号 of the row shown; 保存 writes there
    QString questionText;               // 题目 of the row shown
    QString answerText;                 // built by collectAnswer, emptied by every save
};

class PracticeWindow : public TaskWindow
{
    Q_OBJECT
public:
    PracticeWindow(AppContext &context, QWidget *host);
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
    // Applies the character format, checks that no bank is empty and shows
    // the first question.
    bool startTask() override;
    // The 题号 the current number box designates; "" loads an empty question.
    virtual QString numberToLoad() = 0;
    // Start-up work of a window once the banks are known to be filled.
    virtual void prepareBanks() {}
    // Called before a jump to a listed wrong question loads it by its 题号.
    virtual void prepareJump() {}

    QLineEdit *numberBox() const;
    void resizeEvent(QResizeEvent *event) override;

    PracticeState m_state;

private:
    bool checkBanks();
    void moveTo(double number);
    void handOverWrongList();

    PracticeView m_view;
    PictureViewer m_pictures;
};

} // namespace kaoshi
