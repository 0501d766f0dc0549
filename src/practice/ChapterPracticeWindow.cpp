#include "practice/ChapterPracticeWindow.h"

#include <QLineEdit>

namespace kaoshi {

ChapterPracticeWindow::ChapterPracticeWindow(AppContext &context, QWidget *host) : TaskWindow(host), m_view(this)
{
    Q_UNUSED(context);
    setObjectName(QStringLiteral("ChapterPracticeWindow"));
    resize(PracticeView::kDesignSize);
    m_view.numberBoxes[0]->setEnabled(false);
}

} // namespace kaoshi
