#pragma once
// A long list of texts kept in a temporary file instead of in memory, read
// back by position through a small cache: the shared texts of a workbook
// take as little memory for a million rows as for ten.
#include <QByteArray>
#include <QString>
#include <QTemporaryFile>
#include <vector>

namespace kaoshi {

class SpilledTexts
{
public:
    bool append(const QString &text);
    qsizetype size() const { return qsizetype(m_ends.size()); }
    // The text at index; "" when there is none.
    QString at(qsizetype index);

private:
    bool flush();

    QTemporaryFile m_file;
    std::vector<qint64> m_ends; // byte offset after each text
    QByteArray m_unwritten;
    QByteArray m_block; // bytes of the file from m_blockStart on
    qint64 m_blockStart = -1;
};

} // namespace kaoshi
