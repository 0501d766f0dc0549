#pragma once
#include "practice/PracticeView.h"
#include "ui/TaskWindow.h"

namespace kaoshi {

struct AppContext;

// The window a chapter item opens: the practice layout at its design size,
// without behaviour. It keeps the chapter it was opened for.
class ChapterPracticeWindow : public TaskWindow
{
    Q_OBJECT
public:
    ChapterPracticeWindow(AppContext &context, const QString &chapter, QWidget *host);
    QString chapter() const { return m_chapter; }


private:
    QString m_chapter;
    PracticeView m_view;
};

} // namespace kaoshi
