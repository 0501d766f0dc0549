#pragma once
// Reads a text file in pieces as decoded text: UTF-16 with a byte order mark
// (a spreadsheet's "Unicode text"), UTF-8 with or without one, or GB18030
// (what a spreadsheet program on a Chinese system writes). The encoding is
// decided once for the whole file; bytes that it cannot decode become U+FFFD,
// which marks their row (see ImportPreview) instead of garbling the rest.
#include <QFile>
#include <QString>
#include <QStringDecoder>

namespace kaoshi {

class TextFileStream
{
public:
    // Checks the file (present, not empty, text rather than a workbook or
    // other binary file) and decides its encoding. false: `error` says why.
    bool open(const QString &path, QString *error);
    // Appends the next piece of text; false when the file is used up.
    bool read(QString &text);
    bool atEnd() const { return m_file.atEnd(); }
    double progress() const;
    bool isGb18030() const { return m_encoding == Encoding::Gb18030; }

private:
    enum class Encoding { Utf8, Utf16LE, Utf16BE, Gb18030 };
    bool decideEncoding(QString *error);

    QFile m_file;
    QStringDecoder m_decoder;
    Encoding m_encoding = Encoding::Utf8;
    qint64 m_size = 0;
};

// How much of a byte stream reads as UTF-8: the multi-byte characters that
// are well formed and the bytes that are not.
struct Utf8Tally {
    qint64 wellFormed = 0;
    qint64 malformed = 0;
    void feed(const QByteArray &bytes);
    // UTF-8, possibly with a few damaged bytes, rather than another encoding.
    bool looksUtf8() const { return malformed == 0 || wellFormed > 4 * malformed; }

private:
    int m_pending = 0; // continuation bytes still expected
};

// The message for a file that does not hold what its name says.
QString notTextMessage();

} // namespace kaoshi
