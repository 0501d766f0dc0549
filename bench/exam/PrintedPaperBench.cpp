// 考试 > 打印试卷 on a 100-question paper (60 单选, 20 多选, 15 判断, 5 问答
// with pictures) drawn from banks of the real questions, as the user goes:
//  - "打印预览": draw, store the variants, lay out paper, sheet and key and
//    show the preview until it has painted its first page (one variant);
//  - "导出PDF" in that preview of 26 variants (A–Z) with sheets and keys,
//    into one PDF and into one PDF per kind;
//  - 30 variants laid out and written through the same core calls, into one
//    PDF and one per kind (the window offers A–Z, so 30 is reached below
//    the window).
// Medians of 3 runs. With a folder argument the PDFs of the last run stay there.
//
//   QT_QPA_PLATFORM=offscreen build/bench/printed_paper_bench [folder]
//   KAOSHI_LOOK_MS=8000 xvfb-run build/bench/printed_paper_bench   (keeps the first preview open, to look at it)
#include "BenchData.h"
#include "support/ProgramState.h"

#include "app/MainWindow.h"
#include "data/ConfigTable.h"
#include "exam/PrintPaperDialog.h"
#include "print/PageOutput.h"
#include "print/PaperPages.h"
#include "print/PreviewWindow.h"
#include "ui/Chinese.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <algorithm>

using namespace kaoshi;
using namespace kaoshi::bench;

namespace {

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void printMedian(const char *name, const std::vector<double> &runs)
{
    std::printf("%-64s %8.1f ms  (runs:", name, median(runs));
    for (double ms : runs)
        std::printf(" %.0f", ms);
    std::printf(")\n");
    std::fflush(stdout);
}

QString picture(const QString &programDir, const QString &name, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setPen(QPen(Qt::darkBlue, 6));
    painter.drawRect(image.rect().adjusted(3, 3, -3, -3));
    painter.drawLine(0, 0, size.width(), size.height());
    painter.drawEllipse(image.rect().adjusted(size.width() / 4, size.height() / 4, -size.width() / 4, -size.height() / 4));
    painter.end();
    image.save(QDir(programDir).filePath(QStringLiteral("image/") + name));
    return QStringLiteral("\\image\\") + name;
}

// Banks of the real questions; 判断 and 问答 made up, every 问答 with a picture.
void fillBanks(DataStore &store, const QString &programDir)
{
    fillBank(store, QStringLiteral("单选"), 2000);
    fillBank(store, QStringLiteral("多选"), 300);
    store.execute(QStringLiteral("update 单选 set 分值=1.5"));
    store.execute(QStringLiteral("update 多选 set 分值=2, 解析='多选的解析文字'"));
    Transaction unit(store);
    for (int n = 1; n <= 40; ++n)
        store.execute(QStringLiteral("insert into 判断 (题号,题目,标准答案,分值) values (?,?,?,1)"),
                      {n, QStringLiteral("第%1个说法：光在真空中的速度约为每秒三十万公里。").arg(n), n % 2 ? "√" : "×"});
    QDir(programDir).mkpath(QStringLiteral("image"));
    const QSize sizes[] = {{1600, 500}, {500, 700}, {300, 160}, {900, 600}, {1200, 1200}};
    for (int n = 1; n <= 5; ++n) {
        store.execute(QStringLiteral("insert into 问答 (题号,题目,标准答案,分值) values (?,?,?,?)"),
                      {n, QStringLiteral("看图回答：图%1表示的是什么？请结合所学知识说明理由，并举出一个例子。").arg(n),
                       QStringLiteral("要点：……"), n * 2});
        store.execute(QStringLiteral("insert into 图片 (题型,题号,摘要,图片) values ('问答',?,?,?)"),
                      {n, QStringLiteral("图%1").arg(n),
                       picture(programDir, QStringLiteral("图%1.png").arg(n), sizes[n - 1])});
    }
    unit.commit();
    storeExamSettings(store, {{60, 20, 15, 5}, 90});
}

template <typename W>
W *control(QWidget *dialog, const char *name)
{
    return dialog->findChild<W *>(QString::fromUtf8(name));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    installChinese(app);
    const QString keep = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QTemporaryDir dir;
    {
        DataStore store;
        store.open(QDir(dir.path()).filePath(QStringLiteral("考试修改.mdb")));
        fillBanks(store, dir.path());
    }
    kaoshi::test::ProgramRun run(dir.path());
    MainWindow main(run.context);
    main.applyScreenSize({1920, 1080});
    main.show();
    const QString out = keep.isEmpty() ? dir.path() : keep;
    QDir().mkpath(out);

    std::vector<double> preview, combined, perKind, thirty, thirtyPerKind;
    int combinedPages = 0;
    const QString paper26 = QDir(out).filePath(QStringLiteral("考试试卷26.pdf"));
    for (int round = 0; round < 3; ++round) {
        main.runMenuItem(QStringLiteral("打印试卷"));
        auto *dialog = qobject_cast<PrintPaperDialog *>(main.currentTaskWindow());
        QApplication::processEvents();

        QElapsedTimer timer;
        timer.start();
        control<QPushButton>(dialog, "打印预览按钮")->click();
        bool painted = false;
        QObject::connect(dialog->previewWindow(), &PreviewWindow::pagePainted, [&painted] { painted = true; });
        while (!painted)
            QApplication::processEvents();
        preview.push_back(timer.nsecsElapsed() / 1e6);
        if (const int look = qEnvironmentVariableIntValue("KAOSHI_LOOK_MS"); look > 0 && round == 0) {
            QElapsedTimer shown;
            shown.start();
            while (shown.elapsed() < look)
                QApplication::processEvents(QEventLoop::AllEvents, 50);
        }
        dialog->previewWindow()->close();

        // 导出PDF of the preview, one file and then one per kind.
        control<QSpinBox>(dialog, "变体数编辑框")->setValue(26);
        for (const int files : {0, 1}) {
            control<QComboBox>(dialog, "PDF文件组合框")->setCurrentIndex(files);
            control<QPushButton>(dialog, "打印预览按钮")->click();
            PreviewWindow *shown = dialog->previewWindow();
            run.platform.setNextFileName(paper26);
            timer.restart();
            shown->savePdfAction()->trigger();
            (files == 0 ? combined : perKind).push_back(timer.nsecsElapsed() / 1e6);
            shown->close();
        }
        dialog->close();
        QApplication::processEvents();

        // 30 variants below the window: draw, lay out, one PDF or one per kind.
        for (const bool split : {false, true}) {
            timer.restart();
            PaperPlan plan;
            plan.counts = {60, 20, 15, 5};
            plan.shuffleQuestions = plan.shuffleOptions = true;
            PaperRunDraw draw = drawPaperRun(run.store, dir.path(), plan, 1000 + round, QString());
            for (int index = 1; index < 30; ++index)
                draw.run.variants.push_back(
                    makeVariant(draw.questions, index, variantSeed(1000 + round, index), true, true));
            const QtTextMeasure measure;
            const QList<LaidDocument> documents = layoutPaperRun(plan, draw.questions, draw.run, measure);
            const PaperPages pages(documents);
            QList<PdfPart> parts;
            if (split)
                for (const PaperKind kind : kindsOf(plan))
                    parts.append({paperKindName(kind), std::make_shared<PaperPages>(documentsOfKind(documents, kind))});
            writePdfs(pdfFilesFor(pages, parts, QDir(out).filePath(QStringLiteral("考试试卷30.pdf"))), plan.title);
            (split ? thirtyPerKind : thirty).push_back(timer.nsecsElapsed() / 1e6);
            combinedPages = pages.pageCount();
        }
    }
    std::printf("\n== 100-question paper (60 单选, 20 多选, 15 判断, 5 问答 with pictures) ==\n");
    printMedian("打印预览: draw, store, lay out, first page painted (1 variant)", preview);
    printMedian("preview's 导出PDF: 26 variants, paper + sheet + key, one PDF", combined);
    printMedian("preview's 导出PDF: 26 variants, one PDF per kind (3 files)", perKind);
    printMedian("30 variants: draw, lay out, paper + sheet + key into one PDF", thirty);
    printMedian("30 variants: draw, lay out, one PDF per kind (3 files)", thirtyPerKind);
    std::printf("%-64s %8d\n", "  pages of the 30-variant PDF", combinedPages);
    std::printf("%-64s %8.1f MB\n", "  size of the 26-variant PDF",
                QFileInfo(QDir(out).filePath(QStringLiteral("考试试卷26.pdf"))).size() / 1e6);
    return 0;
}
