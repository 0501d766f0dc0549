// kaoshi: question banks, practice and grading in one database file.
#include "app/MainWindow.h"
#include "app/SessionState.h"
#include "data/DataStore.h"
#include "print/PrintHandOver.h"
#include "ui/AppContext.h"
#include "ui/Chinese.h"
#include "ui/QtPlatform.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("考试系统"));
    kaoshi::installChinese(app);

    kaoshi::SessionState session; // the practice character format starts as 宋体, 9 points
    kaoshi::DataStore store;
    kaoshi::QtPlatform platform;
    kaoshi::AppContext context{QCoreApplication::applicationDirPath(), store, platform.platform(), session};

    kaoshi::MainWindow window(context);
    window.show();
    const int result = app.exec();
    kaoshi::closePrintWindow(context);
    return result;
}
