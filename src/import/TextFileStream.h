#pragma once
// Reads a text file in pieces as decoded text: UTF-8 with or without a byte
// order mark, or GB18030 when the file is not valid UTF-8 (what a spreadsheet
// program on a Chinese system writes).
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
    bool isGb18030() const { return m_gb18030; }

private:
    QFile m_file;
    QStringDecoder m_decoder;
    qint64 m_size = 0;
    bool m_gb18030 = false;
    bool m_first = true;
};

// The message for a file that does not hold what its name says.
QString notTextMessage();

} // namespace kaoshi
