// A big bank through the print window, as the user goes: "导出" in the bank
// list, then "导出excel" (workbook written, read back by size), and "打印预览"
// (report read from the list, preview of every page shown), then the PDF of
// the whole report.
//
//   QT_QPA_PLATFORM=offscreen build/bench/print_bench [rows]   (default 10000 and 100000)
#include "BenchData.h"
#include "support/ProgramState.h"

#include "app/MainWindow.h"
#include "bank/BankWindow.h"
#include "practice/PracticeSession.h"
#include "print/FreePrintWindow.h"
#include "print/PrintHandOver.h"
#include "print/ReportLayout.h"
#include "print/ReportPainter.h"
#include "print/ReportPreviewDialog.h"
#include "ui/AppContext.h"
#include "ui/Chinese.h"
#include "ui/ListGrid.h"
#include "ui/ScriptedPlatform.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>

using namespace kaoshi;
using namespace kaoshi::bench;

namespace {

void benchBank(int count)
{
    QTemporaryDir dir;
    {
        DataStore store;
        store.open(QDir(dir.path()).filePath(QStringLiteral("考试修改.mdb")));
        fillBank(store, QStringLiteral("单选"), count);
    }
    std::printf("\n== %d questions in the bank list ==\n", count);
    kaoshi::test::ProgramRun run(dir.path());
    AppContext &context = run.context;
    MainWindow main(context);
    main.applyScreenSize({1920, 1080});
    main.show();
    main.runMenuItem(QStringLiteral("单选题库"));
    auto *bank = qobject_cast<BankWindow *>(main.currentTaskWindow());
    bank->search();
    QApplication::processEvents();

    const auto press = [](QWidget *window, const char *name) {
        window->findChild<QPushButton *>(QString::fromUtf8(name))->click();
    };

    QElapsedTimer timer;
    timer.start();
    bank->exportList();
    FreePrintWindow *window = main.printHandOver().window();
    QApplication::processEvents();
    report("导出: open the print window on the list", timer);

    QTemporaryDir temp;
    qputenv("TMPDIR", QFile::encodeName(temp.path()));
    const double before = peakMegabytes();
    timer.restart();
    press(window, "导出按钮");
    report("导出excel: every row of 6 columns into a workbook", timer);
    if (!run.platform.openedFiles.isEmpty())
        std::printf("%-58s %10.1f MB\n", "  workbook size", QFileInfo(run.platform.openedFiles.first()).size() / 1e6);
    std::printf("%-58s %10.0f MB  (%.0f MB before)\n", "  peak memory of the process", peakMegabytes(), before);

    bank->exportList();
    window = main.printHandOver().window();
    timer.restart();
    press(window, "打印按钮");
    ReportPreviewDialog *preview = window->previewDialog();
    QApplication::processEvents();
    report("打印预览: read the list, lay out and show the preview", timer);
    const ReportDocument &doc = preview->document();
    const ReportLayout layout(doc, reportPage(doc.options()));
    std::printf("%-58s %10d\n", "  pages", layout.pageCount());
    std::printf("%-58s %10.0f MB\n", "  peak memory of the process", peakMegabytes());

    timer.restart();
    QString error;
    writeReportPdf(doc, *preview->printer(), QDir(temp.path()).filePath(QStringLiteral("报表.pdf")), &error);
    report("PDF of every page", timer);
    std::printf("%-58s %10.1f MB\n", "  PDF size",
                QFileInfo(QDir(temp.path()).filePath(QStringLiteral("报表.pdf"))).size() / 1e6);
    main.printHandOver().close();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installChinese(app);
    QList<int> sizes{10000, 100000};
    if (argc > 1)
        sizes = {QString::fromLocal8Bit(argv[1]).toInt()};
    for (int count : sizes)
        benchBank(count);
    return 0;
}
