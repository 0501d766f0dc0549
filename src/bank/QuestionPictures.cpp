#include "bank/QuestionPictures.h"

#include "data/DataStore.h"
#include "data/Schema.h"
#include "data/PictureLocation.h"
#include "data/TextRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace kaoshi {

namespace {

const QString kImagePrefix = QStringLiteral("\\image\\");

} // namespace

QString pictureStamp(const QDateTime &moment)
{
    return moment.toString(QStringLiteral("yyyyMMddHHmmss"));
}

QString pictureExtension(const QString &sourcePath)
{
    const QString suffix = QFileInfo(sourcePath).suffix();
    return suffix.isEmpty() ? sourcePath.right(4) : QLatin1Char('.') + suffix;
}

QString uniquePictureLocation(const QString &stamp, const QString &extension,
                              const std::function<bool(const QString &)> &isTaken)
{
    QString location = kImagePrefix + stamp + extension;
    for (int counter = 2; isTaken(location); ++counter)
        location = kImagePrefix + stamp + QLatin1Char('-') + QString::number(counter) + extension;
    return location;
}

bool isImageLocation(const QString &location)
{
    if (!location.startsWith(kImagePrefix))
        return false;
    const QString name = location.mid(kImagePrefix.size());
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('\\')) && !name.contains(QLatin1Char('/'));
}

std::optional<QString> stagePicture(const QString &programDir, const QString &source, const QString &location)
{
    if (source.isEmpty())
        return QString();
    if (!isImageLocation(location) || !QFileInfo(source).isFile())
        return std::nullopt;
    if (!QDir(programDir).mkpath(kImageFolder))
        return std::nullopt;
    const QString target = pictureFile(programDir, location);
    if (target.isEmpty())
        return std::nullopt;
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return QString();
    // Copied beside the target first, so a failed copy leaves the old picture.
    const QString staged = target + QStringLiteral(".part");
    QFile::remove(staged);
    if (!QFile::copy(source, staged)) {
        QFile::remove(staged);
        return std::nullopt;
    }
    return staged;
}

bool placeStagedPicture(const QString &staged, const QString &programDir, const QString &location)
{
    // rename() replaces the old file in one step: there is never a moment
    // without a picture at the location.
    const QByteArray from = QFile::encodeName(staged);
    const QString target = pictureFile(programDir, location);
    if (target.isEmpty())
        return false;
    const QByteArray to = QFile::encodeName(target);
    return std::rename(from.constData(), to.constData()) == 0;
}

bool copyPicture(const QString &programDir, const QString &source, const QString &location)
{
    if (source.isEmpty())
        return false;
    const std::optional<QString> staged = stagePicture(programDir, source, location);
    if (!staged)
        return false;
    return staged->isEmpty() || placeStagedPicture(*staged, programDir, location);
}

} // namespace kaoshi
