#include "practice/ChapterPracticeWindow.h"

#include "ui/Controls.h"

#include <QLineEdit>

namespace kaoshi {

ChapterPracticeWindow::ChapterPracticeWindow(AppContext &context, QWidget *host) : TaskWindow(host), m_view(this)
{
    Q_UNUSED(context);
    nameControl(this, QStringLiteral("ChapterPracticeWindow"), QStringLiteral("章节练习"));
    resize(PracticeView::kDesignSize);
    m_view.numberBoxes[0]->setEnabled(false);
}

} // namespace kaoshi
