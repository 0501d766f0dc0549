#pragma once
// The question pane that the practice windows and the exam paper own: the
// number box of each question type, the answer controls, the question's
// text and pictures, and the navigation 首题, 上题, 下题 and 尾题. The number
// box holds either the 题号 itself or a position in an order of 题号 per
// bank (a shuffled bank, a chapter, a paper). The pane loads what the box
// designates and tells its owner, through one signal, whenever the shown
// answer changes, whatever changed it: the mouse, the keyboard, a screen
// reader's action or code.
#include "data/BankTable.h"
#include "practice/PictureViewer.h"
#include "practice/PracticeView.h"
#include "practice/PaneSource.h"

#include <QObject>
#include <functional>
#include <vector>

class QLineEdit;
class QWidget;

namespace kaoshi {

struct AppContext;

class QuestionPane final : public QObject
{
    Q_OBJECT
public:
    // The status-bar part that shows the position.
    static constexpr int kPositionStatusPart = 3;

    // Builds the controls on window; the toolbar gets these buttons.
    QuestionPane(AppContext &context, QWidget *window, const QStringList &toolbarCaptions);
    ~QuestionPane() override;

    PracticeView &view() { return m_view; }
    const PracticeView &view() const { return m_view; }

    // The lowest and highest value of each bank's number box.
    void setBounds(QuestionType type, const bank::Bounds &bounds) { m_bounds[at(type)] = bounds; }
    const bank::Bounds &bounds(QuestionType type) const { return m_bounds[at(type)]; }
    // The 题号 each position of a bank's number box designates, once the
    // pane uses orders.
    void setOrder(QuestionType type, std::vector<qint64> order) { m_orders[at(type)] = std::move(order); }
    const std::vector<qint64> &order(QuestionType type) const { return m_orders[at(type)]; }
    void useOrders() { m_ordered = true; }
    // Uses orders, and the bounds of every bank become the positions 1 … n
    // of its order; an empty order has none, so its page stays empty.
    void boundByOrders();
    // A bank without questions: its page shows the note instead of a
    // question and offers nothing to answer.
    void setEmptyNote(QuestionType type, const QString &note);
    bool hasQuestions(QuestionType type) const { return m_emptyNotes[at(type)].isEmpty(); }

    // The bank of the answer page shown; its number box is the current one.
    QuestionType currentType() const { return m_type; }
    QLineEdit *numberBox() const { return numberBox(m_type); }
    QLineEdit *numberBox(QuestionType type) const { return m_view.numberBoxes[at(type)]; }

    // Shows the answer page of the tab chosen and loads its question; an
    // empty number box starts at the bank's lower bound.
    void showAnswerPage();
    // Loads the question the current number box designates.
    void load();
    // Shows a question of a bank by its 题号, at its position when an order
    // holds it and findPosition is set, else by the 题号 itself.
    void jumpTo(QuestionType type, const QString &number, bool findPosition);
    void goFirst();
    void goPrevious();
    void goNext();
    void goLast();

    // The question shown: its bank, its 0-based place in the bank's order
    // (-1 when it was not loaded by position), its 题号 and its row.
    QuestionType loadedType() const { return m_loadedType; }
    int loadedIndex() const { return m_loadedIndex; }
    QString loadedNumber() const { return m_loadedNumber; }
    const Question &loadedQuestion() const { return m_question; }

    // The answer the controls give now for the question shown, a free answer trimmed.
    QString shownAnswer() const;
    // Where the answer shown for a loaded question comes from; by default
    // its 练习答案.
    using AnswerSource = std::function<QString(const Question &question, int index)>;
    void setAnswerSource(AnswerSource source) { m_answerSource = std::move(source); }
    // Where the text shown for a loaded question comes from; by default its
    // 题目 laid out (shownQuestionText).
    using TextSource = std::function<QString(const Question &question, int index)>;
    void setTextSource(TextSource source) { m_textSource = std::move(source); }

    // Where the questions shown and their pictures come from (by default the
    // database, as each is shown); source outlives the pane's use of it.
    void setQuestionSource(PaneSource &source);

    // "第 3 / 20 题": where the question shown stands in its bank or paper;
    // "" when none is shown. The status bar shows it while the window is open.
    QString positionText() const;

    // Size and character format of the controls.
    void adaptToSize(QSize size) { m_view.adaptToSize(size); }
    void applyCharFormat(const CharFormat &format) { m_view.applyCharFormat(format); }

signals:
    // A question is about to be replaced by the next load.
    void aboutToLeave();
    void loaded();
    // The answer shown for the loaded question is now answer.
    void answerChanged(const QString &answer);
    // A toolbar button was pressed, by its caption.
    void toolbarButton(const QString &caption);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static size_t at(QuestionType type) { return size_t(typeIndex(type)); }
    // A–G choose an option (a tick toggles), 1/Y and 0/N choose √ and ×;
    // text fields keep their keys.
    void installAnswerKeys(QWidget *window);
    void chooseByKey(int letter);
    void chooseVerdict(bool right);
    void showPosition(const QString &text);
    // The 题号 the current number box designates; "" designates none.
    QString numberToLoad();
    void moveTo(double number);
    void noteAnswerChange();

    AppContext &m_context;
    QWidget *m_window;
    PracticeView m_view;
    StorePaneSource m_storeSource;
    PaneSource *m_source = &m_storeSource;
    PictureViewer m_pictures;
    QuestionType m_type = QuestionType::SingleChoice;
    std::array<bank::Bounds, kQuestionTypeCount> m_bounds;
    std::array<std::vector<qint64>, kQuestionTypeCount> m_orders;
    std::array<QString, kQuestionTypeCount> m_emptyNotes;
    bool m_ordered = false;
    bool m_jumpByNumber = false; // the next load takes the box as a 题号
    QuestionType m_loadedType = QuestionType::SingleChoice;
    int m_loadedIndex = -1;
    QString m_loadedNumber;
    Question m_question;
    AnswerSource m_answerSource;
    TextSource m_textSource;
    QString m_shownAnswer; // as last told
    bool m_loading = false;
};

} // namespace kaoshi
