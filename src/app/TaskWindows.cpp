#include "app/TaskWindows.h"

#include "bank/BankWindow.h"
#include "exam/CandidateDialog.h"
#include "exam/ExamConfigDialog.h"
#include "grading/GradingWindow.h"
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
        return new GradingWindow(context, host);
    case TaskKind::ExamConfig:
        // A dialog of its own, owned by the main window, not placed beside
        // the navigation bar.
        return new ExamConfigDialog(context, host ? host->window() : nullptr);
    case TaskKind::Candidate:
        // Modal and without an owner.
        return new CandidateDialog(context);
    }
    return nullptr;
}

} // namespace kaoshi
