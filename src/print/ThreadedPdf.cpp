#include "print/ThreadedPdf.h"

#include "print/PageSource.h"
#include "print/PdfJoin.h"
#include "print/ReportPages.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryFile>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

namespace kaoshi {

namespace {

// Pages on their way from the reading thread to one painting thread. The
// queue holds a few pages, so the pages read never run far ahead of the
// pages painted.
class PageQueue
{
public:
    // Waits while the queue is full; a stopped queue takes nothing.
    void push(std::unique_ptr<ReadPage> page)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_pages.size() < kDepth || m_stopped; });
        if (!m_stopped)
            m_pages.push_back(std::move(page));
        m_changed.notify_all();
    }
    // The next page; nullptr once the pages have ended or the queue is stopped.
    std::unique_ptr<ReadPage> pop()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_pages.empty() || m_ended || m_stopped; });
        if (m_stopped || m_pages.empty())
            return nullptr;
        std::unique_ptr<ReadPage> page = std::move(m_pages.front());
        m_pages.pop_front();
        m_changed.notify_all();
        return page;
    }
    void end() { set(m_ended); }
    void stop() { set(m_stopped); }
    bool isStopped()
    {
        const std::lock_guard lock(m_mutex);
        return m_stopped;
    }

private:
    void set(bool &flag)
    {
        const std::lock_guard lock(m_mutex);
        flag = true;
        m_changed.notify_all();
    }

    static constexpr size_t kDepth = 8;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<ReadPage>> m_pages;
    bool m_ended = false;
    bool m_stopped = false;
};

// One painting thread's share of the pages and the file they go into.
struct PaintedPart {
    explicit PaintedPart(const QString &target)
        : file(QFileInfo(target).absolutePath() + QStringLiteral("/.") + QFileInfo(target).fileName() +
               QStringLiteral(".part.XXXXXX"))
    {
    }
    QTemporaryFile file; // removed with the part
    QString fileName;
    PageQueue queue;
    bool painted = false; // every page it was given, and the file is complete
};

// Runs on a painting thread: the part's pages into its file, until its
// queue ends or is stopped. The fonts are loaded on this thread.
void paintPart(PaintedPart &part, const QPageLayout &layout, const QString &title, std::atomic<int> &done)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(part.fileName);
    printer.setPageLayout(layout);
    printer.setFullPage(true); // after the layout, which would set the mode back
    printer.setDocName(title);
    PageFonts fonts;
    QPainter painter;
    if (!painter.begin(&printer)) {
        part.queue.stop();
        return;
    }
    painter.setRenderHint(QPainter::Antialiasing);
    const double dotsPerUnit = printer.resolution() / 254.0; // one unit is 0.1 mm
    bool first = true;
    while (const std::unique_ptr<ReadPage> page = part.queue.pop()) {
        if (!first && !printer.newPage()) {
            part.queue.stop();
            break;
        }
        first = false;
        painter.save();
        painter.scale(dotsPerUnit, dotsPerUnit);
        page->paint(painter, fonts);
        painter.restore();
        ++done;
    }
    if (part.queue.isStopped()) {
        printer.abort();
        painter.end();
        return;
    }
    part.painted = painter.end();
}

} // namespace

bool printOnThreads(const PageSource &source, const QString &file, const QString &title, int threads,
                    const PageProgress &progress, QString *error, bool *stopped)
{
    const int total = source.pageCount();
    const int count = qBound(1, threads, qMax(1, total));
    const QPageLayout layout = source.pageLayout();
    std::atomic<int> done = 0;
    std::vector<std::unique_ptr<PaintedPart>> parts;
    std::vector<std::unique_ptr<QThread>> painters;
    const auto fail = [&](const QString &reason) {
        for (const auto &part : parts)
            part->queue.stop();
        for (const auto &painter : painters)
            painter->wait();
        if (error)
            *error = reason;
        return false;
    };
    for (int i = 0; i < count; ++i) {
        PaintedPart &part = *parts.emplace_back(std::make_unique<PaintedPart>(file));
        if (!part.file.open())
            return fail(part.file.errorString());
        part.file.close();
        part.fileName = part.file.fileName();
        painters.emplace_back(QThread::create(paintPart, std::ref(part), layout, title, std::ref(done)))->start();
    }

    // Progress is told the pages painted, the last one once the file is complete.
    int told = 0;
    *stopped = false;
    const auto goOn = [&] {
        const int painted = qMin(done.load(), total - 1);
        if (painted > told && progress) {
            told = painted;
            *stopped = !progress(painted, total);
        }
        return !*stopped;
    };
    const auto painterFailed = [&] {
        return std::any_of(parts.cbegin(), parts.cend(), [](const auto &part) { return part->queue.isStopped(); });
    };
    for (int i = 0; i < total; ++i) {
        if (!goOn())
            return fail(QStringLiteral("已停止"));
        if (painterFailed())
            return fail(QStringLiteral("无法写入PDF文件"));
        parts[size_t(i % count)]->queue.push(source.readPage(i));
    }
    for (const auto &part : parts)
        part->queue.end();
    for (const auto &painter : painters)
        while (!painter->wait(QDeadlineTimer(20)))
            if (!goOn())
                return fail(QStringLiteral("已停止"));
    QStringList files;
    for (const auto &part : parts) {
        if (!part->painted)
            return fail(QStringLiteral("无法写入PDF文件"));
        files << part->fileName;
    }
    if (!interleavePdfs(files, file, error, goOn)) {
        *stopped = *stopped || (error && *error == QStringLiteral("已停止"));
        return false;
    }
    if (progress && !progress(total, total)) {
        *stopped = true;
        if (error)
            *error = QStringLiteral("已停止");
        return false;
    }
    return true;
}

} // namespace kaoshi
