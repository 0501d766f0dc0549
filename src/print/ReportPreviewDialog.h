#pragma once
// The print preview "打印预览" of a report: page through it, zoom, set up the
// page, print it, or save it as a PDF file.
#include "print/ReportDocument.h"

#include <QPrintPreviewDialog>

class QAction;

namespace kaoshi {

struct AppContext;

class ReportPreviewDialog final : public QPrintPreviewDialog
{
    Q_OBJECT
public:
    ReportPreviewDialog(AppContext &context, ReportDocument document, QWidget *parent = nullptr);

    const ReportDocument &document() const { return m_document; }
    // The toolbar button that saves the report as PDF.
    QAction *savePdfAction() const { return m_savePdf; }
    // Asks for a file name and writes every page into it; a file that could
    // not be written is reported.
    void saveAsPdf();

private:
    void paint(QPrinter *printer);

    AppContext &m_context;
    ReportDocument m_document;
    QAction *m_savePdf = nullptr;
};

} // namespace kaoshi
