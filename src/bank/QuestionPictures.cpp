#include "bank/QuestionPictures.h"

#include "data/DataStore.h"
#include "data/Schema.h"
#include "data/SqlText.h"
#include "data/TextRules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace kaoshi {

namespace {

const QString kImagePrefix = QStringLiteral("\\image\\");

} // namespace

QList<PictureRecord> loadPictures(DataStore &store, const QString &type, qint64 number)
{
    QList<PictureRecord> pictures;
    RowSet rows = store.query(QStringLiteral("select * from 图片 where 题型='") + sqlText(type) +
                              QStringLiteral("' and 题号=") + sqlNumber(number));
    for (; !rows.atEnd(); rows.next())
        pictures.append({rows.value(QStringLiteral("摘要")).toText(), rows.value(QStringLiteral("图片")).toText()});
    return pictures;
}

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

QString pictureFilePath(const QString &programDir, const QString &location)
{
    QString relative = location;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    while (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    return QDir(programDir).filePath(relative);
}

QString stagePicture(const QString &programDir, const QString &source, const QString &location)
{
    if (source.isEmpty() || !isImageLocation(location) || !QFileInfo(source).isFile())
        return QString();
    if (!QDir(programDir).mkpath(kImageFolder))
        return QString();
    const QString target = pictureFilePath(programDir, location);
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return QString();
    // Copied beside the target first, so a failed copy leaves the old picture.
    const QString staged = target + QStringLiteral(".part");
    QFile::remove(staged);
    return QFile::copy(source, staged) ? staged : QString();
}

bool placeStagedPicture(const QString &staged, const QString &programDir, const QString &location)
{
    // rename() replaces the old file in one step: there is never a moment
    // without a picture at the location.
    const QByteArray from = QFile::encodeName(staged);
    const QByteArray to = QFile::encodeName(pictureFilePath(programDir, location));
    return std::rename(from.constData(), to.constData()) == 0;
}

bool copyPicture(const QString &programDir, const QString &source, const QString &location)
{
    const QString target = pictureFilePath(programDir, location);
    if (isImageLocation(location) && !source.isEmpty() &&
        QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return true;
    const QString staged = stagePicture(programDir, source, location);
    return !staged.isEmpty() && placeStagedPicture(staged, programDir, location);
}

bool insertPictures(DataStore &store, const QString &type, qint64 number, const QList<PictureRecord> &pictures)
{
    RecordCursor table = store.openCursor(QStringLiteral("图片"), CursorKind::Table);
    for (const PictureRecord &picture : pictures) {
        if (!(table.addNew() && table.setInteger(QStringLiteral("题号"), number) &&
              table.setText(QStringLiteral("摘要"), trimSpaces(picture.summary)) &&
              table.setText(QStringLiteral("图片"), trimSpaces(picture.location)) &&
              table.setText(QStringLiteral("题型"), type) && table.update()))
            return false;
    }
    return true;
}

} // namespace kaoshi
