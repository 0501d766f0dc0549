#pragma once
// The print preview "打印预览" of any page source: one page in view at a
// time, painted only when it is shown; page through, zoom, print, or save
// as PDF. A source that lays its pages out as it goes shows its first page
// at once while the rest are counted in small steps. The window is modal:
// what it shows stays as it was when it opened.
#include "print/PageOutput.h"
#include "print/PageSource.h"

#include <QDialog>
#include <QTimer>
#include <memory>

class QAction;
class QLabel;
class QScrollArea;
class QSpinBox;

namespace kaoshi {

struct AppContext;
class PageView;

class PreviewWindow final : public QDialog
{
    Q_OBJECT
public:
    // title: the document's name, for the printer and the PDF file's name.
    PreviewWindow(AppContext &context, std::unique_ptr<PageSource> source, const QString &title,
                  QWidget *parent = nullptr);
    ~PreviewWindow() override;

    const PageSource &source() const { return *m_source; }
    // The page in view (0-based).
    int currentPage() const;
    void showPage(int index);
    void nextPage() { showPage(currentPage() + 1); }
    void previousPage() { showPage(currentPage() - 1); }
    void firstPage() { showPage(0); }
    // Lays out every page first.
    void lastPage();

    enum class Fit { Page, Width, None };
    // Pixels of the screen per 0.1 mm of paper.
    double zoom() const;
    void zoomIn();
    void zoomOut();
    void fitPage() { setFit(Fit::Page); }
    void fitWidth() { setFit(Fit::Width); }

    // The toolbar's "导出PDF".
    QAction *savePdfAction() const { return m_savePdf; }
    // 导出PDF writes these parts of the document, one file each named after
    // the file chosen, instead of the pages in view as one file.
    void setPdfParts(QList<PdfPart> parts) { m_parts = std::move(parts); }
    // Asks for a file name and writes every page into it (or every part into
    // a file of its own); files that could not be written are reported and
    // the ones that were there stay as they were.
    void saveAsPdf();
    // The print dialog, then the pages it asks for.
    void print();

signals:
    // A page was painted on the screen.
    void pagePainted(int index);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildControls();
    void setFit(Fit fit);
    void setZoom(double zoom);
    void applyFit();
    void layOutMore();
    void showPageCount();

    AppContext &m_context;
    std::unique_ptr<PageSource> m_source;
    QString m_title;
    QList<PdfPart> m_parts;
    QScrollArea *m_scroll = nullptr;
    PageView *m_view = nullptr;
    QSpinBox *m_pageBox = nullptr;
    QLabel *m_pageCount = nullptr;
    QAction *m_savePdf = nullptr;
    Fit m_fit = Fit::Page;
    QTimer m_layOut;
    bool m_counted = false; // counting has begun (after the first page was painted)
};

// The files' paths, one a line, as the user's system writes them.
QString pdfFileNames(const QList<PdfFile> &files);

// Writes a set of PDF files (see writePdfs) while a progress window with
// 停止 is shown over `parent`; a set that was not written is reported as
// 失败 with the files and the reason. false then.
bool savePdfFiles(AppContext &context, QWidget *parent, const QList<PdfFile> &files, const QString &title);

} // namespace kaoshi
