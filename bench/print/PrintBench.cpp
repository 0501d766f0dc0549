// A big bank through the print window, as the user goes: "导出" in the bank
// list, then "导出excel" (every row of six columns into a workbook), then
// "打印预览" up to the moment the first page has been painted on the screen,
// then "导出PDF" of every page. Each figure is the median of 3 runs (the PDF
// of a million rows, minutes long, is written once); the growth table
// compares the sizes.
//
//   QT_QPA_PLATFORM=offscreen build/bench/print_bench [rows …]   (default 10000 100000 1000000)
//   … --no-workbook --no-pdf [rows …]  leaves those steps out (the preview of a million rows alone)
//   KAOSHI_PDF_PAINTERS=1 … paints the PDF on that many threads (default: one per core)
//   KAOSHI_LOOK_MS=8000 KAOSHI_KEEP_PDF=/tmp/a.pdf xvfb-run build/bench/print_bench 1000
//   (keeps the first preview open and a copy of the PDF, to look at them)
#include "BenchData.h"
#include "support/ProgramState.h"

#include "app/MainWindow.h"
#include "bank/BankWindow.h"
#include "practice/PracticeSession.h"
#include "print/FreePrintWindow.h"
#include "print/PageOutput.h"
#include "print/PreviewWindow.h"
#include "print/PrintHandOver.h"
#include "print/ReportPages.h"
#include "ui/AppContext.h"
#include "ui/Chinese.h"
#include "ui/ScriptedPlatform.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QPushButton>
#include <QTemporaryDir>
#include <algorithm>
#include <map>

using namespace kaoshi;
using namespace kaoshi::bench;

namespace {

constexpr int kRuns = 3;
// Steps left out by the command line.
bool withWorkbook = true;
bool withPdf = true;
// A PDF of a million rows takes minutes: it is written once.
constexpr int kLargeList = 1000000;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

struct Figures {
    double workbook = 0, firstPage = 0, pdf = 0;
    double previewMemory = 0; // MB more than before the preview
    int pagesKnown = 0;
    double pdfPages = 0;
};

void press(QWidget *window, const char *name) { window->findChild<QPushButton *>(QString::fromUtf8(name))->click(); }

Figures benchBank(int count)
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

    std::vector<double> workbook, firstPage, pdf, memory;
    Figures f;
    for (int r = 0; r < kRuns; ++r) {
        QElapsedTimer timer;
        if (withWorkbook) {
            bank->exportList();
            timer.start();
            press(main.printHandOver().window(), "导出按钮");
            workbook.push_back(timer.nsecsElapsed() / 1e6);
            if (r == 0 && !run.platform.openedFiles.isEmpty())
                std::printf("%-58s %10.1f MB\n", "  workbook size",
                            QFileInfo(run.platform.openedFiles.first()).size() / 1e6);
            QApplication::processEvents();
        }

        bank->exportList();
        FreePrintWindow *window = main.printHandOver().window();
        const double before = residentMegabytes();
        bool painted = false;
        timer.start();
        press(window, "打印按钮");
        PreviewWindow *preview = window->previewDialog();
        QObject::connect(preview, &PreviewWindow::pagePainted, preview, [&](int) {
            if (!painted)
                f.pagesKnown = preview->source().pagesKnown();
            painted = true;
        });
        while (!painted)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        firstPage.push_back(timer.nsecsElapsed() / 1e6);
        memory.push_back(residentMegabytes() - before);
        // KAOSHI_LOOK_MS keeps the first preview open that long, to look at it.
        if (const int look = qEnvironmentVariableIntValue("KAOSHI_LOOK_MS"); look > 0 && r == 0) {
            QElapsedTimer shown;
            shown.start();
            while (shown.elapsed() < look)
                QApplication::processEvents(QEventLoop::AllEvents, 50);
        }

        const QString path = QDir(dir.path()).filePath(QStringLiteral("报表.pdf"));
        if (!withPdf || (count >= kLargeList && r > 0)) {
            preview->close();
            QApplication::processEvents();
            main.printHandOver().close();
            QApplication::processEvents();
            continue;
        }
        timer.restart();
        QString error;
        if (!writePdf(preview->source(), path, QStringLiteral("报表"), &error))
            std::printf("PDF not written: %s\n", qPrintable(error));
        pdf.push_back(timer.nsecsElapsed() / 1e6);
        f.pdfPages = preview->source().pageCount();
        if (r == 0) {
            std::printf("%-58s %10.1f MB, %d pages\n", "  PDF size", QFileInfo(path).size() / 1e6,
                        preview->source().pageCount());
            // KAOSHI_KEEP_PDF=path keeps a copy of the PDF, to look at it.
            if (const QString keep = qEnvironmentVariable("KAOSHI_KEEP_PDF"); !keep.isEmpty()) {
                QFile::remove(keep);
                QFile::copy(path, keep);
            }
        }
        preview->close();
        QApplication::processEvents();
        main.printHandOver().close();
        QApplication::processEvents();
    }
    f.workbook = workbook.empty() ? 0 : median(workbook);
    f.firstPage = median(firstPage);
    f.pdf = pdf.empty() ? 0 : median(pdf);
    f.previewMemory = median(memory);
    std::printf("%-58s %10.1f ms\n", "导出excel: every row of 6 columns into a workbook", f.workbook);
    std::printf("%-58s %10.1f ms\n", "打印预览: until the first page is painted", f.firstPage);
    std::printf("%-58s %10.1f MB  (%d pages laid out when it was painted)\n", "  memory of the preview over the list",
                f.previewMemory, f.pagesKnown);
    std::printf("%-58s %10.1f ms%s\n", "导出PDF: every page", f.pdf, count >= kLargeList ? "  (1 run)" : "");
    std::printf("%-58s %10.0f MB\n", "  peak memory of the process", peakMegabytes());
    return f;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installChinese(app);
    if (const int painters = qEnvironmentVariableIntValue("KAOSHI_PDF_PAINTERS"); painters > 0)
        setPdfPainters(painters);
    std::printf("PDF painted on %d thread(s)\n", pdfPainters());
    QList<int> sizes{10000, 100000, 1000000};
    QList<int> asked;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QStringLiteral("--no-workbook"))
            withWorkbook = false;
        else if (argument == QStringLiteral("--no-pdf"))
            withPdf = false;
        else
            asked << argument.toInt();
    }
    if (!asked.isEmpty())
        sizes = asked;
    std::map<int, Figures> all;
    for (int count : sizes)
        all[count] = benchBank(count);

    std::printf("\nMedians of %d runs, and growth against the smallest size:\n", kRuns);
    std::printf("%10s %14s %8s %14s %8s %14s %8s\n", "rows", "workbook ms", "growth", "1st page ms", "growth",
                "PDF ms", "growth");
    const Figures &base = all.begin()->second;
    for (const auto &[count, f] : all)
        std::printf("%10d %14.1f %7.1fx %14.1f %7.1fx %14.1f %7.1fx\n", count, f.workbook, f.workbook / base.workbook,
                    f.firstPage, f.firstPage / base.firstPage, f.pdf, f.pdf / base.pdf);
    return 0;
}
