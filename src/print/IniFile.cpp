#include "print/IniFile.h"

#include "data/TextRules.h"

#include <QFile>
#include <QSaveFile>
#include <QStringDecoder>

#define SI_CONVERT_ICU // as the packaged library is built
#include <SimpleIni.h>

namespace kaoshi {

struct IniFile::Contents {
    CSimpleIniA ini{true}; // UTF-8 text; section and key names compare without case, as on Windows
};

namespace {

// The file's text in UTF-8: as it is when it is valid UTF-8, else decoded as
// GB18030 when that reads every byte and gives the same bytes back. Empty,
// with the reason in *problem, when neither reads the file faithfully: a NUL
// (the parser would stop there and drop the keys after it), a UTF-8 file
// with a damaged byte (read as GB18030, every Chinese name in it would be
// garbled), or bytes that are no text in either encoding.
QByteArray utf8Text(const QByteArray &bytes, QString *problem)
{
    if (bytes.contains('\0')) {
        *problem = QStringLiteral("文件中有空字符（NUL）");
        return {};
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError())
        return bytes;
    // Text that is mostly UTF-8: a damaged UTF-8 file, not a GB18030 one.
    int multiByte = 0;
    int invalid = 0;
    for (QChar c : asUtf8) {
        if (c == QChar::ReplacementCharacter)
            ++invalid;
        else if (c.unicode() >= 0x80)
            ++multiByte;
    }
    QStringDecoder gb18030("GB18030", QStringDecoder::Flag::Stateless);
    QStringEncoder back("GB18030", QStringEncoder::Flag::Stateless);
    if (multiByte <= invalid && gb18030.isValid() && back.isValid()) {
        const QString text = gb18030.decode(bytes);
        const QByteArray again = back.encode(text);
        if (!gb18030.hasError() && again == bytes)
            return text.toUtf8();
    }
    *problem = QStringLiteral("文件中有无法识别的字节（既不是UTF-8也不是GB18030）");
    return {};
}

// At most `limit` bytes, never cutting a character in two.
QByteArray cutToBytes(const char *text, int limit)
{
    QByteArray bytes(text);
    if (bytes.size() <= limit)
        return bytes;
    int end = limit;
    while (end > 0 && (uchar(bytes[end]) & 0xC0) == 0x80)
        --end;
    return bytes.left(end);
}

} // namespace

IniFile::IniFile(const QString &path) : m_path(path), m_contents(std::make_unique<Contents>())
{
    m_contents->ini.SetSpaces(false); // "key=value", as Windows writes it
    QFile file(path);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        m_unreadable = file.errorString();
        return;
    }
    const QByteArray text = utf8Text(file.readAll(), &m_unreadable);
    if (!m_unreadable.isEmpty())
        return;
    if (m_contents->ini.LoadData(text.constData(), size_t(text.size())) < 0) {
        m_contents->ini.Reset();
        m_unreadable = QStringLiteral("文件内容无法读取");
    }
}

IniFile::~IniFile() = default;

QString IniFile::value(const QString &section, const QString &key, const QString &fallback) const
{
    const char *found =
        m_contents->ini.GetValue(section.toUtf8().constData(), key.toUtf8().constData(), nullptr);
    if (!found)
        return fallback;
    return trimSpaces(QString::fromUtf8(cutToBytes(found, kMaxValueBytes)));
}

void IniFile::setValue(const QString &section, const QString &key, const QString &value)
{
    m_contents->ini.SetValue(section.toUtf8().constData(), key.toUtf8().constData(), value.toUtf8().constData());
}

bool IniFile::save(QString *error) const
{
    // Writing what was read from a file that could not be read would lose
    // everything else the file holds.
    if (!m_unreadable.isEmpty()) {
        if (error)
            *error = m_unreadable;
        return false;
    }
    std::string text;
    if (m_contents->ini.Save(text) < 0) {
        if (error)
            *error = QStringLiteral("内存不足");
        return false;
    }
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), qint64(text.size())) != qint64(text.size()) ||
        !file.commit()) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace kaoshi
