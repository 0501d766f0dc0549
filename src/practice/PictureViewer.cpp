#include "practice/PictureViewer.h"

#include "practice/PictureBox.h"
#include "data/PictureLocation.h"
#include "data/BankTable.h"
#include "data/PictureTable.h"
#include "practice/PracticeView.h"
#include "ui/AppContext.h"

#include <QImageReader>
#include <QLabel>

namespace kaoshi {

PictureViewer::PictureViewer(AppContext &context, PracticeView &view) : m_context(context), m_view(view) {}

void PictureViewer::open(const QString &type, const QString &number)
{
    m_rows.close();
    const std::optional<FieldValue> value = bank::numberValue(number);
    m_rows = value ? pictures::ofQuestion(m_context.store, type, *value) : RecordCursor();
    m_rows.first();
    showPictureRow();
}


void PictureViewer::showPictureRow()
{
    QString summary;
    m_rows.readText(QStringLiteral("摘要"), summary);
    m_view.summary->setText(summary);
    m_picturePath.clear();
    m_rows.readText(QStringLiteral("图片"), m_picturePath);
    // A missing or unreadable file leaves the box empty under its summary.
    const QString file = pictureFile(m_context.dataDir, m_picturePath);
    QImageReader reader(file);
    reader.setAutoTransform(true);
    m_view.picture->setImage(file.isEmpty() ? QImage() : reader.read());
}

void PictureViewer::first()
{
    m_rows.first();
    showPictureRow();
}

void PictureViewer::last()
{
    m_rows.last();
    showPictureRow();
}

// Stepping off either end of the rows steps straight back, so the picture
// shown stays the same; the step back is taken once, so a question without
// usable rows ends with an empty page.
void PictureViewer::previous()
{
    m_rows.previous();
    showPictureRow();
    if (m_picturePath.isEmpty()) {
        m_rows.next();
        showPictureRow();
    }
}

void PictureViewer::next()
{
    m_rows.next();
    showPictureRow();
    if (m_picturePath.isEmpty()) {
        m_rows.previous();
        showPictureRow();
    }
}

void PictureViewer::openPicture()
{
    const QString file = pictureFile(m_context.dataDir, m_picturePath);
    if (!file.isEmpty())
        m_context.platform.desktop.openWithDesktop(file);
}

} // namespace kaoshi
