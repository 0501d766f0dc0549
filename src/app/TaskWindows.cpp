#include "app/TaskWindows.h"

#include "ui/AppContext.h"

namespace kaoshi {

QWidget *createTaskWindow(TaskKind kind, AppContext &context, QWidget *host)
{
    Q_UNUSED(context);
    Q_UNUSED(host);
    switch (kind) {
    case TaskKind::Bank:
    case TaskKind::Grading:
    case TaskKind::SequentialPractice:
    case TaskKind::RandomPractice:
    case TaskKind::ChapterPractice:
    case TaskKind::ExamConfig:
    case TaskKind::Candidate:
        break;
    }
    return nullptr;
}

} // namespace kaoshi
