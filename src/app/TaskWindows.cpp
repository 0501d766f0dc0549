#include "app/TaskWindows.h"

#include "bank/BankWindow.h"
#include "ui/AppContext.h"

namespace kaoshi {

QWidget *createTaskWindow(TaskKind kind, AppContext &context, QWidget *host)
{
    switch (kind) {
    case TaskKind::Bank: return new BankWindow(context, host);
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
