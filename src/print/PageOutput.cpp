#include "print/PageOutput.h"

#include "print/PageSource.h"
#include "print/ThreadedPdf.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryFile>
#include <QThread>
#include <cerrno>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

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
    return writePdfs({{&source, path}}, title, error, progress);
}

namespace {

// The pages of one file, written into a hidden new file beside its target:
// the rename that puts it in place cannot fail half way.
struct PendingPdf {
    explicit PendingPdf(const QString &path)
        : target(path), pages(QFileInfo(path).absolutePath() + QStringLiteral("/.") + QFileInfo(path).fileName() +
                              QStringLiteral(".XXXXXX"))
    {
    }
    QString target;
    QTemporaryFile pages;
};

// Qt's PDF writer compresses every page with a fresh zlib stream, whose
// buffers (a quarter of a megabyte) the C library would hand back to the
// system and fault in again page after page. While the pages are written the
// memory freed is kept for the next page; afterwards it is given back.
class KeepFreedMemory
{
public:
#ifdef __GLIBC__
    KeepFreedMemory()
    {
        mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
    }
    ~KeepFreedMemory()
    {
        mallopt(M_TRIM_THRESHOLD, kDefaultThreshold);
        mallopt(M_MMAP_THRESHOLD, kDefaultThreshold);
        malloc_trim(0);
    }

private:
    static constexpr int kDefaultThreshold = 128 * 1024;
#endif
};

int painterCount = 0; // 0: one per core

bool printInto(const PageSource &source, const QString &file, const QString &title, const PageProgress &progress,
               QString *error, bool *stopped)
{
    // Pages that can be read for other threads are painted on every core.
    if (const int threads = pdfPainters(); threads > 1 && source.readsPages() && source.pageCount() > 1)
        return printOnThreads(source, file, title, threads, progress, error, stopped);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    setUpPrinter(printer, source);
    printer.setDocName(title);
    const PageProgress watch = [&](int done, int total) {
        *stopped = progress && !progress(done, total);
        return !*stopped;
    };
    if (printPages(source, printer, watch))
        return true;
    *error = *stopped ? QStringLiteral("已停止") : QStringLiteral("无法写入PDF文件");
    return false;
}

} // namespace

int pdfPainters()
{
    return painterCount > 0 ? painterCount : qBound(1, QThread::idealThreadCount(), kMostPdfPainters);
}

void setPdfPainters(int threads) { painterCount = qMax(0, threads); }

bool writePdfs(const QList<PdfFile> &files, const QString &title, QString *error, const PageProgress &progress)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    int total = 0;
    for (const PdfFile &file : files)
        total += file.pages->pageCount();

    const KeepFreedMemory quicker;
    std::vector<std::unique_ptr<PendingPdf>> pending;
    int done = 0;
    for (const PdfFile &file : files) {
        auto &written = *pending.emplace_back(std::make_unique<PendingPdf>(file.path));
        if (!written.pages.open())
            return fail(written.pages.errorString());
        written.pages.close();
        const int before = done;
        const PageProgress watch = [&](int page, int) {
            done = before + page;
            return !progress || progress(done, total);
        };
        QString reason;
        bool stopped = false;
        if (!printInto(*file.pages, written.pages.fileName(), title, watch, &reason, &stopped))
            return fail(stopped ? QStringLiteral("已停止") : reason);
        if (QFileInfo(written.pages.fileName()).size() == 0)
            return fail(QStringLiteral("无法写入PDF文件"));
    }

    // Every file is complete: now they take their places.
    // Readable as a file the user saved, not private as a temporary one.
    const QFile::Permissions readable = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
    for (const auto &written : pending) {
        const QString file = written->pages.fileName();
        QFile::setPermissions(file, QFileInfo::exists(written->target) ? QFile::permissions(written->target)
                                                                         : readable);
        if (std::rename(QFile::encodeName(file).constData(), QFile::encodeName(written->target).constData()) != 0)
            return fail(QString::fromLocal8Bit(std::strerror(errno)));
        written->pages.setAutoRemove(false); // it is the target now
    }
    return true;
}

QList<PdfFile> pdfFilesFor(const PageSource &whole, const QList<PdfPart> &parts, const QString &path)
{
    if (parts.isEmpty())
        return {{&whole, path}};
    const QFileInfo chosen(path);
    QList<PdfFile> files;
    for (const PdfPart &part : parts)
        files.append({part.pages.get(), chosen.dir().filePath(chosen.completeBaseName() + QLatin1Char('-') +
                                                              part.name + QStringLiteral(".pdf"))});
    return files;
}

} // namespace kaoshi
