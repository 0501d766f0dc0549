#include "practice/RandomPracticeWindow.h"

#include "ui/Controls.h"

#include "data/BankTable.h"
#include "data/Schema.h"
#include "practice/ShuffledOrder.h"
#include "practice/PracticeSession.h"
#include "ui/AppContext.h"

namespace kaoshi {

RandomPracticeWindow::RandomPracticeWindow(AppContext &context, QWidget *host) : OrderedPracticeWindow(context, host)
{
    nameControl(this, QStringLiteral("RandomPracticeWindow"), QStringLiteral("随机练习"));
}

QString RandomPracticeWindow::mainCaption() const { return QStringLiteral("考试系统-随机练习"); }

bool RandomPracticeWindow::prepareBanks()
{
    if (!checkBanks())
        return false;
    drawShuffledOrders();
    return true;
}

void RandomPracticeWindow::drawShuffledOrders()
{
    const QStringList &types = questionTypes();
    for (int page = 0; page < types.size(); ++page) {
        const qint64 count = bank::questionCount(m_context.store, types[page]).value_or(0);
        const quint64 seed =
            nextClockSeed(m_context.platform.clock.millisecondsSinceStart(), m_context.practice.randomSeedOffset);
        setOrder(page, drawShuffledOrder(count, seed));
    }
}

} // namespace kaoshi
