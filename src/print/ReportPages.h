#pragma once
// A report's pages as a page source: laid out on the report's paper with the
// widths of its body font, painted one at a time.
#include "print/PageSource.h"
#include "print/ReportLayout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QRawFont>
#include <map>
#include <memory>
#include <vector>

namespace kaoshi {

// Character widths of a font, measured once per character.
class FontWidths final : public CharWidths
{
public:
    explicit FontWidths(const QString &family);
    double advance(char32_t character) const override;
    double lineSpacing() const override;
    // Height above and below the base line, in em.
    double ascent() const { return m_metrics.ascent() / kReferenceSize; }
    double descent() const { return m_metrics.descent() / kReferenceSize; }
    // Width of a text, in em: the sum of its characters' advances.
    double width(QStringView text) const;
    // The font texts are drawn with, at kReferenceSize pixels, and scaled.
    const QFont &font() const { return m_font; }
    // The same font's glyphs, for texts placed glyph by glyph.
    const QRawFont &glyphFont() const { return m_raw; }
    // Appends the glyphs of a text and their positions from (x, y), in
    // pixels of kReferenceSize, advancing by the measured widths. false
    // (and nothing appended) when the font lacks a character, which then
    // needs the fallback fonts of a text drawn as a whole.
    bool appendGlyphs(QStringView text, double x, double y, QList<quint32> &glyphs, QList<QPointF> &positions) const;
    static constexpr int kReferenceSize = 48;

private:
    quint32 glyphOf(char32_t character) const;

    QFont m_font;
    QFontMetricsF m_metrics;
    QRawFont m_raw;
    mutable std::vector<float> m_basic; // characters of the basic plane; < 0 until measured
    mutable QHash<char32_t, double> m_others;
    mutable std::vector<quint32> m_basicGlyphs; // kUnknownGlyph until looked up
    mutable QHash<char32_t, quint32> m_otherGlyphs;
};

class FittedTexts;

// The fonts of one painting thread, measured on it (a font's glyphs belong
// to the thread that loaded them), and the header texts laid out with them.
class PageFonts
{
public:
    PageFonts();
    ~PageFonts();
    const FontWidths &widths(const QString &family);
    FittedTexts &fittedTexts() { return *m_fitted; }

private:
    std::map<QString, std::unique_ptr<FontWidths>> m_widths;
    std::unique_ptr<FittedTexts> m_fitted;
};

class ReportPages final : public PageSource
{
public:
    explicit ReportPages(ReportDocument document);

    const ReportDocument &document() const { return m_document; }
    const ReportLayout &layout() const { return m_layout; }

    QPageLayout pageLayout() const override;
    int pageCount() const override { return m_layout.pageCount(); }
    int pagesKnown() const override { return m_layout.pagesKnown(); }
    bool layOutMore(int milliseconds) override;
    void paintPage(QPainter &painter, int index) const override;
    bool readsPages() const override { return true; }
    std::unique_ptr<ReadPage> readPage(int index) const override;

private:
    ReportDocument m_document;
    FontWidths m_widths;
    ReportLayout m_layout;
    mutable PageFonts m_fonts; // of the source's own thread, for painting
};

} // namespace kaoshi
