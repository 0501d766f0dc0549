// kaoshi: question banks, practice and grading in one database file.
#include "app/DataFolder.h"
#include "app/MainWindow.h"
#include "data/DataStore.h"
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

    kaoshi::DataStore store;
    kaoshi::QtPlatform platform;
    const kaoshi::DataFolder data = kaoshi::prepareDataFolder(
        QCoreApplication::applicationDirPath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    if (!data.problem.isEmpty())
        platform.failure(QStringLiteral("数据文件夹没有准备好"), data.problem);
    kaoshi::AppContext context{data.path, store, platform.platform()};

    kaoshi::MainWindow window(context);
    window.show();
    // Closing the main window closes the print window too, storing nothing.
    return app.exec();
}
