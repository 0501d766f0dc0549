#include "print/PagePreviewDialog.h"

#include "print/PageSource.h"
#include "print/PageOutput.h"
#include "ui/Controls.h"

#include <QAction>
#include <QGuiApplication>
#include <QPrinter>
#include <QScreen>
#include <QToolBar>

namespace kaoshi {

PagePreviewDialog::PagePreviewDialog(const PageSource &source, std::function<void()> exportPdf, QWidget *parent)
    : QPrintPreviewDialog(parent), m_source(source)
{
    nameControl(this, QStringLiteral("打印预览"));
    setWindowTitle(QStringLiteral("打印预览"));
    setUpPrinter(*printer(), m_source);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(area.width() * 3 / 4, area.height() * 4 / 5);
        move(area.center() - rect().center());
    }
    connect(this, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter *target) {
        m_painted = printPages(m_source, *target);
        ++m_paints;
    });
    if (auto *toolbar = findChild<QToolBar *>()) {
        toolbar->addSeparator();
        m_exportPdf = toolbar->addAction(QStringLiteral("导出PDF"));
        m_exportPdf->setObjectName(QStringLiteral("导出PDF"));
        m_exportPdf->setToolTip(QStringLiteral("把这些页面导出为PDF文件"));
        connect(m_exportPdf, &QAction::triggered, this, [exportPdf] {
            if (exportPdf)
                exportPdf();
        });
    }
}

} // namespace kaoshi
