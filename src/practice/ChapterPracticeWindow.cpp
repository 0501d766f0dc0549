#include "practice/ChapterPracticeWindow.h"

#include "data/BankTable.h"
#include "data/Schema.h"
#include "practice/ChapterOrder.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"

#include <QLineEdit>

namespace kaoshi {

ChapterPracticeWindow::ChapterPracticeWindow(AppContext &context, const QString &item, QWidget *host)
    : OrderedPracticeWindow(context, host), m_item(item), m_chapter(chapterOfItem(item))
{
    nameControl(this, QStringLiteral("ChapterPracticeWindow"), QStringLiteral("章节练习"));
}

QString ChapterPracticeWindow::mainCaption() const { return QStringLiteral("考试系统-章节练习-") + m_item; }

bool ChapterPracticeWindow::prepareBanks()
{
    const QStringList &types = questionTypes();
    bool any = false;
    for (int page = 0; page < types.size(); ++page) {
        std::optional<std::vector<qint64>> numbers = bank::chapterQuestionNumbers(m_context.store, types[page], m_chapter);
        if (!numbers) {
            m_context.messages().failure(QStringLiteral("没能读取") + types[page] + QStringLiteral("题库"),
                                         m_context.store.errorString());
            return false;
        }
        any = any || !numbers->empty();
        setOrder(page, std::move(*numbers));
    }
    if (!any) {
        m_context.messages().notice(QStringLiteral("章节“") + m_item + QStringLiteral("”没有题目"));
        return false;
    }
    boundByOrders();
    return true;
}

void ChapterPracticeWindow::prepareJump()
{
    // A listed question of this chapter is shown at its place in the
    // chapter; any other by its 题号.
    const std::vector<qint64> &numbers = order(m_state.page);
    bool ok = false;
    const qint64 number = numberBox()->text().toLongLong(&ok);
    const auto found = std::find(numbers.begin(), numbers.end(), number);
    if (ok && found != numbers.end())
        numberBox()->setText(QString::number(found - numbers.begin() + 1));
    else
        OrderedPracticeWindow::prepareJump();
}

} // namespace kaoshi
