#include "import/NumberedTextReader.h"

namespace kaoshi {

bool NumberedTextReader::nextParagraph(SourceParagraph &paragraph)
{
    if (!m_error.isEmpty())
        return false;
    for (;;) {
        const qsizetype end = m_buffer.indexOf(u'\n', m_pos);
        if (end >= 0 || m_in.atEnd()) {
            if (m_pos >= m_buffer.size() && m_in.atEnd())
                return false;
            const qsizetype stop = end >= 0 ? end : m_buffer.size();
            paragraph = SourceParagraph();
            paragraph.text = m_buffer.mid(m_pos, stop - m_pos);
            if (paragraph.text.endsWith(u'\r'))
                paragraph.text.chop(1);
            m_pos = stop + 1;
            paragraph.number = ++m_lineNumber;
            return true;
        }
        if (m_buffer.size() - m_pos > kMostRowBytes) {
            m_error = QStringLiteral("第%1行超过1 MB，文件无法读取").arg(m_lineNumber + 1);
            return false;
        }
        m_buffer.remove(0, m_pos);
        m_pos = 0;
        m_in.read(m_buffer);
    }
}

} // namespace kaoshi
