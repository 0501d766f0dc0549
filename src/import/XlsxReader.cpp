#include "import/XlsxReader.h"

#include "data/TextRules.h"
#include "import/ZipLimits.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <cstring>
#include <zip.h>

namespace kaoshi {

namespace {

constexpr qint64 kPiece = 256 * 1024;
constexpr int kMostColumns = 16384; // the widest sheet a workbook can hold
// The workbook's list of sheets and its relations are read whole; they are small.
constexpr qsizetype kMostListBytes = 16 * 1024 * 1024;
// A merged range's tag is short; a longer one is not looked into.
constexpr qsizetype kMostTagBytes = 1024;

const QString kDamaged = QStringLiteral("工作簿已损坏，无法读取");
const QString kTooDeep = QStringLiteral("工作簿的结构嵌套过深，拒绝读取");

QString tooLongText() { return QStringLiteral("工作簿中有超过1 MB的文字，拒绝读取"); }

// Follows the nesting of a part: false once it is deeper than a sheet needs.
bool trackDepth(QXmlStreamReader::TokenType token, int &depth)
{
    if (token == QXmlStreamReader::StartElement)
        ++depth;
    else if (token == QXmlStreamReader::EndElement)
        --depth;
    return depth <= XlsxReader::kMostDepth;
}

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
    m_sharedEntry = QStringLiteral("xl/sharedStrings.xml");
    int depth = 0;
    for (QXmlStreamReader xml(relations); !xml.atEnd();) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (!trackDepth(token, depth)) {
            *error = kTooDeep;
            return false;
        }
        if (token == QXmlStreamReader::StartElement && xml.name() == u"Relationship") {
            const QString target = resolveTarget(xml.attributes().value(QLatin1String("Target")).toString());
            targets.insert(xml.attributes().value(QLatin1String("Id")).toString(), target);
            if (xml.attributes().value(QLatin1String("Type")).endsWith(u"/sharedStrings"))
                m_sharedEntry = target;
        }
    }
    QXmlStreamReader xml(workbook);
    depth = 0;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (!trackDepth(token, depth)) {
            *error = kTooDeep;
            return false;
        }
        if (token == QXmlStreamReader::StartElement && xml.name() == u"sheet") {
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
    return true;
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
    m_sinceMarkup = 0;
    return true;
}

bool XlsxReader::readPiece(QByteArray &piece)
{
    if (!m_file)
        return false;
    if (readingStopped()) {
        closeEntry();
        return fail(kStoppedReading);
    }
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
    while (readPiece(piece)) {
        bytes += piece;
        if (bytes.size() > kMostListBytes) {
            closeEntry();
            fail(QStringLiteral("工作簿的工作表目录超过16 MB，拒绝读取"));
            break;
        }
    }
    if (!m_error.isEmpty()) {
        *error = m_error;
        return false;
    }
    return true;
}

bool XlsxReader::checkTextRuns(const QByteArray &piece)
{
    // The parser holds a text whole before it hands it over: a stretch
    // without markup longer than any text may be is refused before it is
    // parsed (a character takes at most four bytes).
    constexpr qint64 kMostRun = kMostRowBytes * 4;
    const char *data = piece.constData();
    const qsizetype size = piece.size();
    for (qsizetype at = 0; at < size;) {
        const void *found = memchr(data + at, '<', size_t(size - at));
        if (!found) {
            m_sinceMarkup += size - at;
            break;
        }
        const qsizetype next = static_cast<const char *>(found) - data;
        m_sinceMarkup += next - at;
        if (m_sinceMarkup > kMostRun)
            return false;
        m_sinceMarkup = 0;
        at = next + 1;
    }
    return m_sinceMarkup <= kMostRun;
}

QXmlStreamReader::TokenType XlsxReader::nextToken(QXmlStreamReader &xml, int &depth)
{
    for (;;) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (xml.hasError()) {
            if (xml.error() != QXmlStreamReader::PrematureEndOfDocumentError) {
                fail(kDamaged);
                return QXmlStreamReader::Invalid;
            }
            QByteArray piece;
            if (!readPiece(piece)) {
                fail(kDamaged);
                return QXmlStreamReader::Invalid;
            }
            if (!checkTextRuns(piece)) {
                fail(tooLongText());
                return QXmlStreamReader::Invalid;
            }
            xml.addData(piece);
            continue;
        }
        if (!trackDepth(token, depth)) {
            fail(kTooDeep);
            return QXmlStreamReader::Invalid;
        }
        return token;
    }
}

bool XlsxReader::readSharedStrings(QString *error)
{
    m_shared = std::make_unique<SpilledTexts>();
    const QByteArray utf8 = m_sharedEntry.toUtf8();
    if (zip_name_locate(m_archive, utf8.constData(), ZIP_FL_NOCASE) < 0)
        return true; // a workbook without texts
    if (!openEntry(m_sharedEntry, error))
        return false;
    QXmlStreamReader xml;
    int depth = 0;
    QString current;
    bool inText = false;
    int phonetic = 0;
    for (;;) {
        const QXmlStreamReader::TokenType token = nextToken(xml, depth);
        if (token == QXmlStreamReader::Invalid) {
            *error = m_error;
            return false;
        }
        if (token == QXmlStreamReader::EndDocument || (token == QXmlStreamReader::EndElement && depth == 0))
            break; // the end of the table
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"si")
                current.clear();
            else if (xml.name() == u"rPh")
                ++phonetic;
            else if (xml.name() == u"t")
                inText = phonetic == 0;
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == u"si") {
                if (m_shared->size() >= kMostSharedTexts) {
                    *error = QStringLiteral("工作簿中的文字超过%1条，拒绝读取").arg(kMostSharedTexts);
                    return false;
                }
                if (!m_shared->append(current)) {
                    *error = QStringLiteral("无法写入临时文件，工作簿没有读取");
                    return false;
                }
            } else if (xml.name() == u"rPh") {
                --phonetic;
            } else if (xml.name() == u"t") {
                inText = false;
            }
        } else if (token == QXmlStreamReader::Characters && inText) {
            // The limit is checked before the text grows.
            if (current.size() + xml.text().size() > kMostRowBytes) {
                *error = tooLongText();
                return false;
            }
            current += xml.text();
        }
    }
    closeEntry();
    return true;
}

bool XlsxReader::noteMerge(const QByteArray &tag)
{
    // ref="A1:C3" (or with single quotes) inside <mergeCell …>.
    qsizetype at = tag.indexOf("ref=");
    if (at < 0 || at + 5 >= tag.size())
        return true;
    const char quote = tag[at + 4];
    const qsizetype end = tag.indexOf(quote, at + 5);
    if ((quote != '"' && quote != '\'') || end < 0)
        return true;
    const QString reference = QString::fromLatin1(tag.mid(at + 5, end - at - 5));
    const qsizetype colon = reference.indexOf(u':');
    Merge merge{};
    if (colon < 0 || !parseCellReference(QStringView(reference).left(colon), merge.left, merge.top) ||
        !parseCellReference(QStringView(reference).mid(colon + 1), merge.right, merge.bottom) ||
        merge.right < merge.left || merge.bottom < merge.top || merge.left >= kMostReadColumns)
        return true;
    if (qsizetype(m_merges.size()) >= kMostMerges)
        return fail(QStringLiteral("工作表中合并的单元格超过%1处，拒绝读取").arg(kMostMerges));
    merge.right = qMin(merge.right, kMostReadColumns - 1);
    m_merges.push_back(merge);
    return true;
}

bool XlsxReader::findMerges(const QString &entry, QString *error)
{
    // Merged ranges are listed after the cells, so the bytes are searched for
    // their tags before the cells are parsed; only a short stretch of bytes
    // is held at a time. "<mergeCell" cannot occur in a text of the sheet,
    // where "<" is written "&lt;".
    if (!openEntry(entry, error))
        return false;
    static const QByteArray marker("mergeCell");
    QByteArray carry;
    QByteArray piece;
    while (readPiece(piece)) {
        if (!checkTextRuns(piece)) {
            *error = tooLongText();
            return false;
        }
        const QByteArray window = carry + piece;
        qsizetype pos = 0;
        qsizetype keepFrom = -1;
        for (qsizetype at; (at = window.indexOf(marker, pos)) >= 0;) {
            pos = at + marker.size();
            if (at == 0 || (window[at - 1] != '<' && window[at - 1] != ':'))
                continue;
            if (pos >= window.size()) {
                keepFrom = at - 1;
                break;
            }
            const char after = window[pos];
            if (after != ' ' && after != '\t' && after != '\r' && after != '\n')
                continue; // <mergeCells …>
            const qsizetype close = window.indexOf('>', pos);
            if (close < 0) {
                if (window.size() - at < kMostTagBytes)
                    keepFrom = at - 1;
                break;
            }
            if (close - at < kMostTagBytes && !noteMerge(window.mid(at, close - at))) {
                *error = m_error;
                return false;
            }
            pos = close + 1;
        }
        carry = window.mid(keepFrom >= 0 ? keepFrom : qMax(pos, window.size() - marker.size() - 8));
    }
    if (!m_error.isEmpty()) {
        *error = m_error;
        return false;
    }
    std::stable_sort(m_merges.begin(), m_merges.end(), [](const Merge &a, const Merge &b) { return a.top < b.top; });
    return true;
}

bool XlsxReader::selectSheet(int index, QString *error)
{
    if (index < 0 || size_t(index) >= m_sheets.size()) {
        *error = QStringLiteral("工作簿中没有这张工作表");
        return false;
    }
    if (!m_shared && !readSharedStrings(error))
        return false;
    const QString entry = m_sheets[size_t(index)].entry;
    m_merges.clear();
    m_nextMerge = 0;
    m_activeMerges.clear();
    m_mergeAtColumn.assign(kMostReadColumns, -1);
    if (!findMerges(entry, error) || !openEntry(entry, error))
        return false;
    m_xml.clear();
    m_depth = 0;
    m_sheetDone = false;
    return true;
}

QString XlsxReader::cellValue()
{
    if (m_cellType == u"s") {
        bool ok = false;
        const qsizetype index = m_cellText.toLongLong(&ok);
        return ok && m_shared ? m_shared->at(index) : QString();
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
    // Ranges that ended above this row give way; those that begin here join.
    // Ranges overlapping one already covering a column are passed over (a
    // spreadsheet does not make them), so the work of a row is at most the
    // cells its ranges cover.
    std::erase_if(m_activeMerges, [&](size_t i) {
        if (m_merges[i].bottom >= row)
            return false;
        for (int c = m_merges[i].left; c <= m_merges[i].right; ++c)
            m_mergeAtColumn[size_t(c)] = -1;
        return true;
    });
    for (; m_nextMerge < m_merges.size() && m_merges[m_nextMerge].top <= row; ++m_nextMerge) {
        Merge &merge = m_merges[m_nextMerge];
        if (merge.bottom < row)
            continue;
        int c = merge.left;
        while (c <= merge.right && m_mergeAtColumn[size_t(c)] < 0)
            ++c;
        if (c <= merge.right)
            continue;
        for (c = merge.left; c <= merge.right; ++c)
            m_mergeAtColumn[size_t(c)] = int(m_nextMerge);
        if (merge.top == row)
            merge.value = merge.left < cells.size() ? cells[merge.left] : QString();
        m_activeMerges.push_back(m_nextMerge);
    }
    for (size_t i : m_activeMerges) {
        const Merge &merge = m_merges[i];
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
    qint64 rowLength = 0;
    for (;;) {
        const QXmlStreamReader::TokenType token = nextToken(m_xml, m_depth);
        if (token == QXmlStreamReader::Invalid)
            return false;
        switch (token) {
        case QXmlStreamReader::StartElement: {
            const QStringView name = m_xml.name();
            if (name == u"row") {
                const QStringView r = m_xml.attributes().value(QLatin1String("r"));
                rowNumber = r.isEmpty() ? rowNumber + 1 : r.toLongLong();
                current.clear();
                nextColumn = 0;
                rowLength = 0;
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
                nextColumn = m_cellColumn + 1;
                if (m_cellColumn >= kMostReadColumns)
                    break;
                if (current.size() <= m_cellColumn)
                    current.resize(m_cellColumn + 1);
                current[m_cellColumn] = cellValue();
                rowLength += current[m_cellColumn].size();
                if (rowLength > kMostRowBytes)
                    return fail(QStringLiteral("第%1行超过1 MB，文件无法读取").arg(rowNumber));
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
            if (m_inValue) {
                if (m_cellText.size() + m_xml.text().size() > kMostRowBytes)
                    return fail(tooLongText());
                m_cellText += m_xml.text();
            }
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
