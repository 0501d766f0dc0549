#include "app/TaskWindows.h"

#include "bank/BankWindow.h"
#include "practice/ChapterPracticeWindow.h"
#include "practice/RandomPracticeWindow.h"
#include "practice/SequentialPracticeWindow.h"
#include "ui/AppContext.h"

namespace kaoshi {

QWidget *createTaskWindow(TaskKind kind, AppContext &context, QWidget *host)
{
    switch (kind) {
    case TaskKind::Bank:
        return new BankWindow(context, host);
    case TaskKind::SequentialPractice:
        return new SequentialPracticeWindow(context, host);
    case TaskKind::RandomPractice:
        return new RandomPracticeWindow(context, host);
    case TaskKind::ChapterPractice:
        return new ChapterPracticeWindow(context, host);
    case TaskKind::Grading:
    case TaskKind::ExamConfig:
    case TaskKind::Candidate:
        break;
    }
    return nullptr;
}

} // namespace kaoshi
