#pragma once
// The 图片 page: steps through the picture rows of the loaded question and
// opens the shown picture with the desktop's picture viewer.
#include "data/PictureTable.h"

#include <QString>

namespace kaoshi {

struct AppContext;
class PracticeView;

class PictureViewer
{
public:
    PictureViewer(AppContext &context, PracticeView &view);

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
    // The position moves like a cursor's: one step past either end leaves
    // no row shown.
    const PictureRecord *current() const;
    void moveTo(qsizetype position);
    // The file of the shown picture in the data folder's image folder,
    // fetched from the server first where the pictures are kept there.
    QString shownFile() const;

    QList<PictureRecord> m_rows;
    qsizetype m_position = -1;
    QString m_picturePath;
};

} // namespace kaoshi
