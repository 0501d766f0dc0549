#include "print/PageSourcePrinting.h"

#include "print/PageSource.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>

namespace kaoshi {

void setUpPrinter(QPrinter &printer, const PageSource &source)
{
    printer.setPageLayout(source.pageLayout());
    printer.setFullPage(true);
}

bool printPages(const PageSource &source, QPrinter &printer)
{
    printer.setFullPage(true);
    int first = 0;
    int last = source.pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = qMax(first, printer.fromPage() - 1);
        last = qMin(last, printer.toPage() - 1);
    }
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    const double dotsPer01mm = printer.resolution() / 254.0;
    for (int index = first; index <= last; ++index) {
        if (index > first && !printer.newPage())
            return false;
        painter.save();
        painter.scale(dotsPer01mm, dotsPer01mm);
        source.paintPage(painter, index);
        painter.restore();
    }
    return painter.end();
}

bool writePagesPdf(const PageSource &source, const QString &path, const QString &title, QString *error)
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
    printer.setDocName(title);
    setUpPrinter(printer, source);
    if (!printPages(source, printer) || QFileInfo(path).size() == 0) {
        if (error)
            *error = QStringLiteral("无法写入PDF文件");
        return false;
    }
    return true;
}

} // namespace kaoshi
