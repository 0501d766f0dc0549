#pragma once
// The controls of the question pane, as the practice windows and the exam
// paper show them: the toolbar, the answer area with one page per question
// type, and the question area with the pages 文字 and 图片 (a window adds its
// own pages). The view only builds and sizes the controls; the pane and the
// windows give them behaviour.
#include "data/QuestionType.h"
#include "practice/PracticeSession.h"
#include "ui/AnswerControls.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <array>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTextEdit;
class QToolBar;
class QWidget;

namespace kaoshi {

class PictureBox;

// Pages of the question area; a window's own pages follow these.
enum QuestionPage { TextPage = 0, PicturePage = 1 };

class PracticeView
{
public:
    // The window's design size; the controls keep their design places in it.
    static constexpr QSize kDesignSize{716, 377};

    // Builds every control as a child of window, the toolbar with these
    // buttons in this order.
    PracticeView(QWidget *window, const QStringList &toolbarCaptions);

    // A further page of the question area, and a control placed on such a
    // page at its design place (relative to the whole page control).
    QWidget *addQuestionPage(const QString &caption);
    void placeOnPage(QWidget *control, int left, int top, int width, int height);
    // A read-only or editable plain-text field of the design.
    static QTextEdit *textField(QWidget *parent, const QString &name, bool readOnly);
    // Gives a text field the character format as its default.
    static void applyCharFormat(QTextEdit *edit, const CharFormat &format);

    // Widens and heightens the controls for a window of the given size;
    // no control moves.
    void adaptToSize(QSize size);
    // Makes format the default character format of the pane's text fields.
    void applyCharFormat(const CharFormat &format);

    QToolBar *toolbar = nullptr;
    QTabWidget *answerTabs = nullptr;
    std::array<QGroupBox *, kQuestionTypeCount> frames{};
    std::array<QLineEdit *, kQuestionTypeCount> numberBoxes{};
    AnswerControls answers;

    QTabWidget *questionTabs = nullptr;
    QTextEdit *questionText = nullptr;
    QPushButton *firstPicture = nullptr;
    QPushButton *previousPicture = nullptr;
    QPushButton *nextPicture = nullptr;
    QPushButton *lastPicture = nullptr;
    QLabel *summary = nullptr;
    PictureBox *picture = nullptr;

private:
    void buildAnswerArea(QWidget *window);
    void buildQuestionArea(QWidget *window);
    QWidget *addPage(QTabWidget *tabs, const QString &caption);

    int m_pageTop = 0; // height of the tab row above a page
};

} // namespace kaoshi
