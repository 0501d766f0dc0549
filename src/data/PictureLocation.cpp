#include "data/PictureLocation.h"

#include "data/Schema.h"

#include <QDir>
#include <QFileInfo>

namespace kaoshi {

namespace {

bool isInside(const QString &path, const QString &folder)
{
    return !folder.isEmpty() && path.startsWith(folder + QLatin1Char('/'));
}

} // namespace

QString pictureFile(const QString &programDir, const QString &location)
{
    QString relative = location;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    if (relative.isEmpty())
        return QString();
    const QDir program(programDir);
    const QString folder = QDir::cleanPath(program.absoluteFilePath(kImageFolder));
    const QString file = QDir::cleanPath(program.absoluteFilePath(relative));
    if (!isInside(file, folder))
        return QString();
    // A link inside the folder must not lead out of it either.
    const QFileInfo info(file);
    if (info.exists() && !isInside(info.canonicalFilePath(), QFileInfo(folder).canonicalFilePath()))
        return QString();
    return QDir::toNativeSeparators(file);
}

} // namespace kaoshi
