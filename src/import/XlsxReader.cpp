#include "import/XlsxReader.h"

#include "data/TextRules.h"
#include "import/ZipLimits.h"

#include <QFile>
#include <QRegularExpression>
#include <zip.h>

namespace kaoshi {

namespace {

constexpr qint64 kPiece = 256 * 1024;
constexpr int kMostColumns = 16384; // the widest sheet a workbook can hold

const QString kDamaged = QStringLiteral("工作簿已损坏，无法读取");

QString resolveTarget(const QString &target)
{
    // Targets are relative to the folder xl/, or absolute inside the archive.
    if (target.startsWith(u'/'))
        return target.mid(1);
    return QStringLiteral("xl/") + target;
}

} // namespace

bool parseCellReference(QStringView reference, int &column, qint64 &row)
{
    qsizetype i = 0;
    int c = 0;
    while (i < reference.size() && reference[i] >= u'A' && reference[i] <= u'Z') {
        c = c * 26 + (reference[i].unicode() - u'A' + 1);
        if (c > kMostColumns)
            return false;
        ++i;
    }
    if (i == 0 || i == reference.size())
        return false;
    bool ok = false;
    row = reference.mid(i).toLongLong(&ok);
    column = c - 1;
    return ok && row > 0;
}

XlsxReader::~XlsxReader()
{
    closeEntry();
    if (m_archive)
        zip_discard(m_archive);
}

bool XlsxReader::fail(const QString &message)
{
    if (m_error.isEmpty())
        m_error = message;
    return false;
}

bool XlsxReader::open(const QString &path, QString *error)
{
    const std::optional<QByteArray> signature = fileSignature(path, error);
    if (!signature)
        return false;
    const QByteArray &head = *signature;
    if (isCompoundFileSignature(head)) {
        // A workbook with an opening password is stored in this form too.
        *error = QStringLiteral("工作簿已加密（设有打开密码）或其实是.xls格式，无法按xlsx读取");
        return false;
    }
    if (!isZipSignature(head)) {
        *error = QStringLiteral("文件不是xlsx工作簿");
        return false;
    }
    if (!(m_archive = openLimitedZip(path, QStringLiteral("工作簿"), error)))
        return false;

    QByteArray workbook, relations;
    if (!readEntry(QStringLiteral("xl/workbook.xml"), workbook, error) ||
        !readEntry(QStringLiteral("xl/_rels/workbook.xml.rels"), relations, error))
        return false;

    QHash<QString, QString> targets;
    QString sharedEntry = QStringLiteral("xl/sharedStrings.xml");
    for (QXmlStreamReader xml(relations); !xml.atEnd();) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Relationship") {
            const QString target = resolveTarget(xml.attributes().value(QLatin1String("Target")).toString());
            targets.insert(xml.attributes().value(QLatin1String("Id")).toString(), target);
            if (xml.attributes().value(QLatin1String("Type")).endsWith(u"/sharedStrings"))
                sharedEntry = target;
        }
    }
    QXmlStreamReader xml(workbook);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"sheet") {
            QString id;
            for (const QXmlStreamAttribute &attribute : xml.attributes())
                if (attribute.name() == u"id")
                    id = attribute.value().toString();
            m_sheets.push_back({xml.attributes().value(QLatin1String("name")).toString(), targets.value(id)});
        }
    }
    if (xml.hasError() || m_sheets.empty()) {
        *error = kDamaged;
        return false;
    }
    return readSharedStrings(sharedEntry, error);
}

QStringList XlsxReader::sheetNames() const
{
    QStringList names;
    for (const Sheet &sheet : m_sheets)
        names << sheet.name;
    return names;
}

bool XlsxReader::openEntry(const QString &name, QString *error)
{
    closeEntry();
    const QByteArray utf8 = name.toUtf8();
    zip_int64_t index = zip_name_locate(m_archive, utf8.constData(), 0);
    if (index < 0)
        index = zip_name_locate(m_archive, utf8.constData(), ZIP_FL_NOCASE);
    zip_stat_t stat;
    if (index < 0 || zip_stat_index(m_archive, zip_uint64_t(index), 0, &stat) != 0 ||
        !(m_file = zip_fopen_index(m_archive, zip_uint64_t(index), 0))) {
        *error = kDamaged;
        return false;
    }
    m_entrySize = (stat.valid & ZIP_STAT_SIZE) ? qint64(stat.size) : 0;
    m_entryRead = 0;
    return true;
}

bool XlsxReader::readPiece(QByteArray &piece)
{
    if (!m_file)
        return false;
    piece.resize(kPiece);
    const zip_int64_t got = zip_fread(m_file, piece.data(), zip_uint64_t(kPiece));
    if (got < 0) {
        closeEntry();
        return fail(kDamaged);
    }
    piece.resize(qsizetype(got));
    m_entryRead += got;
    // An entry may not unpack to more than it says, nor beyond the limit.
    if (m_entryRead > m_entrySize || m_entryRead > kMostUnpackedBytes) {
        closeEntry();
        return fail(QStringLiteral("工作簿解压后超过声明的大小，拒绝读取"));
    }
    if (got == 0) {
        closeEntry();
        return false;
    }
    return true;
}

void XlsxReader::closeEntry()
{
    if (m_file)
        zip_fclose(m_file);
    m_file = nullptr;
}

bool XlsxReader::readEntry(const QString &name, QByteArray &bytes, QString *error)
{
    if (!openEntry(name, error))
        return false;
    bytes.clear();
    QByteArray piece;
    while (readPiece(piece))
        bytes += piece;
    if (!m_error.isEmpty()) {
        *error = m_error;
        return false;
    }
    return true;
}

bool XlsxReader::readSharedStrings(const QString &entry, QString *error)
{
    const QByteArray utf8 = entry.toUtf8();
    if (zip_name_locate(m_archive, utf8.constData(), ZIP_FL_NOCASE) < 0)
        return true; // a workbook without texts
    QByteArray bytes;
    if (!readEntry(entry, bytes, error))
        return false;
    QXmlStreamReader xml(bytes);
    QString current;
    bool inText = false;
    int phonetic = 0;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement:
            if (xml.name() == u"si")
                current.clear();
            else if (xml.name() == u"rPh")
                ++phonetic;
            else if (xml.name() == u"t")
                inText = phonetic == 0;
            break;
        case QXmlStreamReader::EndElement:
            if (xml.name() == u"si")
                m_shared << current;
            else if (xml.name() == u"rPh")
                --phonetic;
            else if (xml.name() == u"t")
                inText = false;
            break;
        case QXmlStreamReader::Characters:
            if (inText)
                current += xml.text();
            break;
        default:
            break;
        }
    }
    if (xml.hasError()) {
        *error = kDamaged;
        return false;
    }
    return true;
}

bool XlsxReader::findMerges(const QString &entry, QString *error)
{
    // Merged ranges are listed after the cells, so they are looked for in a
    // quick pass over the bytes before the cells are parsed.
    if (!openEntry(entry, error))
        return false;
    static const QByteArray marker("mergeCell");
    QByteArray tail;
    QByteArray section;
    QByteArray piece;
    while (readPiece(piece)) {
        if (!section.isEmpty()) {
            section += piece;
            continue;
        }
        const QByteArray window = tail + piece;
        const qsizetype at = window.indexOf(marker);
        if (at >= 0)
            section = window.mid(at);
        else
            tail = window.right(marker.size());
    }
    if (!m_error.isEmpty()) {
        *error = m_error;
        return false;
    }
    static const QRegularExpression reference(
        QStringLiteral("mergeCell\\s[^>]*ref=\"([A-Z]+[0-9]+):([A-Z]+[0-9]+)\""));
    const QString text = QString::fromUtf8(section);
    for (auto it = reference.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        Merge merge{};
        if (parseCellReference(match.capturedView(1), merge.left, merge.top) &&
            parseCellReference(match.capturedView(2), merge.right, merge.bottom))
            m_merges.push_back(merge);
    }
    return true;
}

bool XlsxReader::selectSheet(int index, QString *error)
{
    if (index < 0 || size_t(index) >= m_sheets.size()) {
        *error = QStringLiteral("工作簿中没有这张工作表");
        return false;
    }
    const QString entry = m_sheets[size_t(index)].entry;
    m_merges.clear();
    if (!findMerges(entry, error) || !openEntry(entry, error))
        return false;
    m_xml.clear();
    m_sheetDone = false;
    return true;
}

QString XlsxReader::cellValue() const
{
    if (m_cellType == u"s") {
        bool ok = false;
        const int index = m_cellText.toInt(&ok);
        return ok ? m_shared.value(index) : QString();
    }
    if (m_cellType == u"b")
        return m_cellText == u"1" ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    if (m_cellType.isEmpty() || m_cellType == u"n") {
        bool ok = false;
        const double number = m_cellText.toDouble(&ok);
        return ok ? numberToText(number) : m_cellText;
    }
    return m_cellText; // inline strings, formula texts, errors, dates as written
}

void XlsxReader::applyMerges(QStringList &cells, qint64 row)
{
    for (Merge &merge : m_merges) {
        if (row < merge.top || row > merge.bottom)
            continue;
        if (row == merge.top)
            merge.value = merge.left < cells.size() ? cells[merge.left] : QString();
        if (cells.size() <= merge.right)
            cells.resize(merge.right + 1);
        for (int c = merge.left; c <= merge.right; ++c)
            cells[c] = merge.value;
    }
}

bool XlsxReader::nextRow(QStringList &cells, qint64 &row)
{
    if (!m_error.isEmpty() || m_sheetDone)
        return false;
    QStringList current;
    qint64 rowNumber = 0;
    int nextColumn = 0;
    int phonetic = 0;
    for (;;) {
        const QXmlStreamReader::TokenType token = m_xml.readNext();
        if (m_xml.hasError()) {
            if (m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError)
                return fail(kDamaged);
            QByteArray piece;
            if (!readPiece(piece))
                return fail(kDamaged);
            m_xml.addData(piece);
            continue;
        }
        switch (token) {
        case QXmlStreamReader::StartElement: {
            const QStringView name = m_xml.name();
            if (name == u"row") {
                const QStringView r = m_xml.attributes().value(QLatin1String("r"));
                rowNumber = r.isEmpty() ? rowNumber + 1 : r.toLongLong();
                current.clear();
                nextColumn = 0;
            } else if (name == u"c") {
                qint64 ignored = 0;
                const QStringView reference = m_xml.attributes().value(QLatin1String("r"));
                if (reference.isEmpty() || !parseCellReference(reference, m_cellColumn, ignored))
                    m_cellColumn = nextColumn;
                if (m_cellColumn >= kMostColumns)
                    return fail(kDamaged);
                m_cellType = m_xml.attributes().value(QLatin1String("t")).toString();
                m_cellText.clear();
            } else if (name == u"rPh") {
                ++phonetic;
            } else if (name == u"v" || name == u"t") {
                m_inValue = phonetic == 0;
            }
            break;
        }
        case QXmlStreamReader::EndElement: {
            const QStringView name = m_xml.name();
            if (name == u"v" || name == u"t") {
                m_inValue = false;
            } else if (name == u"rPh") {
                --phonetic;
            } else if (name == u"c") {
                if (current.size() <= m_cellColumn)
                    current.resize(m_cellColumn + 1);
                current[m_cellColumn] = cellValue();
                nextColumn = m_cellColumn + 1;
            } else if (name == u"row") {
                applyMerges(current, rowNumber);
                cells = std::move(current);
                row = rowNumber;
                return true;
            } else if (name == u"sheetData") {
                m_sheetDone = true;
                closeEntry();
                return false;
            }
            break;
        }
        case QXmlStreamReader::Characters:
            if (m_inValue)
                m_cellText += m_xml.text();
            break;
        case QXmlStreamReader::EndDocument:
            m_sheetDone = true;
            return false;
        default:
            break;
        }
    }
}

double XlsxReader::progress() const
{
    if (m_sheetDone)
        return 1.0;
    return m_entrySize > 0 ? double(m_entryRead) / double(m_entrySize) : 0.0;
}

} // namespace kaoshi
