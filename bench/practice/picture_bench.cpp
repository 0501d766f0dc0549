// Showing a question with a picture in the sequential practice window of a
// seat on a database server: the first time (the picture is fetched from the
// server into the seat's folder image) and again (the seat's copy is checked
// against the server's size and MD5 and read), against a database file.
// Each figure covers the press of 下题 up to the picture shown in its box,
// per question, averaged over the bank; medians of 3 runs, each run on a
// fresh seat (a new data folder and connection). Run it through
// tests/support/test-server, which starts a local server.
#include "support/PracticeDriving.h"
#include "support/TestDatabase.h"

#include "bank/EditedQuestion.h"
#include "practice/PictureBox.h"
#include "app/MainWindow.h"
#include "ui/AppContext.h"
#include "ui/ScriptedPlatform.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

constexpr int kQuestions = 30;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A PNG of noise, which does not compress: width × height × 3 bytes or so.
QByteArray noisePng(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.generate() | 0xff000000u);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Questions 1 … kQuestions, each with its own picture, stored through the editor's path.
void fill(TestDatabase &db, const QByteArray &png)
{
    db.addQuestions(QuestionType::SingleChoice, kQuestions);
    const QTemporaryDir sources;
    const QString source = QDir(sources.path()).filePath(QStringLiteral("p.png"));
    QFile file(source);
    file.open(QIODevice::WriteOnly);
    file.write(png);
    file.close();
    for (int n = 1; n <= kQuestions; ++n) {
        const qint64 rowId =
            db.store().query(QStringLiteral("select rowid from 单选 where 题号=?"), {n}).value(1).toInteger();
        saveEditedQuestion(db.store(), db.programDir(), QuestionType::SingleChoice, rowId, n,
                           {QStringLiteral("单选题%1").arg(n), QStringLiteral("A"), QString(), 1, QString()},
                           {{QStringLiteral("图"), source, QStringLiteral("\\image\\p%1.png").arg(n)}}, {});
    }
}

// Milliseconds per question for one pass from question 1 to the last.
double pass(QWidget *window)
{
    auto *box = control<PictureBox>(window, QStringLiteral("图片框1"));
    press(window, QStringLiteral("首题"));
    QElapsedTimer timer;
    timer.start();
    for (int n = 2; n <= kQuestions; ++n) {
        press(window, QStringLiteral("下题"));
        if (box->image().isNull())
            std::fprintf(stderr, "question %d shows no picture\n", n);
    }
    return timer.nsecsElapsed() / 1e6 / (kQuestions - 1);
}

struct Figures {
    std::vector<double> first, again;
};

// One seat: a fresh data folder and its own store on the database.
void measureSeat(TestDatabase &db, bool freshFolder, Figures &figures)
{
    QTemporaryDir dir;
    ScriptedPlatform platform;
    std::unique_ptr<DataStore> store = db.anotherStore();
    AppContext context{freshFolder ? dir.path() : db.programDir(), *store, platform.platform()};
    MainWindow main(context);
    main.applyScreenSize({1920, 1080});
    main.show();
    main.runMenuItem(QStringLiteral("顺序练习"));
    QWidget *window = main.currentTaskWindow();
    showPage(window, QStringLiteral("题目区高级选择夹"), 1);
    figures.first.push_back(pass(window));
    figures.again.push_back(pass(window));
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    std::printf("%d questions, one picture each; per question shown, medians of 3 runs\n", kQuestions);
    for (const auto &[width, height] : {std::pair{100, 80}, std::pair{320, 240}, std::pair{640, 480}}) {
        const QByteArray png = noisePng(width, height);
        TestDatabase server(TestEngine::Server);
        if (!server.isReady()) {
            std::fprintf(stderr, "no test server: %s\n", qPrintable(server.reason()));
            return 1;
        }
        TestDatabase file;
        fill(server, png);
        fill(file, png);
        Figures onServer, onFile;
        for (int run = 0; run < 3; ++run) {
            measureSeat(server, true, onServer);
            measureSeat(file, false, onFile);
        }
        std::printf("picture %4d KB  server first time %7.2f ms  server cached %7.2f ms  file %7.2f ms\n",
                    int(png.size() / 1024), median(onServer.first), median(onServer.again), median(onFile.first));
        std::fflush(stdout);
    }
    return 0;
}
