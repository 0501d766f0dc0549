#pragma once
// "题目编辑": one question of the current bank with its text, explanation,
// score, chapter, standard answer and up to four pictures. "保存" replaces
// the question, "删除" removes it and moves the later questions up.
#include "ui/AnswerControls.h"
#include "bank/QuestionBank.h"

#include <QDialog>
#include <QList>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QTabWidget;
class QTextEdit;
class QTimer;
class QToolBar;

namespace kaoshi {

struct AppContext;
class ListGrid;

class QuestionEditorWindow final : public QDialog
{
    Q_OBJECT
public:
    // row: the bank-list row the editor was opened on; without a 题号 the
    // editor offers the next free number for a new question.
    QuestionEditorWindow(AppContext &context, QuestionType type, const QuestionTexts &row,
                         QWidget *parent = nullptr);

    void loadAnswerAndPictures();
    void onTimer();
    // In-place editing is about to start in a cell of the picture grid.
    void choosePicture(int row, int column);
    void saveQuestion();
    void deleteQuestion();

    // The standard answer the answer controls of this type give now.
    QString composedAnswer() const;

    // What the editor did before it closed, so the bank list can follow.
    enum class Outcome { None, Saved, Deleted };
    Outcome outcome() const { return m_outcome; }
    // The question as stored by the last save, its number included.
    QuestionTexts savedQuestion() const { return m_saved; }
    qint64 questionNumber() const;
    qint64 rowId() const { return m_rowId; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildQuestionArea();
    QWidget *buildAnswerArea();
    QWidget *buildPictureArea();
    void showOnlyAnswerPage();
    void setUpPictureGrid();
    void fillFromRow(const QuestionTexts &row);
    void showAnswer(const QString &answer);
    QString pictureStampNow();
    // The 题号 the question is stored under: the opened row's own, or the typed one for a new question.
    FieldValue numberValue() const;
    bool isPictureLocationTaken(const QString &location, int row);
    bool isSharedWithOtherQuestion(const QString &location);

    AppContext &m_context;
    QuestionType m_type;
    QString m_rememberedAnswer;
    qint64 m_rowId = 0;
    QuestionTexts m_opened; // the texts of the row as opened
    FieldValue m_storedNumber;
    Outcome m_outcome = Outcome::None;
    QuestionTexts m_saved;

    QToolBar *m_toolbar = nullptr;
    QLineEdit *m_number = nullptr;
    QTabWidget *m_questionTabs = nullptr;
    QTextEdit *m_text = nullptr;
    QTextEdit *m_explanation = nullptr;
    QLineEdit *m_score = nullptr;
    QTextEdit *m_chapter = nullptr;
    QTabWidget *m_answerTabs = nullptr;
    AnswerControls m_answers;
    bool m_busy = false; // a save is running
    ListGrid *m_pictures = nullptr;
    QTimer *m_clock = nullptr;
    QLineEdit *m_stamp = nullptr;
};

} // namespace kaoshi
