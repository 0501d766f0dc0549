#pragma once
// The 图片 page: steps through the picture rows of the loaded question and
// opens the shown picture with the desktop's picture viewer.
#include "data/PictureTable.h"
#include "practice/PaneSource.h"

#include <QString>

namespace kaoshi {

struct AppContext;
class PracticeView;

class PictureViewer
{
public:
    // source: where the picture rows and files come from.
    PictureViewer(AppContext &context, PracticeView &view, PaneSource &source);
    void setSource(PaneSource &source) { m_source = &source; }

    // Reopens the picture rows of a question and shows the first.
    void open(QuestionType type, const QString &number);

    void showPictureRow();
    void first();
    void previous();
    void next();
    void last();
    // Opens the shown picture's file with the desktop's program; only files
    // inside the data folder's image folder are ever opened.
    void openPicture();

private:
    AppContext &m_context;
    PracticeView &m_view;
    PaneSource *m_source;
    // The position moves like a cursor's: one step past either end leaves
    // no row shown.
    const PictureRecord *current() const;
    void moveTo(qsizetype position);
    // The file of the shown picture in the data folder's image folder, as
    // the source gives it.
    QString shownFile() const;

    QList<PictureRecord> m_rows;
    qsizetype m_position = -1;
    QString m_picturePath;
};

} // namespace kaoshi
