// kaoshi: question banks, practice and grading in one database file, or on
// the database server of a computer room.
#include "app/DatabaseChoice.h"
#include "app/MainWindow.h"
#include "data/DataStore.h"
#include "data/PostgresEngine.h"
#include "ui/AppContext.h"
#include "ui/Chinese.h"
#include "ui/QtPlatform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("考试系统"));
    kaoshi::installChinese(app);

    const QString programDir = QCoreApplication::applicationDirPath();
    // 数据库.ini in the program directory may choose a server for the room.
    const kaoshi::DatabaseChoice choice = kaoshi::readDatabaseChoice(programDir);
    const bool onServer = choice.kind == kaoshi::DatabaseChoice::Kind::Server;
    kaoshi::DataStore store = onServer ? kaoshi::DataStore(std::make_unique<kaoshi::PostgresEngine>(choice.server))
                                       : kaoshi::DataStore();
    kaoshi::QtPlatform platform;
    kaoshi::AppContext context{programDir, store, platform.platform()};
    if (onServer)
        context.serverLocation = choice.server.describe();

    kaoshi::MainWindow window(context);
    window.show();
    // Closing the main window closes the print window too, storing nothing.
    return app.exec();
}
