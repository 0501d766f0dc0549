#pragma once
// "打印预览" over a page source: page through it, zoom, print it, or hand
// it to a PDF export of the caller's.
#include <QPrintPreviewDialog>
#include <functional>

class QAction;

namespace kaoshi {

class PageSource;

class PagePreviewDialog final : public QPrintPreviewDialog
{
    Q_OBJECT
public:
    // The source must outlive the dialog. exportPdf: what "导出PDF" does.
    PagePreviewDialog(const PageSource &source, std::function<void()> exportPdf, QWidget *parent = nullptr);

    QAction *exportPdfAction() const { return m_exportPdf; }
    // false when the last paint could not draw on its printer.
    bool lastPaintSucceeded() const { return m_painted; }
    // How often the pages were painted (the preview paints when it shows).
    int paintCount() const { return m_paints; }

private:
    const PageSource &m_source;
    QAction *m_exportPdf = nullptr;
    bool m_painted = true;
    int m_paints = 0;
};

} // namespace kaoshi
