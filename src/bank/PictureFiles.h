#pragma once
// Where the bytes of the pictures live. With a database file they are the
// files of the folder image in the data folder. With a database server they
// are kept in the server beside the 图片 rows, and every seat keeps copies in
// its own folder image: a picture is fetched the first time it is shown and
// read from the copy afterwards, as long as the copy has the server's bytes.
// Everything that shows or stores a picture goes through PictureFiles; which
// kind a store has is decided once, by its engine (pictureFilesFor).
#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <memory>

namespace kaoshi {

class DataStore;

class PictureFiles
{
public:
    virtual ~PictureFiles() = default;

    // The file that shows the picture at a stored location ("\image\…"),
    // inside the data folder's image folder; "" when the location leads
    // elsewhere or the server holds no such picture. A file that is missing
    // from the folder of a database file is still named, as before: whoever
    // reads it finds nothing and shows the picture as missing.
    virtual QString fileToShow(const QString &location) = 0;
    // The location names a picture already; taken when that cannot be told.
    virtual bool isTaken(const QString &location) = 0;
    // Keeps the bytes of a picture under its location with the database,
    // inside the caller's unit of work; nothing to do where the file itself
    // is the picture. false: the store's lastError() says why.
    virtual bool storeBytes(const QString &location, const QByteArray &bytes) = 0;

    DataStore &store() const { return m_store; }
    const QString &dataDir() const { return m_dataDir; }

protected:
    PictureFiles(DataStore &store, QString dataDir) : m_store(store), m_dataDir(std::move(dataDir)) {}

private:
    DataStore &m_store;
    QString m_dataDir;
};

// The pictures of this store: kept in the server when its engine keeps
// picture files, else the files in the data folder's image folder.
std::unique_ptr<PictureFiles> pictureFilesFor(DataStore &store, const QString &dataDir);

// The pictures written inside one unit of work. Each is kept with the
// database at once and staged beside its place in the folder image; after
// the unit has committed, placeAll() moves the staged files into their
// places in one step each. Staged files that were not placed are removed
// when this ends, so a refused store leaves the pictures as they were.
class PictureWrites
{
public:
    explicit PictureWrites(PictureFiles &files) : m_files(files) {}
    ~PictureWrites();
    PictureWrites(const PictureWrites &) = delete;
    PictureWrites &operator=(const PictureWrites &) = delete;

    // The chosen file becomes the picture at the location. Without a source
    // the stored picture stays as it is. false: nothing of it was kept, and
    // the store's lastError() says why.
    bool putFile(const QString &location, const QString &source);
    bool putBytes(const QString &location, const QByteArray &bytes);
    void placeAll();

private:
    bool stage(const QString &location, const QByteArray &bytes, const QString &failure);
    bool refuse(const QString &reason);

    PictureFiles &m_files;
    QList<QPair<QString, QString>> m_staged; // staged file, location
};

} // namespace kaoshi
