#pragma once
#include "practice/PracticeWindow.h"

namespace kaoshi {

// Walks each bank in a random order drawn when the window opens: the number
// box holds a position k in the bank's order, and the k-th entry of the
// order is the 题号 shown.
class RandomPracticeWindow : public PracticeWindow
{
    Q_OBJECT
public:
    RandomPracticeWindow(AppContext &context, PracticeSession &session, QWidget *host);

    // Draws one order per bank, each a permutation of 1 … (rows of the bank).
    void drawShuffledOrders();

protected:
    QString mainCaption() const override;
    bool prepareBanks() override;
};

} // namespace kaoshi
