#include "practice/OrderedPracticeWindow.h"

#include "data/TextRules.h"

#include <QLineEdit>

namespace kaoshi {

QString OrderedPracticeWindow::numberToLoad()
{
    m_loadedPage = m_state.page;
    m_loadedIndex = -1;
    if (m_jumpByNumber) {
        m_jumpByNumber = false;
        return numberBox()->text();
    }
    // A position outside the order designates no question.
    const std::vector<qint64> &order = m_orders[size_t(m_state.page)];
    const qint64 position = qint64(textToNumber(numberBox()->text()));
    if (position < 1 || position > qint64(order.size()))
        return QString();
    m_loadedIndex = int(position - 1);
    return QString::number(order[size_t(m_loadedIndex)]);
}

void OrderedPracticeWindow::boundByOrders()
{
    for (size_t page = 0; page < m_orders.size(); ++page) {
        const bool empty = m_orders[page].empty();
        m_state.bounds[page] = {empty ? QString() : QStringLiteral("1"),
                                empty ? QString() : QString::number(m_orders[page].size()), false, {}};
    }
}

} // namespace kaoshi
