#include "print/ReportPreviewDialog.h"

#include "print/ExportFiles.h"
#include "print/ReportPainter.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"

#include <QAction>
#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QPrinter>
#include <QToolBar>

namespace kaoshi {

ReportPreviewDialog::ReportPreviewDialog(AppContext &context, ReportDocument document, QWidget *parent)
    : QPrintPreviewDialog(parent), m_context(context), m_document(std::move(document))
{
    nameControl(this, QStringLiteral("打印预览"));
    setWindowTitle(QStringLiteral("打印预览"));
    setUpPrinter(*printer(), m_document.options());
    // Big enough to read a page.
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(area.width() * 3 / 4, area.height() * 4 / 5);
        move(area.center() - rect().center());
    }
    connect(this, &QPrintPreviewDialog::paintRequested, this, &ReportPreviewDialog::paint);

    // Besides printing (where the print dialog may also print to a file), the
    // report is saved as PDF with one button.
    if (auto *toolbar = findChild<QToolBar *>()) {
        toolbar->addSeparator();
        m_savePdf = toolbar->addAction(QStringLiteral("保存PDF"));
        m_savePdf->setObjectName(QStringLiteral("保存PDF"));
        m_savePdf->setToolTip(QStringLiteral("把报表保存为PDF文件"));
        connect(m_savePdf, &QAction::triggered, this, &ReportPreviewDialog::saveAsPdf);
    }
}

void ReportPreviewDialog::paint(QPrinter *target)
{
    if (paintReport(m_document, *target))
        return;
    // Only a real printer or a file can refuse: the preview's pages always draw.
    const QString where = target->outputFileName().isEmpty() ? target->printerName() : target->outputFileName();
    m_context.messages().failure(QStringLiteral("报表没有打印：") + where, QStringLiteral("无法在打印机或文件上绘制"));
}

void ReportPreviewDialog::saveAsPdf()
{
    const QString suggested = fileNameFromTitle(m_document.options().title, QStringLiteral("打印"));
    const QString path = m_context.platform.files.saveFileName(
        QStringLiteral("保存PDF"), QStringLiteral("PDF文件(*.pdf)|*.pdf"),
        QDir::home().filePath(suggested + QStringLiteral(".pdf")));
    if (path.isEmpty())
        return;
    QString error;
    if (!writeReportPdf(m_document, *printer(), path, &error))
        m_context.messages().failure(QStringLiteral("PDF文件没有保存：") + QDir::toNativeSeparators(path), error);
}

} // namespace kaoshi
