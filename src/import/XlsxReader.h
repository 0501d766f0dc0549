#pragma once
// Rows of one worksheet of an .xlsx workbook, unpacked with libzip and parsed
// with QXmlStreamReader as they are read: shared and inline strings, numbers,
// booleans and the cached values of formulas; a merged range reads as its
// top-left value in every cell it covers.
#include "import/QuestionSource.h"

#include <QHash>
#include <QXmlStreamReader>
#include <vector>

struct zip;
struct zip_file;

namespace kaoshi {

class XlsxReader final : public TableReader
{
public:
    XlsxReader() = default;
    ~XlsxReader() override;
    XlsxReader(const XlsxReader &) = delete;
    XlsxReader &operator=(const XlsxReader &) = delete;

    // Opens the workbook and reads its sheet list and shared strings.
    bool open(const QString &path, QString *error);
    QStringList sheetNames() const;
    // Starts reading worksheet `index` (0-based).
    bool selectSheet(int index, QString *error);

    bool nextRow(QStringList &cells, qint64 &row) override;
    QString error() const override { return m_error; }
    double progress() const override;

private:
    struct Sheet {
        QString name;
        QString entry; // path inside the archive
    };
    struct Merge {
        qint64 top, bottom;
        int left, right;
        QString value;
    };

    bool readEntry(const QString &name, QByteArray &bytes, QString *error);
    bool openEntry(const QString &name, QString *error);
    bool readPiece(QByteArray &piece);
    void closeEntry();
    bool readSharedStrings(const QString &entry, QString *error);
    bool findMerges(const QString &entry, QString *error);
    void applyMerges(QStringList &cells, qint64 row);
    QString cellValue() const;
    bool fail(const QString &message);

    zip *m_archive = nullptr;
    zip_file *m_file = nullptr;
    qint64 m_entrySize = 0;
    qint64 m_entryRead = 0;
    qint64 m_unpacked = 0; // over all entries read so far
    std::vector<Sheet> m_sheets;
    QStringList m_shared;
    std::vector<Merge> m_merges;

    QXmlStreamReader m_xml;
    bool m_sheetDone = false;
    // The cell being read.
    QString m_cellType;
    int m_cellColumn = -1;
    QString m_cellText;
    bool m_inValue = false;
    QString m_error;
};

// Column number (0-based) and row (1-based) of a reference such as "AB12".
bool parseCellReference(QStringView reference, int &column, qint64 &row);

} // namespace kaoshi
