#include "import/TextFileStream.h"

#include "import/QuestionSource.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMutex>
#include <deque>
#include <optional>

namespace kaoshi {

namespace {

constexpr qint64 kPiece = 1024 * 1024;

bool startsUtf16(const QByteArray &head) { return head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF"); }

bool looksBinary(const QByteArray &head)
{
    // Workbooks (ZIP or compound files) and anything with NUL bytes; UTF-16
    // text holds NUL bytes, and is told by its byte order mark.
    return isZipSignature(head) || isCompoundFileSignature(head) || (!startsUtf16(head) && head.contains('\0'));
}

// The files whose encoding was weighed last, known by their name, size and
// time of change.
struct FileStamp {
    QString path;
    qint64 size = 0;
    QDateTime modified;
    bool operator==(const FileStamp &) const = default;
};
struct Weighed {
    FileStamp stamp;
    bool utf8 = true;
};
constexpr size_t kWeighedFiles = 4;
QMutex g_weighedLock;
std::deque<Weighed> g_weighed;

std::optional<bool> knownUtf8(const FileStamp &stamp)
{
    const QMutexLocker lock(&g_weighedLock);
    for (const Weighed &file : g_weighed)
        if (file.stamp == stamp)
            return file.utf8;
    return std::nullopt;
}

void rememberUtf8(const FileStamp &stamp, bool utf8)
{
    const QMutexLocker lock(&g_weighedLock);
    g_weighed.push_front({stamp, utf8});
    if (g_weighed.size() > kWeighedFiles)
        g_weighed.pop_back();
}

} // namespace

QString notTextMessage() { return QStringLiteral("文件不是文本文件（可能是工作簿或其他格式），无法按文本读取"); }

namespace {

bool isContinuation(const unsigned char *at) { return (*at & 0xC0) == 0x80; }

// The length of the multi-byte character a lead byte starts (0 for any
// other byte).
int sequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

} // namespace

void Utf8Tally::feed(const QByteArray &bytes)
{
    const auto *at = reinterpret_cast<const unsigned char *>(bytes.constData());
    const unsigned char *const end = at + bytes.size();
    while (at < end) {
        // A whole character at a time while no piece of one is pending: a
        // run of ASCII, or a lead byte with all its continuation bytes here.
        if (m_pending == 0) {
            if (*at < 0x80) {
                ++at;
                continue;
            }
            const int length = sequenceLength(*at);
            if (length > 0 && end - at >= length) {
                bool whole = true;
                for (int i = 1; i < length && whole; ++i)
                    whole = isContinuation(at + i);
                if (whole) {
                    ++wellFormed;
                    at += length;
                    continue;
                }
            }
        }
        const unsigned char b = *at++;
        if (m_pending > 0) {
            if (isContinuation(&b)) {
                if (--m_pending == 0)
                    ++wellFormed;
                continue;
            }
            ++malformed; // a character cut short
            m_pending = 0;
        }
        if (b < 0x80)
            continue;
        if (const int length = sequenceLength(b); length > 0)
            m_pending = length - 1;
        else
            ++malformed;
    }
}

bool TextFileStream::open(const QString &path, QString *error)
{
    m_file.setFileName(path);
    if (!m_file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("无法打开文件：") + m_file.errorString();
        return false;
    }
    m_size = m_file.size();
    if (m_size == 0) {
        *error = QStringLiteral("文件是空的");
        return false;
    }
    if (looksBinary(m_file.peek(64 * 1024))) {
        *error = notTextMessage();
        return false;
    }
    return decideEncoding(error);
}

bool TextFileStream::decideEncoding(QString *error)
{
    const QByteArray head = m_file.peek(3);
    if (head.startsWith("\xFF\xFE") || head.startsWith("\xFE\xFF")) {
        m_encoding = head.startsWith("\xFF\xFE") ? Encoding::Utf16LE : Encoding::Utf16BE;
        m_file.seek(2);
        m_decoder = QStringDecoder(m_encoding == Encoding::Utf16LE ? QStringConverter::Utf16LE
                                                                   : QStringConverter::Utf16BE);
        return true;
    }
    // The whole file is weighed: a GB18030 file may start with a long stretch
    // of plain ASCII, and a UTF-8 file with one damaged byte is still UTF-8.
    // A file read again unchanged (the store after its preview) is not
    // weighed again.
    const QFileInfo info(m_file.fileName());
    const FileStamp stamp{info.absoluteFilePath(), m_size, info.lastModified()};
    if (const std::optional<bool> known = knownUtf8(stamp)) {
        m_encoding = *known ? Encoding::Utf8 : Encoding::Gb18030;
    } else {
        Utf8Tally tally;
        while (!m_file.atEnd()) {
            if (readingStopped()) {
                *error = kStoppedReading;
                return false;
            }
            tally.feed(m_file.read(kPiece));
        }
        m_encoding = tally.looksUtf8() ? Encoding::Utf8 : Encoding::Gb18030;
        rememberUtf8(stamp, m_encoding == Encoding::Utf8);
    }
    m_file.seek(head.startsWith("\xEF\xBB\xBF") ? 3 : 0);
    m_decoder = m_encoding == Encoding::Utf8 ? QStringDecoder(QStringConverter::Utf8) : QStringDecoder("GB18030");
    if (!m_decoder.isValid()) {
        *error = QStringLiteral("文件不是UTF-8编码，而本机无法读取GB18030编码");
        return false;
    }
    return true;
}

bool TextFileStream::read(QString &text)
{
    if (m_file.atEnd())
        return false;
    text += m_decoder.decode(m_file.read(kPiece));
    return true;
}

double TextFileStream::progress() const { return m_size > 0 ? double(m_file.pos()) / double(m_size) : 1.0; }

} // namespace kaoshi
