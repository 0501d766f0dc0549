#pragma once
#include "practice/PracticeWindow.h"

#include <vector>

namespace kaoshi {

// Walks each bank in a random order drawn when the window opens: the number
// box holds a position k in the bank's order, and the k-th entry of the
// order is the 题号 shown.
class RandomPracticeWindow : public PracticeWindow
{
    Q_OBJECT
public:
    RandomPracticeWindow(AppContext &context, QWidget *host);

    // Draws one order per bank, each a permutation of 1 … (rows of the bank).
    void drawShuffledOrders();
    const std::vector<qint64> &shuffledOrder(int page) const { return m_orders[size_t(page)]; }
    // Replaces the drawn order of a bank (a fixed order for tests and demos).
    void setShuffledOrder(int page, std::vector<qint64> order) { m_orders[size_t(page)] = std::move(order); }

protected:
    QString mainCaption() const override;
    QString numberToLoad() override;
    void prepareBanks() override { drawShuffledOrders(); }
    void prepareJump() override { m_jumpByNumber = true; }

private:
    std::array<std::vector<qint64>, 4> m_orders;
    // On for the one load after a jump from the wrong-question list, which
    // takes the number box as a 题号.
    bool m_jumpByNumber = false;
};

} // namespace kaoshi
