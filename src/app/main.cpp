// kaoshi: question banks, practice and grading in one database file.
#include "app/DataFolder.h"
#include "app/MainWindow.h"
#include "exam/ExamState.h"
#include "practice/PracticeSession.h"
#include "data/DataStore.h"
#include "print/PrintHandOver.h"
#include "ui/AppContext.h"
#include "ui/Chinese.h"
#include "ui/QtPlatform.h"

#include <QApplication>
#include <QIcon>
#include <QStandardPaths>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // The name gives the per-user data folder (~/.local/share/kaoshi); the
    // display name is the one users see.
    QApplication::setApplicationName(QStringLiteral("kaoshi"));
    QApplication::setApplicationDisplayName(QStringLiteral("考试系统"));
    QGuiApplication::setDesktopFileName(QStringLiteral(KAOSHI_APP_ID));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(KAOSHI_APP_ID)));
    kaoshi::installChinese(app);

    kaoshi::PracticeSession practice; // the practice character format starts as 宋体, 9 points
    kaoshi::ExamState exam;
    kaoshi::DataStore store;
    kaoshi::QtPlatform platform;
    const kaoshi::DataFolder data = kaoshi::prepareDataFolder(
        QCoreApplication::applicationDirPath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    if (!data.problem.isEmpty())
        platform.platform().messages.failure(QStringLiteral("数据文件夹没有准备好"), data.problem);
    kaoshi::AppContext context{data.path, store, platform.platform(), practice, exam};

    kaoshi::MainWindow window(context);
    window.show();
    const int result = app.exec();
    kaoshi::closePrintWindow(context);
    return result;
}
