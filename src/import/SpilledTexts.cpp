#include "import/SpilledTexts.h"

#include <algorithm>

namespace kaoshi {

namespace {
constexpr qint64 kBlock = 256 * 1024;
constexpr size_t kCachedBlocks = 8;
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
    // A block read short at the end of the file has grown since.
    std::erase_if(m_blocks, [](const Cached &cached) { return cached.bytes.size() < kBlock; });
    return written;
}

const QByteArray &SpilledTexts::block(qint64 start)
{
    ++m_uses;
    for (Cached &cached : m_blocks) {
        if (cached.start == start) {
            cached.used = m_uses;
            return cached.bytes;
        }
    }
    if (m_blocks.size() < kCachedBlocks)
        m_blocks.emplace_back();
    Cached &slot = *std::min_element(m_blocks.begin(), m_blocks.end(),
                                     [](const Cached &a, const Cached &b) { return a.used < b.used; });
    m_file.seek(start);
    slot = {start, m_file.read(kBlock), m_uses};
    return slot.bytes;
}

QString SpilledTexts::at(qsizetype index)
{
    if (index < 0 || index >= size() || !flush())
        return QString();
    const qint64 start = index == 0 ? 0 : m_ends[size_t(index - 1)];
    const qint64 length = m_ends[size_t(index)] - start;
    const qint64 first = start / kBlock * kBlock;
    if (start + length > first + kBlock) {
        // A text across blocks is read on its own.
        m_file.seek(start);
        const QByteArray bytes = m_file.read(length);
        if (bytes.size() != length)
            return QString();
        return QString(reinterpret_cast<const QChar *>(bytes.constData()), qsizetype(length / 2));
    }
    const QByteArray &bytes = block(first);
    const qint64 offset = start - first;
    if (offset + length > bytes.size())
        return QString();
    return QString(reinterpret_cast<const QChar *>(bytes.constData() + offset), qsizetype(length / 2));
}

} // namespace kaoshi
