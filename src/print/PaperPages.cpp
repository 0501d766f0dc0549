#include "print/PaperPages.h"

#include <QFontMetricsF>
#include <QImage>
#include <QImageReader>
#include <QPageSize>
#include <QPainter>

namespace kaoshi {

namespace {

// Pictures without a resolution of their own print at 150 dots per inch.
constexpr double kPictureDotsPerInch = 150;

int fontKey(const PaperFont &font)
{
    return int(font.face) * 100000 + qRound(font.size) * 2 + (font.bold ? 1 : 0);
}

} // namespace

QFont paperQFont(const PaperFont &font)
{
    QFont qfont;
    // The Windows names, mapped onto the Noto faces at start; the Noto faces
    // themselves when the mapping is not there (a test, another start-up).
    qfont.setFamilies(font.face == PaperFont::Hei
                          ? QStringList{QStringLiteral("黑体"), QStringLiteral("Noto Sans CJK SC")}
                          : QStringList{QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC")});
    qfont.setPixelSize(qMax(1, qRound(font.size)));
    qfont.setBold(font.bold);
    // Widths grow with the size alone, so the layout's lines fit at any resolution.
    qfont.setHintingPreference(QFont::PreferNoHinting);
    qfont.setKerning(false);
    return qfont;
}

double QtTextMeasure::advance(const QString &text, const PaperFont &font) const
{
    const int key = fontKey(font);
    auto fontAt = m_fonts.find(key);
    if (fontAt == m_fonts.end())
        fontAt = m_fonts.insert(key, paperQFont(font));
    if (text.size() > 2)
        return QFontMetricsF(*fontAt).horizontalAdvance(text);
    // Single characters are cached per face and boldness; the size is in the key.
    QHash<QString, double> &widths = m_widths[font.face == PaperFont::Hei][font.bold];
    const QString cacheKey = QString::number(qRound(font.size)) + text;
    auto found = widths.constFind(cacheKey);
    if (found != widths.constEnd())
        return *found;
    const double width = QFontMetricsF(*fontAt).horizontalAdvance(text);
    widths.insert(cacheKey, width);
    return width;
}

QSizeF QtTextMeasure::pictureSize(const QString &file) const
{
    QImageReader reader(file);
    const QSize pixels = reader.size();
    if (!pixels.isValid() || pixels.isEmpty())
        return {};
    return QSizeF(pixels) * (254.0 / kPictureDotsPerInch);
}

PaperPages::PaperPages(QList<LaidDocument> documents, const PaperPageGeometry &geometry)
    : m_documents(std::move(documents)), m_geometry(geometry)
{
    for (const LaidDocument &document : m_documents)
        m_pageCount += int(document.pages.size());
}

QPageLayout PaperPages::pageLayout() const
{
    return QPageLayout(QPageSize(m_geometry.paper / 10, QPageSize::Millimeter), QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

void PaperPages::paintPage(QPainter &painter, int index) const
{
    const LaidPage *page = nullptr;
    for (const LaidDocument &document : m_documents) {
        if (index < document.pages.size()) {
            page = &document.pages[index];
            break;
        }
        index -= int(document.pages.size());
    }
    if (!page)
        return;
    painter.save();
    QPen pen(Qt::black);
    pen.setWidthF(3); // 0.3 mm
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    for (const QLineF &line : page->lines)
        painter.drawLine(line);
    for (const QRectF &box : page->boxes)
        painter.drawRect(box);
    for (const PlacedPicture &picture : page->pictures) {
        const QImage image(picture.file);
        if (!image.isNull())
            painter.drawImage(picture.rect, image);
    }
    int fontShown = -1;
    for (const PlacedText &text : page->texts) {
        if (const int key = fontKey(text.font); key != fontShown) {
            painter.setFont(paperQFont(text.font));
            fontShown = key;
        }
        painter.drawText(text.rect, int(text.alignment) | Qt::TextSingleLine, text.text);
    }
    painter.restore();
}

} // namespace kaoshi
