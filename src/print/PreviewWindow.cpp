#include "print/PreviewWindow.h"

#include "print/ExportFiles.h"
#include "print/PageOutput.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>
#include <functional>

namespace kaoshi {

namespace {

constexpr double kZoomStep = 1.25;
constexpr double kSmallestZoom = 0.02; // pixels per 0.1 mm
constexpr double kLargestZoom = 4;
constexpr int kPageGap = 12;           // pixels around the page
constexpr int kLayOutSlice = 20;       // milliseconds of page counting between events

QSizeF paperOf(const PageSource &source)
{
    return source.pageLayout().fullRect(QPageLayout::Millimeter).size() * 10;
}

} // namespace

// The page in view, painted from the source whenever it is exposed.
class PageView final : public QWidget
{
public:
    PageView(const PageSource &source, std::function<void(int)> painted)
        : m_source(source), m_painted(std::move(painted))
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        nameControl(this, QStringLiteral("预览页面"), QStringLiteral("预览页面"));
    }

    int page() const { return m_page; }
    void setPage(int page)
    {
        m_page = page;
        update();
    }
    double zoom() const { return m_zoom; }
    void setZoom(double zoom)
    {
        m_zoom = zoom;
        const QSizeF paper = paperOf(m_source) * zoom;
        setFixedSize(qCeil(paper.width()), qCeil(paper.height()));
        update();
    }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.fillRect(event->rect(), Qt::white);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.scale(m_zoom, m_zoom);
        m_source.paintPage(painter, m_page);
        m_painted(m_page);
    }

private:
    const PageSource &m_source;
    std::function<void(int)> m_painted;
    int m_page = 0;
    double m_zoom = 0.3;
};

PreviewWindow::PreviewWindow(AppContext &context, std::unique_ptr<PageSource> source, const QString &title,
                             QWidget *parent)
    : QDialog(parent), m_context(context), m_source(std::move(source)), m_title(title)
{
    nameControl(this, QStringLiteral("打印预览"), QStringLiteral("打印预览"));
    setWindowTitle(QStringLiteral("打印预览"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setWindowModality(Qt::ApplicationModal);
    buildControls();
    // Big enough to read a page.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(area.width() * 3 / 4, area.height() * 4 / 5);
        move(area.center() - rect().center());
    }
    // The other pages are counted once the first is on the screen.
    m_layOut.setInterval(0);
    connect(&m_layOut, &QTimer::timeout, this, &PreviewWindow::layOutMore);
    connect(this, &PreviewWindow::pagePainted, this, [this] {
        if (!m_counted && !m_layOut.isActive()) {
            m_counted = true;
            m_layOut.start();
            showPageCount();
        }
    });
    showPageCount();
}

PreviewWindow::~PreviewWindow() = default;

void PreviewWindow::buildControls()
{
    auto *toolbar = named(new QToolBar(this), QStringLiteral("预览工具条"), QStringLiteral("预览工具条"));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto action = [&](const QString &name, const QString &text, const QKeySequence &keys, auto slot) {
        QAction *a = toolbar->addAction(text);
        a->setObjectName(name);
        if (!keys.isEmpty()) {
            a->setShortcut(keys);
            a->setToolTip(text + QStringLiteral("（") + keys.toString(QKeySequence::NativeText) +
                          QStringLiteral("）"));
        }
        connect(a, &QAction::triggered, this, slot);
        if (QWidget *button = toolbar->widgetForAction(a))
            nameControl(button, name, text);
        return a;
    };
    action(QStringLiteral("首页"), QStringLiteral("首页"), QKeySequence(Qt::Key_Home), &PreviewWindow::firstPage);
    action(QStringLiteral("上一页"), QStringLiteral("上一页"), QKeySequence(Qt::Key_PageUp),
           &PreviewWindow::previousPage);
    m_pageBox = named(new QSpinBox(toolbar), QStringLiteral("页码框"), QStringLiteral("页码"));
    m_pageBox->setRange(1, 1);
    m_pageBox->setPrefix(QStringLiteral("第 "));
    m_pageBox->setSuffix(QStringLiteral(" 页"));
    m_pageBox->setKeyboardTracking(false);
    toolbar->addWidget(m_pageBox);
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int page) { showPage(page - 1); });
    m_pageCount = named(new QLabel(toolbar), QStringLiteral("页数标签"));
    m_pageCount->setContentsMargins(6, 0, 6, 0);
    toolbar->addWidget(m_pageCount);
    action(QStringLiteral("下一页"), QStringLiteral("下一页"), QKeySequence(Qt::Key_PageDown),
           &PreviewWindow::nextPage);
    action(QStringLiteral("末页"), QStringLiteral("末页"), QKeySequence(Qt::Key_End), &PreviewWindow::lastPage);
    toolbar->addSeparator();
    action(QStringLiteral("缩小"), QStringLiteral("缩小"), QKeySequence::ZoomOut, &PreviewWindow::zoomOut);
    action(QStringLiteral("放大"), QStringLiteral("放大"), QKeySequence::ZoomIn, &PreviewWindow::zoomIn);
    action(QStringLiteral("整页"), QStringLiteral("整页"), QKeySequence(), &PreviewWindow::fitPage);
    action(QStringLiteral("页宽"), QStringLiteral("页宽"), QKeySequence(), &PreviewWindow::fitWidth);
    toolbar->addSeparator();
    action(QStringLiteral("打印"), QStringLiteral("打印"), QKeySequence::Print, &PreviewWindow::print);
    m_savePdf = action(QStringLiteral("保存PDF"), QStringLiteral("导出PDF"), QKeySequence(),
                       &PreviewWindow::saveAsPdf);
    m_savePdf->setToolTip(QStringLiteral("把全部页面保存为PDF文件"));
    toolbar->addSeparator();
    action(QStringLiteral("关闭"), QStringLiteral("关闭"), QKeySequence(), &QDialog::close);

    m_view = new PageView(*m_source, [this](int index) { emit pagePainted(index); });
    m_scroll = named(new QScrollArea(this), QStringLiteral("预览区"), QStringLiteral("预览区"));
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_scroll->setWidget(m_view);
    m_scroll->setWidgetResizable(false);
    m_scroll->viewport()->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolbar);
    layout->addWidget(m_scroll, 1);
}

int PreviewWindow::currentPage() const { return m_view->page(); }

void PreviewWindow::showPage(int index)
{
    // A page beyond those counted so far is laid out first.
    if (index >= m_source->pagesKnown())
        while (index >= m_source->pagesKnown() && m_source->layOutMore(kLayOutSlice)) {
        }
    index = qBound(0, index, m_source->pagesKnown() - 1);
    showPageCount();
    if (index != m_view->page())
        m_view->setPage(index);
    const QSignalBlocker quiet(m_pageBox);
    m_pageBox->setValue(index + 1);
    m_scroll->verticalScrollBar()->setValue(0);
}

void PreviewWindow::lastPage()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int pages = m_source->pageCount();
    QApplication::restoreOverrideCursor();
    m_layOut.stop();
    m_counted = true;
    showPage(pages - 1);
}

void PreviewWindow::layOutMore()
{
    if (!m_source->layOutMore(kLayOutSlice)) {
        m_layOut.stop();
        m_view->update(); // the page number now says the count
    }
    showPageCount();
}

void PreviewWindow::showPageCount()
{
    const int known = m_source->pagesKnown();
    const bool counting = m_layOut.isActive() || !m_counted;
    m_pageBox->setMaximum(known);
    m_pageCount->setText(counting ? QStringLiteral("共 %1… 页（正在分页）").arg(known)
                                  : QStringLiteral("共 %1 页").arg(known));
}

double PreviewWindow::zoom() const { return m_view->zoom(); }

void PreviewWindow::setZoom(double zoom) { m_view->setZoom(qBound(kSmallestZoom, zoom, kLargestZoom)); }

void PreviewWindow::zoomIn()
{
    m_fit = Fit::None;
    setZoom(zoom() * kZoomStep);
}

void PreviewWindow::zoomOut()
{
    m_fit = Fit::None;
    setZoom(zoom() / kZoomStep);
}

void PreviewWindow::setFit(Fit fit)
{
    m_fit = fit;
    applyFit();
}

void PreviewWindow::applyFit()
{
    const QSizeF paper = paperOf(*m_source);
    const QSize room = m_scroll->viewport()->size() - QSize(2 * kPageGap, 2 * kPageGap);
    if (m_fit == Fit::None || paper.isEmpty() || room.width() <= 0 || room.height() <= 0)
        return;
    const double byWidth = room.width() / paper.width();
    const double byHeight = room.height() / paper.height();
    // Fitting the width leaves room for the vertical scroll bar.
    setZoom(m_fit == Fit::Page ? qMin(byWidth, byHeight)
                               : (room.width() - m_scroll->verticalScrollBar()->sizeHint().width()) / paper.width());
}

bool PreviewWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The page fits the room it has, whenever that changes.
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize)
        applyFit();
    return QDialog::eventFilter(watched, event);
}

void PreviewWindow::keyPressEvent(QKeyEvent *event)
{
    // The arrow keys page through as well, where the view does not scroll.
    if (event->key() == Qt::Key_Right) {
        nextPage();
        return;
    }
    if (event->key() == Qt::Key_Left) {
        previousPage();
        return;
    }
    QDialog::keyPressEvent(event);
}

void PreviewWindow::saveAsPdf()
{
    const QString suggested = fileNameFromTitle(m_title, QStringLiteral("打印"));
    const QString path = m_context.platform.files.saveFileName(
        QStringLiteral("保存PDF"), QStringLiteral("PDF文件(*.pdf)|*.pdf"),
        QDir::home().filePath(suggested + QStringLiteral(".pdf")));
    if (path.isEmpty())
        return;
    const QList<PdfFile> files = pdfFilesFor(*m_source, m_parts, path);
    // Names the program made up are said; a name the user typed is not.
    if (savePdfFiles(m_context, this, files, m_title) && files.size() > 1)
        m_context.messages().notice(QStringLiteral("PDF文件已保存：\n") + pdfFileNames(files));
}

void PreviewWindow::print()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const int pages = m_source->pageCount();
    QApplication::restoreOverrideCursor();
    QPrinter printer(QPrinter::HighResolution);
    setUpPrinter(printer, *m_source);
    printer.setDocName(m_title);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("打印"));
    dialog.setMinMax(1, pages);
    if (dialog.exec() != QDialog::Accepted)
        return;
    // The pages are laid out for their own paper.
    setUpPrinter(printer, *m_source);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool printed = printPages(*m_source, printer);
    QApplication::restoreOverrideCursor();
    if (!printed)
        m_context.messages().failure(QStringLiteral("没有打印：") + printer.printerName(),
                                     QStringLiteral("无法在打印机上绘制"));
}

QString pdfFileNames(const QList<PdfFile> &files)
{
    QStringList names;
    for (const PdfFile &file : files)
        names << QDir::toNativeSeparators(file.path);
    return names.join(QLatin1Char('\n'));
}

bool savePdfFiles(AppContext &context, QWidget *parent, const QList<PdfFile> &files, const QString &title)
{
    QProgressDialog progress(QStringLiteral("正在导出PDF…"), QStringLiteral("停止"), 0, 0, parent);
    progress.setWindowTitle(QStringLiteral("导出PDF"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(500);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QString error;
    const bool written = writePdfs(files, title, &error, [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        progress.setLabelText(QStringLiteral("正在导出PDF：第 %1 / %2 页").arg(done).arg(total));
        return !progress.wasCanceled();
    });
    QApplication::restoreOverrideCursor();
    progress.reset();
    if (!written)
        context.messages().failure(QStringLiteral("PDF文件没有保存：") + pdfFileNames(files), error);
    return written;
}

} // namespace kaoshi
