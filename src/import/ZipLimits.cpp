#include "import/ZipLimits.h"

#include "import/QuestionSource.h"

#include <QFile>
#include <zip.h>

namespace kaoshi {

QString damagedMessage(const QString &kind) { return kind + QStringLiteral("已损坏，无法读取"); }

zip *openLimitedZip(const QString &path, const QString &kind, QString *error)
{
    int code = 0;
    zip *archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &code);
    if (!archive) {
        *error = damagedMessage(kind);
        return nullptr;
    }
    // Every entry together may not unpack to more than the limit, whatever
    // the compressed size: such a file is damaged or made to exhaust memory.
    qint64 total = 0;
    const zip_int64_t entries = zip_get_num_entries(archive, 0);
    for (zip_int64_t i = 0; i < entries; ++i) {
        zip_stat_t stat;
        QString refusal;
        if (zip_stat_index(archive, zip_uint64_t(i), 0, &stat) != 0)
            refusal = damagedMessage(kind);
        else if ((stat.valid & ZIP_STAT_ENCRYPTION_METHOD) && stat.encryption_method != ZIP_EM_NONE)
            refusal = kind + QStringLiteral("已加密，无法读取");
        else if (stat.valid & ZIP_STAT_SIZE)
            total += qint64(qMin<zip_uint64_t>(stat.size, zip_uint64_t(kMostUnpackedBytes) + 1));
        if (refusal.isEmpty() && total > kMostUnpackedBytes)
            refusal = kind + QStringLiteral("解压后超过1 GB，拒绝读取");
        if (!refusal.isEmpty()) {
            zip_discard(archive);
            *error = refusal;
            return nullptr;
        }
    }
    return archive;
}

} // namespace kaoshi
