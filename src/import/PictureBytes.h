#pragma once
// What the first bytes of a picture file say: its format and its size in
// pixels, read from the header alone (PNG, JPEG, GIF and BMP, the formats
// the program shows).
#include <QByteArray>
#include <QSize>
#include <QString>

namespace kaoshi {

// The header bytes that pictureFormat and pictureSize need at most to look at
// (a JPEG's size may lie further in; pictureSize then reads what it is given).
inline constexpr qsizetype kPictureHeadBytes = 64;

// ".png", ".jpg", ".gif" or ".bmp"; "" for bytes that are none of these.
QString pictureFormat(const QByteArray &head);

// The width and height in pixels; an invalid size when the bytes do not say.
QSize pictureSize(const QByteArray &bytes);

} // namespace kaoshi
