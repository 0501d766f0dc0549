// Speed of Word documents through the real windows, on banks made from the
// real questions of the shared data set with one picture (a distinct PNG of
// about 10 KB) on every 20th question:
//
//   write    "导出Word" in the bank list: reading the bank and its picture
//            rows, writing the .docx into 导出/ and the message;
//   preview  the import dialog reading that document: every paragraph
//            parsed, checked and shown until the last row is in the table;
//   import   "导入": copying the pictures into image/, storing the questions
//            and picture rows in one unit, the message.
//
// Each figure is the median of 3 runs; the last column is the growth over the
// size before. The 10,000-question document is about 5 MB with 500 pictures.
//
//   build/bench/docx_bench [sizes…]      (default: 1000 10000)
//   build/bench/docx_bench --file x.docx  preview and import of a document made elsewhere
//   build/bench/docx_bench --keep dir 10000   also copies the written document into dir
#include "BenchData.h"
#include "app/MainWindow.h"
#include "bank/BankWindow.h"
#include "data/BankTable.h"
#include "data/Transaction.h"
#include "import/ImportDialog.h"
#include "PreviewTiming.h"
#include "support/ProgramState.h"
#include "support/TestDatabase.h"
#include "ui/AppContext.h"
#include "ui/ScriptedPlatform.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <algorithm>

using namespace kaoshi;

namespace {

const QString kSingle = QStringLiteral("单选");
constexpr int kRuns = 3;
constexpr int kQuestionsPerPicture = 20;

// A picture of noise, so that every one is a different file of about 10 KB.
void writePicture(const QString &path, int seed)
{
    QImage image(64, 48, QImage::Format_RGB32);
    QRandomGenerator random{quint32(seed)};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000);
    image.save(path, "PNG");
}

void fillBank(test::TestDatabase &db, int count)
{
    const QList<bench::SourceQuestion> real = bench::realQuestions();
    std::vector<QuestionValues> values;
    values.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const bench::SourceQuestion &q = real[i % real.size()];
        values.push_back({q.text, q.answer, QString(), 1, q.chapter});
    }
    QDir(db.programDir()).mkpath(QStringLiteral("image"));
    Transaction unit(db.store());
    bank::insertQuestions(db.store(), QuestionType::SingleChoice, 1, values);
    unit.commit();
    for (int n = 1; n <= count; n += kQuestionsPerPicture) {
        const QString name = QStringLiteral("p%1.png").arg(n);
        writePicture(db.programDir() + QStringLiteral("/image/") + name, n);
        db.addPicture(kSingle, n, QStringLiteral("图%1").arg(n), QStringLiteral("\\image\\") + name);
    }
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double milliseconds(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e6; }

// "导出Word" of the whole bank; the path of the last document written.
double writeDocument(test::TestDatabase &db, QString &written)
{
    ScriptedPlatform platform;
    AppContext context{db.programDir(), db.store(), platform.platform()};
    MainWindow main(context);
    main.show();
    main.runMenuItem(kSingle + QStringLiteral("题库"));
    auto *bank = qobject_cast<BankWindow *>(main.currentTaskWindow());
    QApplication::processEvents();
    std::vector<double> runs;
    for (int run = 0; run < kRuns; ++run) {
        QElapsedTimer timer;
        timer.start();
        bank->exportWord();
        runs.push_back(milliseconds(timer));
    }
    written = platform.lastMessage().text.section(u'\n', 1, 1);
    return median(runs);
}

struct ImportFigures {
    double preview = 0, store = 0;
    qint64 stored = 0, pictures = 0;
};

ImportFigures importDocument(const QString &path)
{
    std::vector<double> previews, stores;
    ImportFigures figures;
    for (int run = 0; run < kRuns; ++run) {
        test::ProgramState program;
        ImportDialog dialog(program.context, QuestionType::FreeAnswer);
        previews.push_back(bench::previewUntilRead(dialog, path));
        QElapsedTimer timer;
        timer.start();
        dialog.importRows();
        stores.push_back(milliseconds(timer));
        figures.stored = program.db.count(kSingle);
        figures.pictures = program.db.count(QStringLiteral("图片"));
    }
    figures.preview = median(previews);
    figures.store = median(stores);
    return figures;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QList<int> sizes;
    QString keep;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == u"--file" && i + 1 < argc) {
            const QString path = QString::fromLocal8Bit(argv[++i]);
            const ImportFigures figures = importDocument(path);
            std::printf("%s: %lld questions, %lld pictures, preview %.0f ms, import %.0f ms (medians of %d)\n",
                        qPrintable(path), figures.stored, figures.pictures, figures.preview, figures.store, kRuns);
            return 0;
        }
        if (argument == u"--keep" && i + 1 < argc)
            keep = QString::fromLocal8Bit(argv[++i]);
        else
            sizes << argument.toInt();
    }
    if (sizes.isEmpty())
        sizes = {1000, 10000};
    std::printf("%9s %9s %9s %12s %12s %12s   growth (write/preview/import)\n", "questions", "pictures", "MB",
                "write ms", "preview ms", "import ms");
    double last[3] = {0, 0, 0};
    int lastSize = 0;
    for (const int size : sizes) {
        test::TestDatabase source;
        fillBank(source, size);
        QString path;
        const double write = writeDocument(source, path);
        const ImportFigures figures = importDocument(path);
        const double megabytes = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
        if (!keep.isEmpty())
            QFile::copy(path, QDir(keep).filePath(QStringLiteral("bank-%1.docx").arg(size)));
        std::printf("%9d %9lld %9.1f %12.0f %12.0f %12.0f", size, figures.pictures, megabytes, write, figures.preview,
                    figures.store);
        if (lastSize > 0)
            std::printf("   ×%.1f size: ×%.1f / ×%.1f / ×%.1f", double(size) / lastSize, write / last[0],
                        figures.preview / last[1], figures.store / last[2]);
        std::printf("%s\n", figures.stored == size ? "" : "   (not every question came back!)");
        std::fflush(stdout);
        last[0] = write;
        last[1] = figures.preview;
        last[2] = figures.store;
        lastSize = size;
    }
    return 0;
}
