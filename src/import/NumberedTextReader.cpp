#include "import/NumberedTextReader.h"

#include <QRegularExpression>

namespace kaoshi {

bool NumberedTextReader::nextParagraph(SourceParagraph &paragraph)
{
    if (!m_error.isEmpty())
        return false;
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    for (;;) {
        // A line ends at LF, CR LF or a lone CR; a CR that ends the text read
        // so far waits for the next piece, which may begin with its LF.
        const QRegularExpressionMatch found = lineBreak.match(m_buffer, m_pos);
        const bool complete = found.hasMatch() && (found.capturedEnd() < m_buffer.size() || m_in.atEnd() ||
                                                   found.captured() == u"\n");
        if (complete || m_in.atEnd()) {
            if (m_pos >= m_buffer.size() && m_in.atEnd())
                return false;
            const qsizetype stop = found.hasMatch() ? found.capturedStart() : m_buffer.size();
            paragraph = SourceParagraph();
            paragraph.text = m_buffer.mid(m_pos, stop - m_pos);
            m_pos = found.hasMatch() ? found.capturedEnd() : m_buffer.size();
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
