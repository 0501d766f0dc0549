#pragma once
#include "practice/PracticeView.h"
#include "ui/TaskWindow.h"

namespace kaoshi {

struct AppContext;

// The window a chapter item opens: the practice layout at its design size,
// without behaviour. The chosen chapter is kept in the session for a chapter
// practice to come.
class ChapterPracticeWindow : public TaskWindow
{
    Q_OBJECT
public:
    ChapterPracticeWindow(AppContext &context, QWidget *host);


private:
    PracticeView m_view;
};

} // namespace kaoshi
