#include "import/TextFileStream.h"

#include "import/QuestionSource.h"

namespace kaoshi {

namespace {

constexpr qint64 kPiece = 1024 * 1024;

bool looksBinary(const QByteArray &head)
{
    // Workbooks (ZIP or compound files) and anything with NUL bytes.
    return isZipSignature(head) || isCompoundFileSignature(head) ||
           head.contains('\0');
}

} // namespace

QString notTextMessage() { return QStringLiteral("文件不是文本文件（可能是工作簿或其他格式），无法按文本读取"); }

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
    // The whole file is checked as UTF-8 first: a GB18030 file may well
    // start with a long stretch of plain ASCII.
    QStringDecoder check(QStringConverter::Utf8);
    while (!m_file.atEnd()) {
        const QByteArray piece = m_file.read(kPiece);
        (void)QString(check.decode(piece));
        if (check.hasError())
            break;
    }
    m_gb18030 = check.hasError();
    m_file.seek(0);
    m_decoder = m_gb18030 ? QStringDecoder("GB18030") : QStringDecoder(QStringConverter::Utf8);
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
    QByteArray piece = m_file.read(kPiece);
    if (m_first) {
        m_first = false;
        if (piece.startsWith("\xEF\xBB\xBF"))
            piece.remove(0, 3);
    }
    text += m_decoder.decode(piece);
    return true;
}

double TextFileStream::progress() const { return m_size > 0 ? double(m_file.pos()) / double(m_size) : 1.0; }

} // namespace kaoshi
