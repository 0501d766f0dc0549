#pragma once
#include "practice/PracticeWindow.h"

namespace kaoshi {

// Walks a bank in 题号 order: the number box holds the 题号 itself.
class SequentialPracticeWindow : public PracticeWindow
{
    Q_OBJECT
public:
    SequentialPracticeWindow(AppContext &context, PracticeSession &session, QWidget *host);

protected:
    QString mainCaption() const override;
};

} // namespace kaoshi
