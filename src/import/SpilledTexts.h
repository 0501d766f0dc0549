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
    // The block of the file that starts at `start` (a multiple of the block
    // size), from the cache or read into it.
    const QByteArray &block(qint64 start);

    QTemporaryFile m_file;
    std::vector<qint64> m_ends; // byte offset after each text
    QByteArray m_unwritten;
    // A row asks for its own new text and for texts written long before
    // (an answer or a chapter that many rows share): a few blocks are kept,
    // the one used longest ago giving way.
    struct Cached {
        qint64 start = 0;
        QByteArray bytes;
        quint64 used = 0;
    };
    std::vector<Cached> m_blocks;
    quint64 m_uses = 0;
};

} // namespace kaoshi
