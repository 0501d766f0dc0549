#pragma once
// The controls of the practice window layout, shared by the sequential,
// random and chapter practice windows: the toolbar, the answer area with one
// page per question type, and the question area with the pages 文字, 图片,
// 错题 and 答案. The view only builds and sizes the controls; the windows
// give them behaviour.
#include "practice/PracticeSession.h"
#include "ui/AnswerControls.h"

#include <QSize>
#include <QString>
#include <array>

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTextEdit;
class QToolBar;
class QWidget;

namespace kaoshi {

class ListGrid;
class PictureBox;

// Pages of the question area.
enum QuestionPage { TextPage = 0, PicturePage = 1, WrongListPage = 2, AnswerPage = 3 };

class PracticeView
{
public:
    // The window's design size; the controls keep their design places in it.
    static constexpr QSize kDesignSize{716, 377};
    static const QStringList &toolbarCaptions();

    // Builds every control as a child of window.
    explicit PracticeView(QWidget *window);

    // Widens and heightens the controls for a window of the given size;
    // no control moves.
    void adaptToSize(QSize size);
    // Makes format the default character format of the four text fields.
    void applyCharFormat(const CharFormat &format);

    QToolBar *toolbar = nullptr;
    QTabWidget *answerTabs = nullptr;
    std::array<QGroupBox *, 4> frames{};
    std::array<QLineEdit *, 4> numberBoxes{};
    AnswerControls answers;

    QTabWidget *questionTabs = nullptr;
    QTextEdit *questionText = nullptr;
    QPushButton *firstPicture = nullptr;
    QPushButton *previousPicture = nullptr;
    QPushButton *nextPicture = nullptr;
    QPushButton *lastPicture = nullptr;
    QLabel *summary = nullptr;
    PictureBox *picture = nullptr;
    ListGrid *wrongGrid = nullptr;
    QTextEdit *standardAnswer = nullptr;
    QTextEdit *explanation = nullptr;

private:
    void buildAnswerArea(QWidget *window);
    void buildQuestionArea(QWidget *window);
    QWidget *addPage(QTabWidget *tabs, const QString &caption);
    // Places a control on a page at its design place, given relative to the
    // whole page control (tab row included).
    void placeOnPage(QWidget *control, int left, int top, int width, int height);

    int m_pageTop = 0; // height of the tab row above a page
};

} // namespace kaoshi
