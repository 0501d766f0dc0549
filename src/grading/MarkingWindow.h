#pragma once
// "阅卷": a marker goes through the free (问答) answers of an occasion one by
// one, reads the question, the standard answer as the reference and the
// candidate's answer, and gives a score from 0 to the question's 分值 in
// halves. Each score is kept at once; grading and the results analysis use
// it in place of comparing the texts.
#include "data/HandScoreTable.h"
#include "ui/TaskWindow.h"

#include <vector>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QTextEdit;

namespace kaoshi {

class MarkingWindow final : public TaskWindow
{
    Q_OBJECT
public:
    MarkingWindow(AppContext &context, QWidget *host);

    enum class Filter { All, Unmarked, Marked };

    // Reads the answers of the chosen occasion and filter, from the first.
    void loadAnswers();
    void showPrevious();
    void showNext();
    // "给分": keeps the typed score of the answer shown and moves on. A
    // score that is not kept stays typed, with the reason shown.
    bool storeScore();

    int position() const { return m_position; }
    int answerCount() const { return int(m_answers.size()); }

protected:
    QString mainCaption() const override { return QStringLiteral("考试系统-阅卷"); }
    bool startTask() override;

private:
    void buildControls();
    void fillOccasions();
    void showAnswer();
    Filter filter() const;

    QComboBox *m_occasion = nullptr;
    QComboBox *m_filter = nullptr;
    QLabel *m_place = nullptr;
    QLabel *m_candidate = nullptr;
    QTextEdit *m_question = nullptr;
    QTextEdit *m_reference = nullptr;
    QTextEdit *m_answer = nullptr;
    QDoubleSpinBox *m_score = nullptr;
    QLabel *m_fullMark = nullptr;
    QLabel *m_state = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QPushButton *m_store = nullptr;
    std::vector<FreeAnswer> m_answers;
    int m_position = -1; // index into m_answers; -1 when there is none
};

} // namespace kaoshi
