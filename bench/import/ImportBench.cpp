// Speed of importing through the real dialog: a file is chosen, every row
// is read, checked and shown in the preview (the figure "preview" covers
// reading, checking and showing until the last row is in the table), then
// "导入" stores the ready rows ("store" covers the unit of work and the
// message). Files are made from the real questions of the shared data set,
// repeated with their row number added so that every question is new.
//
//   build/bench/import_bench [csv|xlsx|million|real]   (default: csv and xlsx)
//
// Peak memory is that of the whole process up to the line printed.
#include "BenchData.h"
#include "import/ImportDialog.h"
#include "support/TestDatabase.h"
#include "ui/AppContext.h"
#include "ui/ScriptedPlatform.h"
#include "practice/PracticeSession.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
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

void importFile(const char *what, const QString &path, bool store = true)
{
    Program program;
    ImportDialog dialog(program.context, QuestionType::SingleChoice);
    dialog.show();
    QApplication::processEvents();
    const double before = bench::peakMegabytes();

    QElapsedTimer timer;
    timer.start();
    dialog.preview(path);
    while (dialog.isReading())
        QApplication::processEvents();
    QApplication::processEvents();
    const double previewMs = double(timer.nsecsElapsed()) / 1e6;
    const size_t rows = dialog.currentPreview()->rows().size();
    const int ready = dialog.currentPreview()->count(RowStatus::Ready);
    std::printf("%s: preview of %zu rows (%d ready) in %.0f ms, peak memory %.0f MB (%.0f MB before)\n", what, rows,
                ready, previewMs, bench::peakMegabytes(), before);
    std::fflush(stdout);
    if (!store)
        return;
    timer.restart();
    dialog.importRows();
    const double storeMs = double(timer.nsecsElapsed()) / 1e6;
    std::printf("%s: store in %.0f ms, \"%s\", bank holds %lld, peak memory %.0f MB\n", what, storeMs,
                qPrintable(program.platform.lastMessage().text), program.db.count(kSingle), bench::peakMegabytes());
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QString which = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    QTemporaryDir folder;
    if (which.isEmpty() || which == u"csv")
        importFile("100000-row .csv", writeCsv(folder.filePath("bench.csv"), 100000));
    if (which.isEmpty() || which == u"xlsx")
        importFile("100000-row .xlsx", writeXlsx(folder.filePath("bench.xlsx"), 100000));
    if (which == u"million")
        importFile("1000000-row .csv", writeCsv(folder.filePath("million.csv"), 1000000));
    if (which == u"real")
        importFile("cmmlu-single-choice.csv", QStringLiteral(KAOSHI_SHARED_DATA "/cmmlu-single-choice.csv"));
    return 0;
}
