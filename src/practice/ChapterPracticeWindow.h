#pragma once
#include "practice/PracticeWindow.h"

namespace kaoshi {

// Practises the questions of one chapter: per bank, the chapter's questions
// in 题号 order, the number box holding the position within the chapter.
// A bank without questions of the chapter shows an empty page.
class ChapterPracticeWindow : public PracticeWindow
{
    Q_OBJECT
public:
    // item: the chapter item chosen, kNoChapterItem for the questions
    // without a chapter.
    ChapterPracticeWindow(AppContext &context, PracticeSession &session, const QString &item, QWidget *host);
    QString chapter() const { return m_chapter; }

protected:
    QString mainCaption() const override;
    bool prepareBanks() override;

private:
    QString m_item;
    QString m_chapter;
};

} // namespace kaoshi
