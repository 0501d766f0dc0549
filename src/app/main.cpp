// kaoshi: question banks, practice and grading in one database file, or on
// the database server of a computer room.
#include "app/DataFolder.h"
#include "app/DatabaseChoice.h"
#include "app/MainWindow.h"
#include "app/StartUpDialogs.h"
#include "data/DataStore.h"
#include "data/PostgresEngine.h"
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

    kaoshi::QtPlatform platform;
    const kaoshi::DataFolder data = kaoshi::prepareDataFolder(
        QCoreApplication::applicationDirPath(), QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    if (!data.problem.isEmpty())
        platform.failure(QStringLiteral("数据文件夹没有准备好"), data.problem);
    // 数据库.ini beside the other settings may choose a server for the room;
    // one that cannot be used leaves the choice to the user.
    kaoshi::DialogStartUpQuestions questions(data.path, platform);
    const kaoshi::StartUpChoice start = kaoshi::chooseDatabaseAtStart(data.path, questions);
    const kaoshi::ServerSettings &server = start.choice.server;
    const bool onServer = start.choice.kind == kaoshi::DatabaseChoice::Kind::Server;
    kaoshi::DataStore store =
        onServer ? kaoshi::DataStore(std::make_unique<kaoshi::PostgresEngine>(server)) : kaoshi::DataStore();
    kaoshi::AppContext context{data.path, store, platform.platform()};
    if (onServer) {
        context.serverLocation = server.describe();
        context.serverPassword = server.password;
    }
    context.fileForThisRun = start.fileForThisRun;

    kaoshi::MainWindow window(context);
    window.show();
    // Closing the main window closes the print window too, storing nothing.
    return app.exec();
}
