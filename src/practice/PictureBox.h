#pragma once
// The picture box of the 图片 page: shows one picture fitted into its area,
// keeping the picture's aspect ratio, and reports double-clicks.
#include <QFrame>
#include <QImage>

namespace kaoshi {

class PictureBox : public QFrame
{
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    QImage image() const { return m_image; }
    // Said in the box, and to a screen reader, while it shows no picture:
    // why a picture of the question cannot be shown; "" for none.
    void setNote(const QString &note);
    QString note() const { return m_note; }
    // The area the picture is drawn into.
    QRect pictureRect() const;

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QImage m_image;
    QString m_note;
};

} // namespace kaoshi
