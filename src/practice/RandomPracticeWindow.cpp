#include "practice/RandomPracticeWindow.h"

#include "ui/Controls.h"

#include "data/BankTable.h"
#include "data/Schema.h"
#include "data/TextRules.h"
#include "practice/ShuffledOrder.h"
#include "practice/PracticeSession.h"
#include "ui/AppContext.h"

#include <QLineEdit>

namespace kaoshi {

RandomPracticeWindow::RandomPracticeWindow(AppContext &context, QWidget *host) : PracticeWindow(context, host)
{
    nameControl(this, QStringLiteral("RandomPracticeWindow"), QStringLiteral("随机练习"));
}

QString RandomPracticeWindow::mainCaption() const { return QStringLiteral("考试系统-随机练习"); }

void RandomPracticeWindow::drawShuffledOrders()
{
    const QStringList &types = questionTypes();
    for (int page = 0; page < types.size(); ++page) {
        const qint64 count = bank::questionCount(m_context.store, types[page]).value_or(0);
        const quint64 seed =
            nextClockSeed(m_context.platform.clock.millisecondsSinceStart(), m_context.practice.randomSeedOffset);
        m_orders[size_t(page)] = drawShuffledOrder(count, seed);
    }
}

QString RandomPracticeWindow::numberToLoad()
{
    if (m_jumpByNumber) {
        m_jumpByNumber = false;
        return numberBox()->text();
    }
    // A position outside the order designates no question.
    const std::vector<qint64> &order = m_orders[size_t(m_state.page)];
    const qint64 position = qint64(textToNumber(numberBox()->text()));
    if (position < 1 || position > qint64(order.size()))
        return QString();
    return QString::number(order[size_t(position - 1)]);
}

} // namespace kaoshi
