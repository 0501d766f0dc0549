#include "practice/PictureBox.h"

#include <QMouseEvent>
#include <QPainter>

namespace kaoshi {

PictureBox::PictureBox(QWidget *parent) : QFrame(parent) {}

void PictureBox::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void PictureBox::setNote(const QString &note)
{
    m_note = note;
    setAccessibleDescription(note);
    update();
}

QRect PictureBox::pictureRect() const
{
    if (m_image.isNull())
        return QRect();
    const QRect area = contentsRect();
    QSize size = m_image.size();
    // Large pictures shrink to fit; small ones keep their own size.
    if (size.width() > area.width() || size.height() > area.height())
        size.scale(area.size(), Qt::KeepAspectRatio);
    QRect target(QPoint(0, 0), size);
    target.moveCenter(area.center());
    return target;
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    if (m_image.isNull()) {
        painter.drawText(contentsRect(), Qt::AlignCenter | Qt::TextWordWrap, m_note);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(pictureRect(), m_image);
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QFrame::mouseDoubleClickEvent(event);
}

} // namespace kaoshi
