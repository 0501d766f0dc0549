#include "print/ReportPainter.h"

#include "print/ReportLayout.h"

#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrinter>
#include <optional>

namespace kaoshi {

namespace {

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

// The printer's paper in 0.1 mm, as the layout takes it.
PageGeometry pageOf(const QPrinter &printer)
{
    const QPageLayout layout = printer.pageLayout();
    const QRectF paper = layout.fullRect(QPageLayout::Millimeter);
    const QMarginsF margins = layout.margins(QPageLayout::Millimeter);
    return {paper.size() * 10, margins * 10};
}

class PagePainter
{
public:
    PagePainter(QPainter &painter, double dotsPer01mm) : m_painter(painter), m_scale(dotsPer01mm) {}

    void draw(const ReportPage &page)
    {
        QPen pen(Qt::black);
        pen.setWidthF(qMax(1.0, 2 * m_scale)); // 0.2 mm
        m_painter.setPen(pen);
        for (const QLineF &line : page.lines)
            m_painter.drawLine(QLineF(line.p1() * m_scale, line.p2() * m_scale));
        for (const ReportText &text : page.texts)
            drawText(text, true);
        drawText(page.pageNumber, false);
    }

private:
    // A text that does not fit its cell is wrapped when the lines fit its
    // height, else shown on one line ending in "…".
    void drawText(const ReportText &text, bool wrap)
    {
        if (text.text.isEmpty())
            return;
        const int pixels = qMax(1, qRound(text.fontSize * m_scale));
        // Cells share a few fonts: made once, not for every cell.
        if (!m_metrics || text.fontName != m_fontName || pixels != m_pixels || text.bold != m_bold) {
            m_fontName = text.fontName;
            m_pixels = pixels;
            m_bold = text.bold;
            m_font = QFont(m_fontName);
            m_font.setPixelSize(pixels);
            m_font.setBold(m_bold);
            m_metrics.emplace(m_font, m_painter.device());
        }
        m_painter.setFont(m_font);
        // Cell texts keep 0.8 mm from the lines.
        const double pad = wrap ? 8 * m_scale : 0;
        const QRectF rect = QRectF(text.rect.topLeft() * m_scale, text.rect.size() * m_scale).adjusted(pad, 0, -pad, 0);
        const QFontMetricsF &metrics = *m_metrics;
        const int align = int(text.alignment);
        QString shown = text.text;
        int flags = align;
        if (metrics.horizontalAdvance(shown) > rect.width()) {
            const QRectF wrapped = metrics.boundingRect(rect, align | Qt::TextWordWrap | Qt::TextWrapAnywhere, shown);
            if (wrap && wrapped.height() <= rect.height())
                flags |= Qt::TextWordWrap | Qt::TextWrapAnywhere;
            else
                shown = metrics.elidedText(QString(shown).replace(QLatin1Char('\n'), QLatin1Char(' ')), Qt::ElideRight,
                                           rect.width());
        }
        m_painter.save();
        m_painter.setClipRect(rect);
        m_painter.drawText(rect, flags, shown);
        m_painter.restore();
    }

    QPainter &m_painter;
    double m_scale;
    QString m_fontName;
    int m_pixels = 0;
    bool m_bold = false;
    QFont m_font;
    std::optional<QFontMetricsF> m_metrics;
};

} // namespace

void setUpPrinter(QPrinter &printer, const ReportOptions &options)
{
    const PageGeometry page = reportPage(options);
    printer.setPageLayout(QPageLayout(pageSizeOf(options.paperCode),
                                      options.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      page.margins / 10, QPageLayout::Millimeter));
    printer.setFullPage(true); // after the layout, which would set the mode back
    printer.setDocName(options.title);
}

bool paintReport(const ReportDocument &document, QPrinter &printer)
{
    printer.setFullPage(true);
    const ReportLayout layout(document, pageOf(printer));
    int first = 0;
    int last = layout.pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = qMax(first, printer.fromPage() - 1);
        last = qMin(last, printer.toPage() - 1);
    }
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    PagePainter pages(painter, printer.resolution() / 254.0);
    for (int index = first; index <= last; ++index) {
        if (index > first && !printer.newPage())
            return false;
        pages.draw(layout.page(index));
    }
    return painter.end();
}

bool writeReportPdf(const ReportDocument &document, const QPrinter &paperFrom, const QString &path, QString *error)
{
    // The PDF writer does not say why it cannot write; opening the file does.
    {
        QFile probe(path);
        const bool existed = probe.exists();
        if (!probe.open(QIODevice::WriteOnly)) {
            if (error)
                *error = probe.errorString();
            return false;
        }
        probe.close();
        if (!existed)
            probe.remove();
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageLayout(paperFrom.pageLayout());
    printer.setDocName(paperFrom.docName());
    if (!paintReport(document, printer) || QFileInfo(path).size() == 0) {
        if (error)
            *error = QStringLiteral("无法写入PDF文件");
        return false;
    }
    return true;
}

} // namespace kaoshi
