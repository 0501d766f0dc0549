#include "import/CsvReader.h"

#include <algorithm>

namespace kaoshi {

namespace {
const QChar kQuote(u'"');
const QChar kNewLine(u'\n');
const QChar kReturn(u'\r');

// Where a run of characters that need no decision ends: at the first of
// the stops from `from` on, or at `to`.
template <typename Stop>
qsizetype runEnd(const QChar *text, qsizetype from, qsizetype to, Stop stops)
{
    while (from < to && !stops(text[from]))
        ++from;
    return from;
}

} // namespace

CsvReader::Parse CsvReader::parseRecord(QStringList &cells, qsizetype &end, int &lineBreaks) const
{
    cells.clear();
    lineBreaks = 0;
    QString field;
    bool quoted = false;
    const qsizetype size = m_buffer.size();
    const QChar *text = m_buffer.constData();
    // Characters are taken a run at a time; a run never passes the most a
    // row may hold, so the check of the length below sees every position.
    const qsizetype runLimit = std::min(size, m_pos + kMostRowBytes + 1);
    const QChar separator = m_separator;
    const auto quotedStop = [](QChar c) { return c == kQuote || c == kNewLine || c == kReturn; };
    const auto plainStop = [separator](QChar c) { return c == separator || c == kNewLine || c == kReturn; };
    qsizetype i = m_pos;
    const bool last = m_in.atEnd();
    while (i < size) {
        if (i - m_pos > kMostRowBytes)
            return Parse::TooLong;
        const QChar c = text[i];
        if (quoted) {
            if (c == kQuote) {
                if (i + 1 >= size && !last)
                    return Parse::NeedMore; // a doubled quote may straddle the pieces
                if (i + 1 < size && text[i + 1] == kQuote) {
                    field += kQuote;
                    ++i;
                } else {
                    quoted = false;
                }
                ++i;
            } else if (c == kNewLine || c == kReturn) {
                // A line break inside quotes is kept as written; a lone CR counts as one.
                if (c == kNewLine || i + 1 >= size || text[i + 1] != kNewLine)
                    ++lineBreaks;
                field += c;
                ++i;
            } else {
                const qsizetype stop = runEnd(text, i + 1, std::max(runLimit, i + 1), quotedStop);
                field.append(QStringView(text + i, stop - i));
                i = stop;
            }
        } else if (c == kQuote && field.isEmpty()) {
            quoted = true;
            ++i;
        } else if (c == separator) {
            cells << field;
            field.clear();
            ++i;
        } else if (c == kNewLine || c == kReturn) {
            // A line ends at LF, CR LF or a lone CR (as older Mac programs write).
            if (c == kReturn && i + 1 >= size && !last)
                return Parse::NeedMore; // its LF may begin the next piece
            ++lineBreaks;
            cells << field;
            end = c == kReturn && i + 1 < size && text[i + 1] == kNewLine ? i + 2 : i + 1;
            return Parse::Complete;
        } else {
            // Once a field holds a character, a quote in it is an ordinary one.
            const qsizetype stop = runEnd(text, i + 1, std::max(runLimit, i + 1), plainStop);
            field.append(QStringView(text + i, stop - i));
            i = stop;
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
