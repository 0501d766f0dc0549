#include "print/ReportPages.h"

#include <QElapsedTimer>
#include <QGlyphRun>
#include <QPageSize>
#include <QPainter>
#include <QTextLayout>

namespace kaoshi {

namespace {

constexpr quint32 kUnknownGlyph = 0xFFFFFFFF;

QPageSize pageSizeOf(int paperCode)
{
    switch (paperCode) {
    case 1: return QPageSize(QPageSize::A3);
    case 3: return QPageSize(QPageSize::A5);
    case 4: return QPageSize(QPageSize::JisB4);
    case 5: return QPageSize(QPageSize::JisB5);
    case 6: return QPageSize(QPageSize::Quarto);
    case 7: return QPageSize(QPageSize::Prc16K);
    case 8: return QPageSize(QPageSize::Prc32K);
    default: return QPageSize(QPageSize::A4);
    }
}

QFont referenceFont(const QString &family, bool bold = false)
{
    QFont font(family);
    font.setPixelSize(FontWidths::kReferenceSize);
    font.setBold(bold);
    // Unhinted, the widths measured are the widths drawn at any size.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

// The box a header text is fitted into: cell texts keep 0.8 mm from the lines.
QRectF fittingBox(const ReportText &text, bool mayWrap)
{
    return text.rect.adjusted(mayWrap ? 8 : 0, 0, mayWrap ? -8 : 0, 0);
}

// A header text fitted into its box as glyph runs, in pixels of the
// reference size from the box's top-left corner.
struct FittedText {
    QList<QGlyphRun> runs;
    QPointF offset;       // where the runs are drawn
    bool clipped = false; // the lines are higher than the box
};

// On one line when it fits, wrapped when the lines fit the box's height,
// else on one line ending in "…"; aligned in the box as the text asks.
FittedText layOutFitted(const ReportText &text, bool mayWrap)
{
    const QFont font = referenceFont(text.fontName, text.bold);
    const QFontMetricsF metrics(font);
    const double k = text.fontSize / FontWidths::kReferenceSize;
    const QRectF box = fittingBox(text, mayWrap);
    const QRectF unscaled(0, 0, box.width() / k, box.height() / k);
    QString shown = text.text;
    bool wrap = false;
    if (metrics.horizontalAdvance(shown) > unscaled.width()) {
        const int flags = int(text.alignment) | Qt::TextWordWrap | Qt::TextWrapAnywhere;
        if (mayWrap && metrics.boundingRect(unscaled, flags, shown).height() <= unscaled.height())
            wrap = true;
        else
            shown = metrics.elidedText(shown.replace(QLatin1Char('\n'), QLatin1Char(' ')), Qt::ElideRight,
                                       unscaled.width());
    }
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
    QTextLayout layout(shown, font);
    QTextOption option(text.alignment & Qt::AlignHorizontal_Mask);
    option.setWrapMode(wrap ? QTextOption::WrapAnywhere : QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    double height = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(unscaled.width());
        if (height > 0)
            height += metrics.leading();
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    layout.endLayout();
    FittedText fitted;
    fitted.runs = layout.glyphRuns();
    if (text.alignment & Qt::AlignVCenter)
        fitted.offset.setY((unscaled.height() - height) / 2);
    else if (text.alignment & Qt::AlignBottom)
        fitted.offset.setY(unscaled.height() - height);
    fitted.clipped = height > unscaled.height() + 1e-6;
    return fitted;
}

} // namespace

// The header texts of a painting thread laid out once: every page repeats
// the title and the column titles, whose glyphs need only be placed.
class FittedTexts
{
public:
    const FittedText &of(const ReportText &text, bool mayWrap)
    {
        const QString key = QStringList{text.text, text.fontName, QString::number(text.fontSize),
                                        QString::number(text.rect.width()), QString::number(text.rect.height()),
                                        QString::number(int(text.alignment) | (text.bold ? 1 << 30 : 0)),
                                        mayWrap ? QStringLiteral("w") : QString()}
                                .join(QChar(0));
        auto found = m_texts.find(key);
        if (found == m_texts.end()) {
            if (m_texts.size() >= kMostKept)
                m_texts.clear();
            found = m_texts.insert(key, layOutFitted(text, mayWrap));
        }
        return *found;
    }

private:
    static constexpr qsizetype kMostKept = 256;
    QHash<QString, FittedText> m_texts;
};

namespace {

// Draws texts at any size with fonts of the reference size, scaled: the
// measured widths hold on the screen, the printer and in the PDF alike.
class TextPainter
{
public:
    explicit TextPainter(QPainter &painter) : m_painter(painter), m_base(painter.worldTransform()) {}
    ~TextPainter() { m_painter.setWorldTransform(m_base); }

    // One line centred in the box at the font's size, placed by the widths
    // the layout measured (no text layout of its own: quick for many lines).
    void drawCentred(const QRectF &box, const QString &text, double fontSize, const FontWidths &widths)
    {
        if (fontSize <= 0)
            return;
        const double k = fontSize / FontWidths::kReferenceSize;
        const double x = box.center().x() - widths.width(text) * fontSize / 2;
        const double baseline =
            box.center().y() + (widths.ascent() - widths.descent()) * fontSize / 2;
        m_painter.setWorldTransform(QTransform(k, 0, 0, k, x, baseline) * m_base);
        m_painter.drawText(QPointF(0, 0), text);
    }

    // A header text: on one line when it fits, wrapped when the lines fit its
    // height, else on one line ending in "…"; never outside its box. Laid
    // out again unless `texts` keeps it.
    void drawFitted(const ReportText &text, bool mayWrap, FittedTexts *texts = nullptr)
    {
        if (text.text.isEmpty() || text.fontSize <= 0)
            return;
        const double k = text.fontSize / FontWidths::kReferenceSize;
        const QRectF box = fittingBox(text, mayWrap);
        const FittedText fitted = texts ? texts->of(text, mayWrap) : layOutFitted(text, mayWrap);
        m_painter.setWorldTransform(QTransform(k, 0, 0, k, box.x(), box.y()) * m_base);
        if (fitted.clipped) {
            m_painter.save();
            m_painter.setClipRect(QRectF(0, 0, box.width() / k, box.height() / k), Qt::IntersectClip);
        }
        for (const QGlyphRun &run : fitted.runs)
            m_painter.drawGlyphRun(fitted.offset, run);
        if (fitted.clipped)
            m_painter.restore();
        m_painter.setWorldTransform(m_base);
    }

private:
    QPainter &m_painter;
    QTransform m_base;
};

} // namespace

FontWidths::FontWidths(const QString &family)
    : m_font(referenceFont(family)), m_metrics(m_font), m_raw(QRawFont::fromFont(m_font)), m_basic(0x10000, -1.0f),
      m_basicGlyphs(0x10000, kUnknownGlyph)
{
}

quint32 FontWidths::glyphOf(char32_t character) const
{
    const auto lookUp = [this](char32_t c) {
        quint32 glyph = 0;
        int count = 1;
        char16_t units[2];
        const int length = QChar::requiresSurrogates(c) ? 2 : 1;
        if (length == 2) {
            units[0] = QChar::highSurrogate(c);
            units[1] = QChar::lowSurrogate(c);
        } else {
            units[0] = char16_t(c);
        }
        if (!m_raw.glyphIndexesForChars(reinterpret_cast<const QChar *>(units), length, &glyph, &count) || count != 1)
            return quint32(0);
        return glyph;
    };
    if (character < 0x10000) {
        quint32 &glyph = m_basicGlyphs[character];
        if (glyph == kUnknownGlyph)
            glyph = lookUp(character);
        return glyph;
    }
    auto found = m_otherGlyphs.constFind(character);
    if (found == m_otherGlyphs.cend())
        found = m_otherGlyphs.insert(character, lookUp(character));
    return *found;
}

bool FontWidths::appendGlyphs(QStringView text, double x, double y, QList<quint32> &glyphs,
                              QList<QPointF> &positions) const
{
    const qsizetype start = glyphs.size();
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            c = QChar::surrogateToUcs4(text[i], text[++i]);
        const quint32 glyph = glyphOf(c);
        if (glyph == 0) { // not in this font
            glyphs.resize(start);
            positions.resize(start);
            return false;
        }
        glyphs.append(glyph);
        positions.append(QPointF(x, y));
        x += advance(c) * kReferenceSize;
    }
    return true;
}

double FontWidths::advance(char32_t character) const
{
    if (character < 0x10000) {
        float &width = m_basic[character];
        if (width < 0)
            width = float(m_metrics.horizontalAdvance(QChar(char16_t(character))) / kReferenceSize);
        return width;
    }
    auto found = m_others.constFind(character);
    if (found == m_others.cend())
        found = m_others.insert(character, m_metrics.horizontalAdvance(QString::fromUcs4(&character, 1)) /
                                               kReferenceSize);
    return *found;
}

double FontWidths::width(QStringView text) const
{
    double sum = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            sum += advance(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else {
            sum += advance(c.unicode());
        }
    }
    return sum;
}

double FontWidths::lineSpacing() const { return m_metrics.lineSpacing() / kReferenceSize; }

ReportPages::ReportPages(ReportDocument document)
    : m_document(std::move(document)), m_widths(ReportDocument::kBodyFontName),
      m_layout(m_document, reportPage(m_document.options()), m_widths)
{
}

QPageLayout ReportPages::pageLayout() const
{
    const ReportOptions &o = m_document.options();
    return QPageLayout(pageSizeOf(o.paperCode), o.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       reportPage(o).margins / 10, QPageLayout::Millimeter);
}

bool ReportPages::layOutMore(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    while (m_layout.layOutNextPage())
        if (timer.elapsed() >= milliseconds)
            return !m_layout.isComplete();
    return false;
}

namespace {

// Paints a report's page with the fonts of the painting thread.
void paintReportPage(QPainter &painter, const ReportPage &page, PageFonts &fonts)
{
    const FontWidths &widths = fonts.widths(ReportDocument::kBodyFontName);
    const QTransform base = painter.worldTransform();
    QPen pen(Qt::black);
    pen.setWidthF(2); // 0.2 mm
    painter.setPen(pen);
    painter.drawLines(page.lines);

    TextPainter texts(painter);
    for (const ReportText &text : page.texts)
        texts.drawFitted(text, true, &fonts.fittedTexts());
    texts.drawFitted(page.pageNumber, false);

    // Body cells: the lines the layout broke, centred, the block centred in
    // the row. They are placed glyph by glyph with the widths the layout
    // measured and drawn as one run for the page: no text layout per line,
    // and one text object in a PDF page instead of one per line.
    painter.setFont(widths.font());
    const double size = page.bodyFontSize;
    if (size <= 0)
        return;
    const double k = size / FontWidths::kReferenceSize;
    const double raise = (widths.ascent() - widths.descent()) * size / 2;
    QList<quint32> glyphs;
    QList<QPointF> positions;
    for (const ReportCell &cell : page.cells) {
        const double block = page.lineHeight * cell.lines.size();
        double y = cell.rect.center().y() - block / 2;
        for (const QString &line : cell.lines) {
            const QRectF box(cell.rect.left(), y, cell.rect.width(), page.lineHeight);
            const double x = box.center().x() - widths.width(line) * size / 2;
            if (!widths.appendGlyphs(line, x / k, (box.center().y() + raise) / k, glyphs, positions))
                texts.drawCentred(box, line, size, widths); // with the fallback fonts
            y += page.lineHeight;
        }
    }
    if (glyphs.isEmpty())
        return;
    QGlyphRun run;
    run.setRawFont(widths.glyphFont());
    run.setGlyphIndexes(glyphs);
    run.setPositions(positions);
    painter.setWorldTransform(QTransform::fromScale(k, k) * base);
    painter.drawGlyphRun(QPointF(0, 0), run);
    painter.setWorldTransform(base);
}

class ReadReportPage final : public ReadPage
{
public:
    explicit ReadReportPage(ReportPage page) : m_page(std::move(page)) {}
    void paint(QPainter &painter, PageFonts &fonts) const override
    {
        paintReportPage(painter, m_page, fonts);
    }

private:
    ReportPage m_page;
};

} // namespace

void ReportPages::paintPage(QPainter &painter, int index) const
{
    paintReportPage(painter, m_layout.page(index), m_fonts);
}

std::unique_ptr<ReadPage> ReportPages::readPage(int index) const
{
    return std::make_unique<ReadReportPage>(m_layout.page(index));
}

PageFonts::PageFonts() : m_fitted(std::make_unique<FittedTexts>()) {}

PageFonts::~PageFonts() = default;

const FontWidths &PageFonts::widths(const QString &family)
{
    std::unique_ptr<FontWidths> &found = m_widths[family];
    if (!found)
        found = std::make_unique<FontWidths>(family);
    return *found;
}

} // namespace kaoshi
