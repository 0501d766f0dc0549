#include "practice/ChapterPracticeWindow.h"

#include "ui/Controls.h"

#include <QLineEdit>

namespace kaoshi {

ChapterPracticeWindow::ChapterPracticeWindow(AppContext &context, const QString &chapter, QWidget *host)
    : TaskWindow(context, host), m_chapter(chapter), m_view(this)
{
    nameControl(this, QStringLiteral("ChapterPracticeWindow"), QStringLiteral("章节练习"));
    resize(PracticeView::kDesignSize);
    m_view.numberBoxes[0]->setEnabled(false);
}

} // namespace kaoshi
