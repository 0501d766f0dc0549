#include "app/DataFolder.h"

#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kaoshi {

namespace {

bool holdsDatabase(const QString &folder) { return QFileInfo(QDir(folder).filePath(kDatabaseFileName)).isFile(); }

// Copies a file so that the target is either whole or absent: a copy cut
// short leaves only the .part file, which the next start replaces.
bool copyWhole(const QString &source, const QString &target)
{
    const QString part = target + QStringLiteral(".part");
    QFile::remove(part);
    if (!QFile::copy(source, part))
        return false;
    QFile::setPermissions(part, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
    if (QFile::rename(part, target))
        return true;
    QFile::remove(part);
    return false;
}

// The sample bank into a folder without a database: the database, and the
// pictures that are not there yet.
QString placeSampleBank(const QString &sampleDir, const QString &folder)
{
    const QDir sample(sampleDir);
    if (!sample.exists(kDatabaseFileName))
        return QString(); // nothing shipped: the database starts empty
    const QDir target(folder);
    const QDir sampleImages(sample.filePath(kImageFolder));
    const QStringList images = sampleImages.entryList(QDir::Files);
    if (!images.isEmpty() && !target.mkpath(kImageFolder))
        return QStringLiteral("不能建立文件夹 ") + QDir::toNativeSeparators(target.filePath(kImageFolder));
    for (const QString &image : images) {
        const QString placed = target.filePath(kImageFolder + QLatin1Char('/') + image);
        if (!QFileInfo::exists(placed) && !copyWhole(sampleImages.filePath(image), placed))
            return QStringLiteral("不能复制示例图片 ") + QDir::toNativeSeparators(placed);
    }
    // The database last: while it is missing, the next start tries again.
    if (!copyWhole(sample.filePath(kDatabaseFileName), target.filePath(kDatabaseFileName)))
        return QStringLiteral("不能复制示例题库到 ") + QDir::toNativeSeparators(folder);
    return QString();
}

} // namespace

DataFolderKind chooseDataFolder(const DataFolderFacts &facts)
{
    if (!facts.programDirWritable)
        return DataFolderKind::UserData;
    if (facts.programDirHasDatabase)
        return DataFolderKind::ProgramDir;
    return facts.installed || facts.userDataPresent ? DataFolderKind::UserData : DataFolderKind::ProgramDir;
}

bool isUnderSystemPrefix(const QString &path)
{
    const QString clean = QDir::cleanPath(QDir(path).absolutePath()) + QLatin1Char('/');
    for (const char *prefix : {"/usr/", "/opt/"})
        if (clean.startsWith(QLatin1String(prefix)))
            return true;
    return false;
}

QString installedSampleDir(const QString &programDir)
{
    return QDir::cleanPath(QDir(programDir).filePath(QStringLiteral("../share/kaoshi")));
}

DataFolderFacts dataFolderFacts(const QString &programDir, const QString &userDataDir)
{
    const QFileInfo program(programDir);
    DataFolderFacts facts;
    facts.programDirWritable = program.isDir() && program.isWritable();
    facts.programDirHasDatabase = holdsDatabase(programDir);
    facts.installed = isUnderSystemPrefix(programDir)
        || (program.fileName() == QStringLiteral("bin") && holdsDatabase(installedSampleDir(programDir)));
    facts.userDataPresent = holdsDatabase(userDataDir);
    return facts;
}

DataFolder prepareDataFolder(const QString &programDir, const QString &userDataDir)
{
    DataFolder folder;
    folder.kind = chooseDataFolder(dataFolderFacts(programDir, userDataDir));
    if (folder.kind == DataFolderKind::ProgramDir) {
        folder.path = programDir;
        return folder;
    }
    folder.path = userDataDir;
    if (!QDir().mkpath(userDataDir))
        folder.problem = QStringLiteral("不能建立文件夹 ") + QDir::toNativeSeparators(userDataDir);
    else if (!holdsDatabase(userDataDir))
        folder.problem = placeSampleBank(installedSampleDir(programDir), userDataDir);
    return folder;
}

QString serverSettingsFile(const QString &dataDir, const QString &systemDir)
{
    const QString system = QDir(systemDir).filePath(kServerSettingsFileName);
    return QFileInfo(system).isFile() ? system : QDir(dataDir).filePath(kServerSettingsFileName);
}

} // namespace kaoshi
