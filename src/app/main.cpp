// kaoshi: question banks, practice and grading in one database file.
#include "app/MainWindow.h"
#include "data/DataStore.h"
#include "ui/AppContext.h"
#include "ui/Chinese.h"
#include "ui/QtPlatform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("考试系统"));
    kaoshi::installChinese(app);

    kaoshi::DataStore store;
    kaoshi::QtPlatform platform;
    kaoshi::AppContext context{QCoreApplication::applicationDirPath(), store, platform.platform()};

    kaoshi::MainWindow window(context);
    window.show();
    // Closing the main window closes the print window too, storing nothing.
    return app.exec();
}
