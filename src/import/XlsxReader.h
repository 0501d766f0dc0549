#pragma once
// Rows of one worksheet of an .xlsx workbook, unpacked with libzip and parsed
// with QXmlStreamReader as they are read: shared and inline strings, numbers,
// booleans and the cached values of formulas; a merged range reads as its
// top-left value in every cell it covers.
//
// Memory stays bounded whatever the file holds: every part is parsed as it
// is unpacked, the shared texts wait in a temporary file, a text or a row
// longer than kMostRowBytes, nesting deeper than a sheet needs, or too many
// merged ranges refuse the file, and only the first kMostReadColumns columns
// are read.
#include "import/QuestionSource.h"
#include "import/SpilledTexts.h"

#include <QXmlStreamReader>
#include <memory>
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

    // Opens the workbook and reads its sheet list.
    bool open(const QString &path, QString *error);
    QStringList sheetNames() const;
    // Starts reading worksheet `index` (0-based): reads the shared texts
    // (once) and the sheet's merged ranges first.
    bool selectSheet(int index, QString *error);

    bool nextRow(QStringList &cells, qint64 &row) override;
    QString error() const override { return m_error; }
    double progress() const override;

    static constexpr int kMostReadColumns = 1024;
    static constexpr qsizetype kMostSharedTexts = 4 * 1024 * 1024;
    static constexpr qsizetype kMostMerges = 1000 * 1000;
    static constexpr int kMostDepth = 64;

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
    // The next token of xml, fed from the open entry; Invalid on failure.
    QXmlStreamReader::TokenType nextToken(QXmlStreamReader &xml, int &depth);
    bool checkTextRuns(const QByteArray &piece);
    bool readSharedStrings(QString *error);
    bool findMerges(const QString &entry, QString *error);
    bool noteMerge(const QByteArray &tag);
    void applyMerges(QStringList &cells, qint64 row);
    QString cellValue();
    bool fail(const QString &message);

    zip *m_archive = nullptr;
    zip_file *m_file = nullptr;
    qint64 m_entrySize = 0;
    qint64 m_entryRead = 0;
    qint64 m_sinceMarkup = 0; // bytes of the open entry since its last "<"
    std::vector<Sheet> m_sheets;
    QString m_sharedEntry;
    std::unique_ptr<SpilledTexts> m_shared;

    // Merged ranges by their top row, and those covering the row being read.
    std::vector<Merge> m_merges;
    size_t m_nextMerge = 0;
    std::vector<size_t> m_activeMerges;
    std::vector<int> m_mergeAtColumn; // index of the active merge covering a column, or -1

    QXmlStreamReader m_xml;
    int m_depth = 0;
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
