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

// The file's text in UTF-8: as it is when it is valid UTF-8, else decoded as GB18030.
QByteArray utf8Text(const QByteArray &bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8.decode(bytes);
    if (!utf8.hasError())
        return bytes;
    QStringDecoder gb18030("GB18030");
    if (!gb18030.isValid())
        return bytes;
    return QString(gb18030.decode(bytes)).toUtf8();
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
    const QByteArray text = utf8Text(file.readAll());
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
