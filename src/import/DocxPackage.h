#pragma once
// The parts of a Word document (.docx, a ZIP package), read with libzip under
// the same limits as a workbook: the whole package may not unpack to more
// than 1 GB, and no part beyond what its directory entry says.
#include <QByteArray>
#include <QString>

struct zip;

namespace kaoshi {

class DocxPackage
{
public:
    DocxPackage() = default;
    ~DocxPackage();
    DocxPackage(const DocxPackage &) = delete;
    DocxPackage &operator=(const DocxPackage &) = delete;

    // Checks the file's signature (an old .doc is refused with the advice to
    // save it as .docx) and the unpacked size of every part.
    bool open(const QString &path, QString *error);
    bool contains(const QString &part) const;
    // The whole part, at most `limit` bytes unpacked; false with the reason.
    bool read(const QString &part, QByteArray &bytes, QString *error, qint64 limit = kMostPartBytes) const;
    // The first bytes of a part ("" when it is missing or cannot be read).
    QByteArray head(const QString &part, qsizetype length) const;

    // The most a single part may unpack to.
    static constexpr qint64 kMostPartBytes = qint64(512) * 1024 * 1024;

private:
    qint64 locate(const QString &part) const;

    zip *m_archive = nullptr;
};

// The advice for a Word document in the old binary format.
QString oldWordFormatMessage();

} // namespace kaoshi
