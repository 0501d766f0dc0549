#pragma once
// The laid-out documents of a printed exam as pages a preview, a printer or
// a PDF file takes, and the fonts and pictures measured as they will be
// painted.
#include "print/PageSource.h"
#include "print/PaperLayout.h"

#include <QFont>
#include <QHash>

namespace kaoshi {

// 宋体 or 黑体 at the size of the layout, one unit being 0.1 mm.
QFont paperQFont(const PaperFont &font);

class QtTextMeasure final : public TextMeasure
{
public:
    double advance(const QString &text, const PaperFont &font) const override;
    QSizeF pictureSize(const QString &file) const override;

private:
    // The widths of single characters, asked for again and again.
    mutable QHash<QString, double> m_widths[2][2];
    mutable QHash<int, QFont> m_fonts;
};

class PaperPages final : public PageSource
{
public:
    explicit PaperPages(QList<LaidDocument> documents, const PaperPageGeometry &geometry = {});

    QPageLayout pageLayout() const override;
    int pageCount() const override { return m_pageCount; }
    void paintPage(QPainter &painter, int index) const override;

    const QList<LaidDocument> &documents() const { return m_documents; }

private:
    QList<LaidDocument> m_documents;
    PaperPageGeometry m_geometry;
    int m_pageCount = 0;
};

} // namespace kaoshi
