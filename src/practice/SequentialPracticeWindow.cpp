#include "practice/SequentialPracticeWindow.h"

#include "ui/Controls.h"

#include <QLineEdit>

namespace kaoshi {

SequentialPracticeWindow::SequentialPracticeWindow(AppContext &context, QWidget *host)
    : PracticeWindow(context, host)
{
    nameControl(this, QStringLiteral("SequentialPracticeWindow"), QStringLiteral("顺序练习"));
}

QString SequentialPracticeWindow::mainCaption() const { return QStringLiteral("考试系统-顺序练习"); }

QString SequentialPracticeWindow::numberToLoad() { return numberBox()->text(); }

} // namespace kaoshi
