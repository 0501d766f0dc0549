#include "practice/RandomPracticeWindow.h"

#include "data/BankTable.h"
#include "practice/ShuffledOrder.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"

namespace kaoshi {

RandomPracticeWindow::RandomPracticeWindow(AppContext &context, PracticeSession &session, QWidget *host)
    : PracticeWindow(context, session, host)
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
    for (QuestionType type : allQuestionTypes()) {
        const qint64 count = bank::questionCount(m_context.store, type).value_or(0);
        const quint64 seed =
            nextClockSeed(m_context.platform.clock.millisecondsSinceStart(), m_session.randomSeedOffset);
        setOrder(type, drawShuffledOrder(count, seed));
    }
    // The bounds stay those of the banks' 题号.
    m_pane.useOrders();
}

} // namespace kaoshi
