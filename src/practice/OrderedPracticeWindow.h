#pragma once
#include "practice/PracticeWindow.h"

#include <array>
#include <vector>

namespace kaoshi {

// A practice window whose number box holds a position k in an order of 题号
// per bank (a shuffled bank, a chapter, an exam paper): the k-th entry of the
// order is the 题号 shown.
class OrderedPracticeWindow : public PracticeWindow
{
    Q_OBJECT
public:
    using PracticeWindow::PracticeWindow;

    const std::vector<qint64> &order(int page) const { return m_orders[size_t(page)]; }
    // Replaces the order of a bank (also a fixed order for tests and demos).
    void setOrder(int page, std::vector<qint64> order) { m_orders[size_t(page)] = std::move(order); }

protected:
    QString numberToLoad() override;
    // The next load takes the number box as a 题号.
    void prepareJump() override { m_jumpByNumber = true; }
    // The bounds of every page become the positions 1 … n of its order;
    // an empty order has none, so its page stays empty.
    void boundByOrders();

    // Where the question shown stands: its page and its 0-based place in
    // that page's order; -1 when it was not loaded by position.
    int loadedPage() const { return m_loadedPage; }
    int loadedIndex() const { return m_loadedIndex; }

private:
    std::array<std::vector<qint64>, 4> m_orders;
    // On for the one load after a jump from the wrong-question list.
    bool m_jumpByNumber = false;
    int m_loadedPage = 0;
    int m_loadedIndex = -1;
};

} // namespace kaoshi
