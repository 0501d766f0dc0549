#include "bank/PictureFiles.h"

#include "bank/QuestionPictures.h"
#include "data/DataStore.h"
#include "data/PictureFileTable.h"
#include "data/PictureLocation.h"
#include "data/Schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace kaoshi {

namespace {

// A database file: the files of the folder image are the pictures.
class FolderPictureFiles : public PictureFiles
{
public:
    FolderPictureFiles(DataStore &store, const QString &dataDir) : PictureFiles(store, dataDir) {}

    QString fileToShow(const QString &location) override { return pictureFile(dataDir(), location); }
    bool isTaken(const QString &location) override
    {
        const QString file = pictureFile(dataDir(), location);
        return file.isEmpty() || QFileInfo::exists(file);
    }
    bool storeBytes(const QString &, const QByteArray &) override { return true; }
};

QByteArray md5Of(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Md5);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return QByteArray();
    return hash.result().toHex();
}

// A database server: the pictures are stored in it, and the seat's folder
// image holds copies of those it has shown.
class ServerPictureFiles : public PictureFiles
{
public:
    ServerPictureFiles(DataStore &store, const QString &dataDir) : PictureFiles(store, dataDir) {}

    QString fileToShow(const QString &location) override
    {
        const QString copy = pictureFile(dataDir(), location);
        if (copy.isEmpty())
            return QString();
        const pictureFiles::FileStamp stamp = pictureFiles::stampOf(store(), location);
        switch (stamp.state) {
        case pictureFiles::FileStamp::State::Missing:
            return QString();
        case pictureFiles::FileStamp::State::Failed:
            // The server cannot be asked just now: the seat's copy serves.
            return QFileInfo(copy).isFile() ? copy : QString();
        case pictureFiles::FileStamp::State::Stored:
            break;
        }
        if (isCopyOf(copy, stamp) || fetch(location, copy))
            return copy;
        return QString();
    }

    bool isTaken(const QString &location) override
    {
        const QString copy = pictureFile(dataDir(), location);
        return copy.isEmpty() || QFileInfo::exists(copy) || pictureFiles::exists(store(), location).value_or(true);
    }

    bool storeBytes(const QString &location, const QByteArray &bytes) override
    {
        return pictureFiles::put(store(), location, bytes);
    }

private:
    // The size is compared first, so a changed picture is mostly told
    // without reading the copy.
    static bool isCopyOf(const QString &copy, const pictureFiles::FileStamp &stamp)
    {
        const QFileInfo info(copy);
        return info.isFile() && info.size() == stamp.size && md5Of(copy) == stamp.md5;
    }

    bool fetch(const QString &location, const QString &copy)
    {
        const std::optional<QByteArray> bytes = pictureFiles::contentOf(store(), location);
        if (!bytes || !QDir(dataDir()).mkpath(kImageFolder))
            return false;
        // Written whole or not at all: an old copy stays until the new one is complete.
        QSaveFile file(copy);
        return file.open(QIODevice::WriteOnly) && file.write(*bytes) == bytes->size() && file.commit();
    }
};

} // namespace

std::unique_ptr<PictureFiles> pictureFilesFor(DataStore &store, const QString &dataDir)
{
    if (store.engine().storesPictureFiles())
        return std::make_unique<ServerPictureFiles>(store, dataDir);
    return std::make_unique<FolderPictureFiles>(store, dataDir);
}

PictureWrites::~PictureWrites()
{
    for (const auto &staged : std::as_const(m_staged))
        QFile::remove(staged.first);
}

bool PictureWrites::refuse(const QString &reason)
{
    m_files.store().noteFailure(reason);
    return false;
}

bool PictureWrites::putFile(const QString &location, const QString &source)
{
    if (source.isEmpty())
        return true;
    const QString failure = QStringLiteral("图片“%1”没能复制到 %2").arg(source, location);
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return refuse(failure + QStringLiteral("：") + in.errorString());
    const QByteArray bytes = in.readAll();
    // The chosen file may be the picture's own file: then only the database
    // needs its bytes.
    const QString target = pictureFile(m_files.dataDir(), location);
    if (!target.isEmpty() && QFileInfo(source).canonicalFilePath() == QFileInfo(target).canonicalFilePath())
        return m_files.storeBytes(location, bytes);
    return stage(location, bytes, failure) && m_files.storeBytes(location, bytes);
}

bool PictureWrites::putBytes(const QString &location, const QByteArray &bytes)
{
    return stage(location, bytes, QStringLiteral("无法写入图片 ") + location) && m_files.storeBytes(location, bytes);
}

bool PictureWrites::stage(const QString &location, const QByteArray &bytes, const QString &failure)
{
    if (!isImageLocation(location))
        return refuse(failure);
    if (!QDir(m_files.dataDir()).mkpath(kImageFolder))
        return refuse(failure + QStringLiteral("：不能建立文件夹 image"));
    const QString target = pictureFile(m_files.dataDir(), location);
    if (target.isEmpty())
        return refuse(failure);
    const QString staged = target + QStringLiteral(".part");
    QFile::remove(staged);
    QFile out(staged);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.flush()) {
        const QString reason = out.errorString();
        out.close();
        QFile::remove(staged);
        return refuse(failure + QStringLiteral("：") + reason);
    }
    m_staged.append({staged, location});
    return true;
}

void PictureWrites::placeAll()
{
    for (const auto &staged : std::as_const(m_staged))
        placeStagedPicture(staged.first, m_files.dataDir(), staged.second);
    m_staged.clear();
}

} // namespace kaoshi
