#include "import/PictureBytes.h"

#include <QtEndian>

namespace kaoshi {

namespace {

quint32 bigEndian32(const QByteArray &b, qsizetype at) { return qFromBigEndian<quint32>(b.constData() + at); }
quint16 bigEndian16(const QByteArray &b, qsizetype at) { return qFromBigEndian<quint16>(b.constData() + at); }
quint16 littleEndian16(const QByteArray &b, qsizetype at) { return qFromLittleEndian<quint16>(b.constData() + at); }
qint32 littleEndian32(const QByteArray &b, qsizetype at) { return qFromLittleEndian<qint32>(b.constData() + at); }

// A JPEG's size is in its first start-of-frame segment.
QSize jpegSize(const QByteArray &b)
{
    qsizetype at = 2;
    while (at + 9 < b.size()) {
        if (uchar(b[at]) != 0xFF)
            return {};
        const uchar marker = uchar(b[at + 1]);
        if (marker == 0xFF) {
            ++at;
            continue;
        }
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame)
            return QSize(bigEndian16(b, at + 7), bigEndian16(b, at + 5));
        at += 2 + bigEndian16(b, at + 2);
    }
    return {};
}

} // namespace

QString pictureFormat(const QByteArray &head)
{
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return QStringLiteral(".png");
    if (head.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral(".jpg");
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return QStringLiteral(".gif");
    if (head.startsWith("BM") && head.size() >= 26)
        return QStringLiteral(".bmp");
    return QString();
}

QSize pictureSize(const QByteArray &bytes)
{
    const QString format = pictureFormat(bytes);
    if (format == u".png" && bytes.size() >= 24)
        return QSize(int(bigEndian32(bytes, 16)), int(bigEndian32(bytes, 20)));
    if (format == u".gif" && bytes.size() >= 10)
        return QSize(littleEndian16(bytes, 6), littleEndian16(bytes, 8));
    if (format == u".bmp")
        return QSize(littleEndian32(bytes, 18), qAbs(littleEndian32(bytes, 22)));
    if (format == u".jpg")
        return jpegSize(bytes);
    return {};
}

} // namespace kaoshi
