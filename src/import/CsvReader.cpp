#include "import/CsvReader.h"

namespace kaoshi {

namespace {
const QChar kQuote(u'"');
const QChar kNewLine(u'\n');
const QChar kReturn(u'\r');
} // namespace

CsvReader::Parse CsvReader::parseRecord(QStringList &cells, qsizetype &end, int &lineBreaks) const
{
    cells.clear();
    lineBreaks = 0;
    QString field;
    bool quoted = false;
    const qsizetype size = m_buffer.size();
    qsizetype i = m_pos;
    const bool last = m_in.atEnd();
    for (; i < size; ++i) {
        if (i - m_pos > kMostRowBytes)
            return Parse::TooLong;
        const QChar c = m_buffer[i];
        if (quoted) {
            if (c == kQuote) {
                if (i + 1 >= size && !last)
                    return Parse::NeedMore; // a doubled quote may straddle the pieces
                if (i + 1 < size && m_buffer[i + 1] == kQuote) {
                    field += kQuote;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                // A line break inside quotes is kept as written; a lone CR counts as one.
                if (c == kNewLine || (c == kReturn && (i + 1 >= size || m_buffer[i + 1] != kNewLine)))
                    ++lineBreaks;
                field += c;
            }
        } else if (c == kQuote && field.isEmpty()) {
            quoted = true;
        } else if (c == m_separator) {
            cells << field;
            field.clear();
        } else if (c == kNewLine || c == kReturn) {
            // A line ends at LF, CR LF or a lone CR (as older Mac programs write).
            if (c == kReturn && i + 1 >= size && !last)
                return Parse::NeedMore; // its LF may begin the next piece
            ++lineBreaks;
            cells << field;
            end = c == kReturn && i + 1 < size && m_buffer[i + 1] == kNewLine ? i + 2 : i + 1;
            return Parse::Complete;
        } else {
            field += c;
        }
    }
    if (!last)
        return Parse::NeedMore;
    cells << field;
    end = size;
    return Parse::Complete;
}

bool CsvReader::nextRow(QStringList &cells, qint64 &row)
{
    if (!m_error.isEmpty())
        return false;
    for (;;) {
        if (m_pos >= m_buffer.size() && m_in.atEnd())
            return false;
        if (m_separator.isNull()) {
            // The separator follows the header line: tabs there mean tab-separated.
            qsizetype lineEnd = m_buffer.indexOf(kNewLine);
            if (const qsizetype cr = m_buffer.indexOf(kReturn); cr >= 0 && (lineEnd < 0 || cr < lineEnd))
                lineEnd = cr;
            if (lineEnd < 0 && !m_in.atEnd()) {
                if (m_buffer.size() > kMostRowBytes) {
                    m_error = QStringLiteral("第1行超过1 MB，文件无法读取");
                    return false;
                }
                m_in.read(m_buffer);
                continue;
            }
            m_separator = m_buffer.left(lineEnd).contains(u'\t') ? QChar(u'\t') : QChar(u',');
        }
        qsizetype end = 0;
        int lineBreaks = 0;
        switch (parseRecord(cells, end, lineBreaks)) {
        case Parse::Complete:
            row = m_line;
            m_line += lineBreaks;
            m_pos = end;
            return true;
        case Parse::TooLong:
            m_error = QStringLiteral("第%1行超过1 MB（可能缺少配对的引号），文件无法读取").arg(m_line);
            return false;
        case Parse::NeedMore:
            // Keep only the unread part, then read on.
            m_buffer.remove(0, m_pos);
            m_pos = 0;
            m_in.read(m_buffer);
            break;
        }
    }
}

} // namespace kaoshi
