// Speed and memory of importing through the real dialog: a file is chosen,
// every row is read, checked and counted, the first rows are shown ("preview"
// covers reading, checking and showing until the last row is counted), then
// "导入" reads the file again and stores the ready rows in one unit ("store"
// covers the second read, the unit of work and the message). Files are made
// from the real questions of the shared data set, repeated with their row
// number added so that every question is new.
//
// Every run is a process of its own, so that its peak memory (VmHWM) is the
// import's alone; each figure is the median of three runs.
//
//   build/bench/import_bench [csv|xlsx|text|ten-million|hostile|real] [most rows]   (default: csv and xlsx)
//
//   csv, xlsx     10,000, 100,000 and 1,000,000 rows, with the growth per size
//   text          the same sizes as numbered text whose answers are all in a key
//                 at the end (every question waits for the key)
//   ten-million   a 10,000,000-row CSV once (peak memory of the bounded preview and store)
//   hostile       workbooks made to exhaust memory or time, each refused or read
#include "BenchData.h"
#include "import/ImportFiles.h"
#include "import/ImportDialog.h"
#include "PreviewTiming.h"
#include "support/TestDatabase.h"
#include "ui/AppContext.h"
#include "ui/ScriptedPlatform.h"
#include "practice/PracticeSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <xlsxwriter.h>

using namespace kaoshi;

namespace {

const QString kSingle = QStringLiteral("单选");

QString csvField(const QString &text)
{
    QString quoted = text;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString writeCsv(const QString &path, int rows)
{
    const QList<bench::SourceQuestion> real = bench::realQuestions();
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write("题号,题目,标准答案,解析,分值,章节\n");
    QByteArray chunk;
    for (int i = 0; i < rows; ++i) {
        const bench::SourceQuestion &q = real[i % real.size()];
        chunk += (QString::number(i + 1) + u',' + csvField(QStringLiteral("%1（%2）").arg(q.text).arg(i + 1)) + u',' +
                  q.answer + QStringLiteral(",,1,") + csvField(q.chapter) + u'\n')
                     .toUtf8();
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    return path;
}

// A numbered text file whose answers all come in a key at its end, as a
// teacher's paper often has them: every question waits for the key.
QString writeNumberedText(const QString &path, int rows)
{
    const QList<bench::SourceQuestion> real = bench::realQuestions();
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    QByteArray chunk;
    const auto put = [&](const QString &line) {
        chunk += line.toUtf8() + '\n';
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    };
    for (int i = 0; i < rows; ++i) {
        QString text = real[i % real.size()].text;
        text.replace(u'\n', u' ').replace(u'\r', u' ');
        put(QStringLiteral("%1. %2（%1）").arg(i + 1).arg(text));
    }
    put(QStringLiteral("参考答案"));
    for (int i = 0; i < rows; i += 5) {
        QString answers;
        for (int j = i; j < std::min(rows, i + 5); ++j)
            answers += real[j % real.size()].answer.left(1);
        put(QStringLiteral("%1-%2 %3").arg(i + 1).arg(i + int(answers.size())).arg(answers));
    }
    file.write(chunk);
    return path;
}

QString writeXlsx(const QString &path, int rows)
{
    const QList<bench::SourceQuestion> real = bench::realQuestions();
    lxw_workbook *book = workbook_new(QFile::encodeName(path).constData());
    lxw_worksheet *sheet = workbook_add_worksheet(book, nullptr);
    const char *titles[] = {"题号", "题目", "标准答案", "解析", "分值", "章节"};
    for (int c = 0; c < 6; ++c)
        worksheet_write_string(sheet, 0, lxw_col_t(c), titles[c], nullptr);
    for (int i = 0; i < rows; ++i) {
        const bench::SourceQuestion &q = real[i % real.size()];
        const lxw_row_t r = lxw_row_t(i + 1);
        worksheet_write_number(sheet, r, 0, i + 1, nullptr);
        worksheet_write_string(sheet, r, 1, QStringLiteral("%1（%2）").arg(q.text).arg(i + 1).toUtf8().constData(), nullptr);
        worksheet_write_string(sheet, r, 2, q.answer.toUtf8().constData(), nullptr);
        worksheet_write_number(sheet, r, 4, 1, nullptr);
        worksheet_write_string(sheet, r, 5, q.chapter.toUtf8().constData(), nullptr);
    }
    workbook_close(book);
    return path;
}

struct Program {
    ScriptedPlatform platform;
    PracticeSession practice;
    test::TestDatabase db;
    AppContext context{db.programDir(), db.store(), platform.platform()};
};

// One run in this process: preview and store of the file; prints one line
// "RESULT rows previewMs storeMs peakMB stored" for the parent.
int runChild(const QString &path, bool store)
{
    Program program;
    ImportDialog dialog(program.context, QuestionType::SingleChoice);
    const double previewMs = bench::previewUntilRead(dialog, path);
    const qint64 rows = dialog.currentPreview()->total();
    double storeMs = 0;
    if (store && dialog.currentPreview()->count(RowStatus::Ready) > 0) {
        QElapsedTimer timer;
        timer.start();
        dialog.importRows();
        storeMs = double(timer.nsecsElapsed()) / 1e6;
    }
    const QString message = program.platform.messages.isEmpty() ? QString() : program.platform.lastMessage().text;
    std::printf("RESULT %lld %.1f %.1f %.1f %lld %s\n", rows, previewMs, storeMs, bench::peakMegabytes(),
                program.db.count(kSingle), qPrintable(message.left(60).replace(u'\n', u' ')));
    std::fflush(stdout);
    return 0;
}

struct Run {
    qint64 rows = 0;
    double previewMs = 0, storeMs = 0, peakMb = 0;
    qint64 stored = 0;
    QString message;
    bool ok = false;
};

Run runInOwnProcess(const QString &program, const QString &path, bool store)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(program, {QStringLiteral("--child"), path, store ? QStringLiteral("store") : QStringLiteral("preview")});
    child.waitForFinished(-1);
    Run run;
    for (const QString &line : QString::fromUtf8(child.readAllStandardOutput()).split(u'\n')) {
        if (!line.startsWith(QStringLiteral("RESULT ")))
            continue;
        const QStringList f = line.split(u' ');
        run.rows = f.value(1).toLongLong();
        run.previewMs = f.value(2).toDouble();
        run.storeMs = f.value(3).toDouble();
        run.peakMb = f.value(4).toDouble();
        run.stored = f.value(5).toLongLong();
        run.message = f.mid(6).join(u' ');
        run.ok = true;
    }
    return run;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// Three runs of each size, their medians and the growth from one size to the next.
void growth(const QString &program, const char *kind, const QList<int> &sizes,
            const std::function<QString(int)> &makeFile)
{
    std::printf("\n%s import through the dialog (median of 3 runs, each in a process of its own)\n", kind);
    std::printf("%10s %12s %12s %12s %10s   %s\n", "rows", "preview ms", "store ms", "total ms", "peak MB",
                "growth of total per size");
    double previous = 0;
    for (int rows : sizes) {
        const QString path = makeFile(rows);
        std::vector<double> preview, storing, total, peak;
        Run last;
        for (int i = 0; i < 3; ++i) {
            last = runInOwnProcess(program, path, true);
            preview.push_back(last.previewMs);
            storing.push_back(last.storeMs);
            total.push_back(last.previewMs + last.storeMs);
            peak.push_back(last.peakMb);
        }
        const double t = median(total);
        std::printf("%10d %12.0f %12.0f %12.0f %10.0f   %s   (%lld stored)\n", rows, median(preview), median(storing), t,
                    median(peak), previous > 0 ? qPrintable(QStringLiteral("×%1").arg(t / previous, 0, 'f', 1)) : "",
                    last.stored);
        std::fflush(stdout);
        previous = t;
        QFile::remove(path);
    }
}

void hostile(const QString &program, const QTemporaryDir &folder)
{
    const test::ImportFiles parts;
    const auto writeRawXlsx = [&](const QString &path, const QByteArray &sheetXml, const QByteArray &sharedXml) {
        return parts.writeRawXlsx(QFileInfo(path).fileName(), sheetXml, sharedXml);
    };
    const QByteArray header = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>题目</t></is></c>"
                              "<c r=\"B1\" t=\"inlineStr\"><is><t>答案</t></is></c></row>";
    const auto sheet = [&](const QByteArray &rows, const QByteArray &after = {}) {
        return "<worksheet><sheetData>" + header + rows + "</sheetData>" + after + "</worksheet>";
    };
    const QByteArray big(900 * 1024 * 1024 / 2, 'x'); // compresses to about a megabyte
    QByteArray deep, blank, merges, mergeRows;
    for (int i = 0; i < 2000000; ++i)
        deep += "<x>";
    for (int r = 2; r < 2000000; ++r)
        blank += "<row r=\"" + QByteArray::number(r) + "\"/>";
    for (int r = 2; r <= 20001; ++r) {
        const QByteArray n = QByteArray::number(r);
        mergeRows += "<row r=\"" + n + "\"><c r=\"A" + n + "\" t=\"inlineStr\"><is><t>题" + n +
                     "A.是B.否</t></is></c><c r=\"B" + n + "\" t=\"inlineStr\"><is><t>A</t></is></c></row>";
        merges += "<mergeCell ref=\"C" + n + ":XFD" + n + "\"/>";
    }
    QByteArray good;
    {
        QFile file(writeXlsx(folder.filePath("good.xlsx"), 10));
        file.open(QIODevice::ReadOnly);
        good = file.readAll();
    }
    const struct {
        const char *name;
        QString path;
    } files[] = {
        {"one shared text of 450 MB", writeRawXlsx(folder.filePath("shared.xlsx"), sheet({}), "<sst><si><t>" + big + "</t></si></sst>")},
        {"one cell of 450 MB", writeRawXlsx(folder.filePath("cell.xlsx"), sheet("<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>" + big + "</t></is></c></row>"), {})},
        {"\"mergeCell\" in a text before 450 MB of cells",
         writeRawXlsx(folder.filePath("mergetext.xlsx"),
                      sheet("<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>&lt;mergeCell ref=&quot;A1:B2&quot;/&gt;" + big + "</t></is></c></row>"), {})},
        {"2,000,000 nested elements", writeRawXlsx(folder.filePath("deep.xlsx"), sheet("<row r=\"2\">" + deep), {})},
        {"2,000,000 blank rows", writeRawXlsx(folder.filePath("blank.xlsx"), sheet(blank), {})},
        {"20,000 merged ranges reaching XFD", writeRawXlsx(folder.filePath("merges.xlsx"), sheet(mergeRows, "<mergeCells>" + merges + "</mergeCells>"), {})},
        {"truncated workbook", [&] {
             QFile file(folder.filePath("truncated.xlsx"));
             file.open(QIODevice::WriteOnly);
             file.write(good.left(good.size() / 2));
             return file.fileName();
         }()},
    };
    std::printf("\nhostile workbooks through the dialog, each in a process of its own\n");
    std::printf("%-48s %10s %10s %10s   %s\n", "file", "size KB", "ms", "peak MB", "outcome");
    for (const auto &f : files) {
        const Run run = runInOwnProcess(program, f.path, false);
        std::printf("%-48s %10lld %10.0f %10.0f   %s\n", f.name, QFileInfo(f.path).size() / 1024, run.previewMs,
                    run.peakMb, run.ok ? qPrintable(QStringLiteral("%1 rows; %2").arg(run.rows).arg(run.message)) : "crashed");
        std::fflush(stdout);
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == u"--child")
        return runChild(args.value(2), args.value(3) == u"store");
    const QString which = args.value(1);
    const QString self = app.applicationFilePath();
    QTemporaryDir folder;
    // A second argument caps the sizes: "xlsx 100000" stops at 100,000 rows.
    QList<int> sizes{10000, 100000, 1000000};
    if (const int most = args.value(2).toInt(); most > 0)
        sizes.removeIf([most](int rows) { return rows > most; });
    if (which.isEmpty() || which == u"csv")
        growth(self, "CSV", sizes, [&](int rows) { return writeCsv(folder.filePath("bench.csv"), rows); });
    if (which.isEmpty() || which == u"xlsx")
        growth(self, "xlsx", sizes, [&](int rows) { return writeXlsx(folder.filePath("bench.xlsx"), rows); });
    if (which == u"text")
        growth(self, "numbered text with the answers in a key at the end", sizes,
               [&](int rows) { return writeNumberedText(folder.filePath("bench.txt"), rows); });
    if (which == u"ten-million") {
        const QString path = writeCsv(folder.filePath("ten.csv"), 10000000);
        const Run run = runInOwnProcess(self, path, true);
        std::printf("\n10,000,000-row CSV (%lld MB): preview %.0f ms, store %.0f ms, peak memory %.0f MB, %lld stored\n",
                    QFileInfo(path).size() >> 20, run.previewMs, run.storeMs, run.peakMb, run.stored);
    }
    if (which == u"hostile")
        hostile(self, folder);
    if (which == u"real") {
        const Run run = runInOwnProcess(self, QStringLiteral(KAOSHI_SHARED_DATA "/cmmlu-single-choice.csv"), true);
        std::printf("cmmlu-single-choice.csv: %lld rows, preview %.0f ms, store %.0f ms, peak %.0f MB\n", run.rows,
                    run.previewMs, run.storeMs, run.peakMb);
    }
    return 0;
}
