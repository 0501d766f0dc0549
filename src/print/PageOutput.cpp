#include "print/PageOutput.h"

#include "print/PageSource.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kaoshi {

void setUpPrinter(QPrinter &printer, const PageSource &source)
{
    printer.setPageLayout(source.pageLayout());
    printer.setFullPage(true); // after the layout, which would set the mode back
}

bool printPages(const PageSource &source, QPrinter &printer, const PageProgress &progress)
{
    printer.setFullPage(true);
    const int pages = source.pageCount();
    int first = 0;
    int last = pages - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = qMax(first, printer.fromPage() - 1);
        last = qMin(last, printer.toPage() - 1);
    }
    QPainter painter;
    if (!painter.begin(&printer))
        return false;
    painter.setRenderHint(QPainter::Antialiasing);
    const double dotsPerUnit = printer.resolution() / 254.0; // one unit is 0.1 mm
    for (int index = first; index <= last; ++index) {
        if (index > first && !printer.newPage())
            return false;
        painter.save();
        painter.scale(dotsPerUnit, dotsPerUnit);
        source.paintPage(painter, index);
        painter.restore();
        if (progress && !progress(index - first + 1, last - first + 1)) {
            printer.abort();
            painter.end();
            return false;
        }
    }
    return painter.end();
}

bool writePdf(const PageSource &source, const QString &path, const QString &title, QString *error,
              const PageProgress &progress)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    const QFileInfo target(path);
    // Hidden, beside the target: the rename that puts it in place cannot fail half way.
    QTemporaryFile pages(target.absolutePath() + QStringLiteral("/.") + target.fileName() +
                         QStringLiteral(".XXXXXX"));
    if (!pages.open())
        return fail(pages.errorString());
    pages.close();

    bool stopped = false;
    const PageProgress watch = [&](int done, int total) {
        stopped = progress && !progress(done, total);
        return !stopped;
    };
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pages.fileName());
    setUpPrinter(printer, source);
    printer.setDocName(title);
    if (!printPages(source, printer, watch))
        return fail(stopped ? QStringLiteral("已停止") : QStringLiteral("无法写入PDF文件"));
    if (QFileInfo(pages.fileName()).size() == 0)
        return fail(QStringLiteral("无法写入PDF文件"));

    // Readable as a file the user saved, not private as a temporary one.
    const QFile::Permissions readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    QFile::setPermissions(pages.fileName(), target.exists() ? QFile::permissions(path) : readable);
    if (std::rename(QFile::encodeName(pages.fileName()).constData(), QFile::encodeName(path).constData()) != 0)
        return fail(QString::fromLocal8Bit(std::strerror(errno)));
    pages.setAutoRemove(false); // it is the target now
    return true;
}

} // namespace kaoshi
