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
    // The area the picture is drawn into.
    QRect pictureRect() const;

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QImage m_image;
};

} // namespace kaoshi
