#include "print/ExportFiles.h"

#include "data/TextRules.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace kaoshi {

QString exportFolder(const QString &dataFolder) { return QDir(dataFolder).filePath(QStringLiteral("导出")); }

QString fileNameFromTitle(const QString &title, const QString &fallback)
{
    QString name = trimSpaces(title);
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    name.replace(unsafe, QStringLiteral("_"));
    if (name.startsWith(QLatin1Char('.')))
        name.replace(0, 1, QLatin1Char('_'));
    return name.isEmpty() ? fallback : name;
}

QString newWorkbookPath(const QString &folder, const QString &title, const QDateTime &now)
{
    const QString stem = fileNameFromTitle(title, QStringLiteral("导出")) + QLatin1Char('-') +
                         now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const QDir dir(folder);
    QString path = dir.filePath(stem + QStringLiteral(".xlsx"));
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = dir.filePath(QStringLiteral("%1-%2.xlsx").arg(stem).arg(n));
    return path;
}

} // namespace kaoshi
