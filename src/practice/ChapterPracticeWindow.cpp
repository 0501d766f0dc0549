#include "practice/ChapterPracticeWindow.h"

#include "data/BankTable.h"
#include "practice/ChapterOrder.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"


namespace kaoshi {

ChapterPracticeWindow::ChapterPracticeWindow(AppContext &context, PracticeSession &session, const QString &item,
                                             QWidget *host)
    : PracticeWindow(context, session, host), m_item(item), m_chapter(chapterOfItem(item))
{
    // A listed question of this chapter is shown at its place in the
    // chapter; any other by its 题号.
    m_jumpFindsPosition = true;
    nameControl(this, QStringLiteral("ChapterPracticeWindow"), QStringLiteral("章节练习"));
}

QString ChapterPracticeWindow::mainCaption() const { return QStringLiteral("考试系统-章节练习-") + m_item; }

bool ChapterPracticeWindow::prepareBanks()
{
    bool any = false;
    for (QuestionType type : allQuestionTypes()) {
        std::optional<std::vector<qint64>> numbers = bank::chapterQuestionNumbers(m_context.store, type, m_chapter);
        if (!numbers) {
            m_context.messages().failure(QStringLiteral("没能读取") + typeCaption(type) + QStringLiteral("题库"),
                                         m_context.store.errorString());
            return false;
        }
        any = any || !numbers->empty();
        setOrder(type, std::move(*numbers));
    }
    if (!any) {
        m_context.messages().notice(QStringLiteral("章节“") + m_item + QStringLiteral("”没有题目"));
        return false;
    }
    m_pane.boundByOrders();
    return true;
}

} // namespace kaoshi
