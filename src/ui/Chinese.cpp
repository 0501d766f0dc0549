#include "ui/Chinese.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace kaoshi {

void installChinese(QApplication &app)
{
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    for (const char *name : {"qtbase_zh_CN", "qt_zh_CN"}) {
        auto *translator = new QTranslator(&app);
        if (translator->load(QLatin1String(name), folder))
            app.installTranslator(translator);
        else
            delete translator;
    }
    QFont::insertSubstitution(QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"));
    QFont::insertSubstitution(QStringLiteral("黑体"), QStringLiteral("Noto Sans CJK SC"));
    QFont font(QStringLiteral("Noto Sans CJK SC"));
    font.setPointSize(10);
    app.setFont(font);
}

} // namespace kaoshi
