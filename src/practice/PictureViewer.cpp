#include "practice/PictureViewer.h"

#include "practice/PictureBox.h"
#include "data/BankTable.h"
#include "practice/PracticeView.h"
#include "ui/AppContext.h"

#include <QImageReader>
#include <QLabel>

namespace kaoshi {

PictureViewer::PictureViewer(AppContext &context, PracticeView &view, PaneSource &source)
    : m_context(context), m_view(view), m_source(&source)
{
}

void PictureViewer::open(QuestionType type, const QString &number)
{
    const std::optional<FieldValue> value = bank::numberValue(number);
    m_rows = value ? m_source->pictures(type, *value) : QList<PictureRecord>();
    moveTo(0);
    showPictureRow();
}

const PictureRecord *PictureViewer::current() const
{
    return m_position >= 0 && m_position < m_rows.size() ? &m_rows[m_position] : nullptr;
}

void PictureViewer::moveTo(qsizetype position) { m_position = std::clamp<qsizetype>(position, -1, m_rows.size()); }


void PictureViewer::showPictureRow()
{
    const PictureRecord *row = current();
    m_view.summary->setText(row ? row->summary : QString());
    m_picturePath = row ? row->location : QString();
    // A missing or unreadable picture leaves the box empty under its
    // summary, with a note.
    const QString file = shownFile();
    QImageReader reader(file);
    reader.setAutoTransform(true);
    const QImage image = file.isEmpty() ? QImage() : reader.read();
    m_view.picture->setImage(image);
    // A row whose picture cannot be shown says so (a lost file, or a server
    // that is gone before the seat had a copy).
    m_view.picture->setNote(!m_picturePath.isEmpty() && image.isNull() ? QStringLiteral("图片无法显示") : QString());
}

void PictureViewer::first()
{
    moveTo(0);
    showPictureRow();
}

void PictureViewer::last()
{
    moveTo(m_rows.size() - 1);
    showPictureRow();
}

// Stepping off either end of the rows steps straight back, so the picture
// shown stays the same; the step back is taken once, so a question without
// usable rows ends with an empty page.
void PictureViewer::previous()
{
    moveTo(m_position - 1);
    showPictureRow();
    if (m_picturePath.isEmpty()) {
        moveTo(m_position + 1);
        showPictureRow();
    }
}

void PictureViewer::next()
{
    moveTo(m_position + 1);
    showPictureRow();
    if (m_picturePath.isEmpty()) {
        moveTo(m_position - 1);
        showPictureRow();
    }
}

QString PictureViewer::shownFile() const
{
    return m_picturePath.isEmpty() ? QString() : m_source->pictureFile(m_picturePath);
}

void PictureViewer::openPicture()
{
    const QString file = shownFile();
    if (!file.isEmpty())
        m_context.platform.desktop.openWithDesktop(file);
}

} // namespace kaoshi
