#include "import/DocxPackage.h"

#include "import/QuestionSource.h"
#include "import/ZipLimits.h"

#include <QFile>
#include <zip.h>

namespace kaoshi {

namespace {

const QString kDamaged = damagedMessage(QStringLiteral("Word文档"));
constexpr qint64 kPiece = 256 * 1024;

} // namespace

QString oldWordFormatMessage() { return QStringLiteral("请在 Word 或 WPS 中另存为 .docx 后再导入"); }

DocxPackage::~DocxPackage()
{
    if (m_archive)
        zip_discard(m_archive);
}

bool DocxPackage::open(const QString &path, QString *error)
{
    const std::optional<QByteArray> signature = fileSignature(path, error);
    if (!signature)
        return false;
    if (isCompoundFileSignature(*signature)) {
        // An old .doc, or a .docx with an opening password, which is stored the same way.
        *error = QStringLiteral("这是旧的.doc格式或设有打开密码的文档，") + oldWordFormatMessage();
        return false;
    }
    if (!isZipSignature(*signature)) {
        *error = QStringLiteral("文件不是.docx文档");
        return false;
    }
    if (!(m_archive = openLimitedZip(path, QStringLiteral("Word文档"), error)))
        return false;
    if (!contains(QStringLiteral("word/document.xml"))) {
        *error = QStringLiteral("文件中没有Word正文（word/document.xml），不是.docx文档或已损坏");
        return false;
    }
    return true;
}

qint64 DocxPackage::locate(const QString &part) const
{
    if (!m_archive)
        return -1;
    const QByteArray utf8 = part.toUtf8();
    zip_int64_t index = zip_name_locate(m_archive, utf8.constData(), 0);
    if (index < 0)
        index = zip_name_locate(m_archive, utf8.constData(), ZIP_FL_NOCASE);
    return index;
}

bool DocxPackage::contains(const QString &part) const { return locate(part) >= 0; }

bool DocxPackage::read(const QString &part, QByteArray &bytes, QString *error, qint64 limit) const
{
    bytes.clear();
    const qint64 index = locate(part);
    zip_stat_t stat;
    if (index < 0 || zip_stat_index(m_archive, zip_uint64_t(index), 0, &stat) != 0) {
        *error = QStringLiteral("Word文档缺少%1，无法读取").arg(part);
        return false;
    }
    const qint64 declared = (stat.valid & ZIP_STAT_SIZE) ? qint64(stat.size) : 0;
    if (declared > limit) {
        *error = QStringLiteral("%1解压后过大，拒绝读取").arg(part);
        return false;
    }
    zip_file_t *file = zip_fopen_index(m_archive, zip_uint64_t(index), 0);
    if (!file) {
        *error = kDamaged;
        return false;
    }
    bytes.reserve(qsizetype(declared));
    QByteArray piece(kPiece, Qt::Uninitialized);
    bool ok = true;
    for (;;) {
        const zip_int64_t got = zip_fread(file, piece.data(), zip_uint64_t(kPiece));
        if (got < 0) {
            *error = kDamaged;
            ok = false;
            break;
        }
        if (got == 0)
            break;
        // A part may not unpack to more than its entry says.
        if (bytes.size() + got > declared) {
            *error = QStringLiteral("%1解压后超过声明的大小，拒绝读取").arg(part);
            ok = false;
            break;
        }
        bytes.append(piece.constData(), qsizetype(got));
    }
    zip_fclose(file);
    if (!ok)
        bytes.clear();
    return ok;
}

QByteArray DocxPackage::head(const QString &part, qsizetype length) const
{
    const qint64 index = locate(part);
    if (index < 0)
        return {};
    zip_file_t *file = zip_fopen_index(m_archive, zip_uint64_t(index), 0);
    if (!file)
        return {};
    QByteArray bytes(length, Qt::Uninitialized);
    const zip_int64_t got = zip_fread(file, bytes.data(), zip_uint64_t(length));
    zip_fclose(file);
    bytes.resize(got > 0 ? qsizetype(got) : 0);
    return bytes;
}

} // namespace kaoshi
