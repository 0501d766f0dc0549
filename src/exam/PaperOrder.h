#pragma once
// The order in which a candidate's exam paper shows the options of each
// position, drawn with the paper and kept with it, so that a resumed paper
// shows the same order. The candidate chooses shown letters; the paper keeps
// and grades the question's own letters, so the mapping lives here: the
// text shown at a position, and shown letters <-> own letters.
#include "data/Question.h"

#include <QList>
#include <QString>
#include <vector>

class QRandomGenerator;

namespace kaoshi {

class DataStore;
class ExamPaper;

class PaperOrder
{
public:
    PaperOrder() = default;
    // By position (0-based, the kept 序号); an empty order shows the options as written.
    explicit PaperOrder(std::vector<QList<int>> orders) : m_orders(std::move(orders)) {}

    const std::vector<QList<int>> &orders() const { return m_orders; }
    // Some position shows its options in another order.
    bool movesAny() const;

    // The question text as the pane shows it at position: laid out, with the
    // options relettered A, B, C … in the order shown.
    QString shownText(int position, const Question &question) const;
    // The question's own letters as shown ("AC" → the shown letters, in
    // letter order), and the shown letters as the question's own.
    QString shownAnswer(int position, const Question &question, const QString &ownLetters) const;
    QString ownAnswer(int position, const Question &question, const QString &shownLetters) const;

private:
    // The order of position, when the question's options may move and the
    // order fits them (a question edited since the draw shows as written).
    QList<int> orderFor(int position, const Question &question) const;

    std::vector<QList<int>> m_orders;
};

// Draws an option order for each 单选 and 多选 question of the paper whose
// options may move; failed when a bank could not be read.
struct PaperOrderDraw {
    PaperOrder order;
    bool failed = false;
};
PaperOrderDraw drawOptionOrders(DataStore &store, const ExamPaper &paper, QRandomGenerator &generator);

} // namespace kaoshi
