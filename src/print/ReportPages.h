#pragma once
// A report's pages as a page source: laid out on the report's paper with the
// widths of its body font, painted one at a time.
#include "print/PageSource.h"
#include "print/ReportLayout.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
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
    static constexpr int kReferenceSize = 48;

private:
    QFont m_font;
    QFontMetricsF m_metrics;
    mutable std::vector<float> m_basic; // characters of the basic plane; < 0 until measured
    mutable QHash<char32_t, double> m_others;
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

private:
    ReportDocument m_document;
    FontWidths m_widths;
    ReportLayout m_layout;
};

} // namespace kaoshi
