#include "import/SpilledTexts.h"

namespace kaoshi {

namespace {
constexpr qint64 kBlock = 256 * 1024;
}

bool SpilledTexts::append(const QString &text)
{
    if (!m_file.isOpen() && !m_file.open())
        return false;
    m_unwritten.append(reinterpret_cast<const char *>(text.constData()), text.size() * qsizetype(sizeof(QChar)));
    m_ends.push_back((m_ends.empty() ? 0 : m_ends.back()) + text.size() * qint64(sizeof(QChar)));
    return m_unwritten.size() < kBlock || flush();
}

bool SpilledTexts::flush()
{
    if (m_unwritten.isEmpty())
        return true;
    m_file.seek(m_file.size());
    const bool written = m_file.write(m_unwritten) == m_unwritten.size();
    m_unwritten.clear();
    return written;
}

QString SpilledTexts::at(qsizetype index)
{
    if (index < 0 || index >= size() || !flush())
        return QString();
    const qint64 start = index == 0 ? 0 : m_ends[size_t(index - 1)];
    const qint64 length = m_ends[size_t(index)] - start;
    if (m_blockStart < 0 || start < m_blockStart || start + length > m_blockStart + m_block.size()) {
        // Texts are mostly asked for in the order they were written: read on from here.
        m_file.seek(start);
        m_block = m_file.read(qMax(kBlock, length));
        m_blockStart = start;
    }
    const qint64 offset = start - m_blockStart;
    if (offset + length > m_block.size())
        return QString();
    return QString(reinterpret_cast<const QChar *>(m_block.constData() + offset), qsizetype(length / 2));
}

} // namespace kaoshi
