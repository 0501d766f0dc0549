#include "import/NumberedTextReader.h"

namespace kaoshi {

bool NumberedTextReader::nextParagraph(SourceParagraph &paragraph)
{
    if (!m_error.isEmpty())
        return false;
    for (;;) {
        // A line ends at LF, CR LF or a lone CR; a CR that ends the text read
        // so far waits for the next piece, which may begin with its LF. The
        // break is looked for from the line's start only, so a line costs its
        // own length however much text waits after it.
        const QChar *text = m_buffer.constData();
        const qsizetype size = m_buffer.size();
        qsizetype breakAt = m_pos;
        while (breakAt < size && text[breakAt] != u'\n' && text[breakAt] != u'\r')
            ++breakAt;
        const bool found = breakAt < size;
        const bool crLf = found && text[breakAt] == u'\r' && breakAt + 1 < size && text[breakAt + 1] == u'\n';
        const qsizetype breakEnd = found ? breakAt + (crLf ? 2 : 1) : size;
        const bool complete = found && (breakEnd < size || m_in.atEnd() || text[breakAt] == u'\n');
        if (complete || m_in.atEnd()) {
            if (m_pos >= size && m_in.atEnd())
                return false;
            paragraph = SourceParagraph();
            paragraph.text = m_buffer.mid(m_pos, breakAt - m_pos);
            m_pos = breakEnd;
            paragraph.number = ++m_lineNumber;
            return true;
        }
        if (size - m_pos > kMostRowBytes) {
            m_error = QStringLiteral("第%1行超过1 MB，文件无法读取").arg(m_lineNumber + 1);
            return false;
        }
        m_buffer.remove(0, m_pos);
        m_pos = 0;
        m_in.read(m_buffer);
    }
}

} // namespace kaoshi
