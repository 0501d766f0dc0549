// kaoshi: question banks, practice and grading in one database file.
#include "app/MainWindow.h"
#include "exam/ExamState.h"
#include "practice/PracticeSession.h"
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

    kaoshi::PracticeSession practice; // the practice character format starts as 宋体, 9 points
    kaoshi::ExamState exam;
    kaoshi::DataStore store;
    kaoshi::QtPlatform platform;
    kaoshi::AppContext context{QCoreApplication::applicationDirPath(), store, platform.platform(), practice, exam};

    kaoshi::MainWindow window(context);
    window.show();
    return app.exec();
}
