#include "practice/SequentialPracticeWindow.h"

#include "ui/Controls.h"

namespace kaoshi {

SequentialPracticeWindow::SequentialPracticeWindow(AppContext &context, PracticeSession &session, QWidget *host)
    : PracticeWindow(context, session, host)
{
    nameControl(this, QStringLiteral("SequentialPracticeWindow"), QStringLiteral("顺序练习"));
}

QString SequentialPracticeWindow::mainCaption() const { return QStringLiteral("考试系统-顺序练习"); }

} // namespace kaoshi
