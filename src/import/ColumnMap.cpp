#include "import/ColumnMap.h"

#include "data/TextRules.h"

namespace kaoshi {

namespace {

// Header texts are compared without spaces and with full-width letters and
// digits read as ASCII ("选项Ａ" is "选项A").
QString headerKey(const QString &text) { return upperAscii(removeAllSpaces(text.normalized(QString::NormalizationForm_KC))); }

// Cells that trimSpaces would leave empty, told without copying them.
bool isBlank(const QStringList &cells)
{
    for (const QString &cell : cells)
        for (const QChar c : cell)
            if (c != u' ' && c != u'\u3000')
                return false;
    return true;
}

QString cell(const QStringList &cells, int column) { return column >= 0 && column < cells.size() ? cells[column] : QString(); }

// An option cell may repeat its letter ("A.上海"); the letter is written once.
QString withoutOwnLetter(const QString &option, QChar letter)
{
    if (option.size() >= 2 && option[0].toUpper() == letter &&
        QStringLiteral(".．、").contains(option[1]))
        return trimSpaces(option.mid(2));
    return option;
}

} // namespace

ColumnMap ColumnMap::fromHeader(const QStringList &header)
{
    ColumnMap map;
    const auto take = [](int &slot, int column) {
        if (slot < 0)
            slot = column;
    };
    for (int c = 0; c < header.size(); ++c) {
        const QString key = headerKey(header[c]);
        if (key == QStringLiteral("题目") || key == QStringLiteral("题干") || key == QStringLiteral("试题"))
            take(map.m_text, c);
        else if (key == QStringLiteral("标准答案") || key == QStringLiteral("答案") || key == QStringLiteral("正确答案"))
            take(map.m_answer, c);
        else if (key == QStringLiteral("解析"))
            take(map.m_explanation, c);
        else if (key == QStringLiteral("分值") || key == QStringLiteral("分数"))
            take(map.m_score, c);
        else if (key == QStringLiteral("章节") || key == QStringLiteral("章") || key == QStringLiteral("科目"))
            take(map.m_chapter, c);
        else {
            const QString letter = key.startsWith(QStringLiteral("选项")) ? key.mid(2) : key;
            if (letter.size() == 1 && letter[0] >= u'A' && letter[0] <= u'G')
                take(map.m_options[size_t(letter[0].unicode() - u'A')], c);
        }
    }
    return map;
}

QString ColumnMap::missing() const
{
    if (m_text < 0)
        return QStringLiteral("表头中没有“题目”列（也可写作“题干”或“试题”）");
    if (m_answer < 0)
        return QStringLiteral("表头中没有“标准答案”列（也可写作“答案”或“正确答案”）");
    return QString();
}

RawQuestion ColumnMap::question(const QStringList &cells, qint64 row) const
{
    RawQuestion q;
    q.line = row;
    q.text = trimSpaces(cell(cells, m_text));
    for (size_t i = 0; i < m_options.size(); ++i) {
        const QChar letter(char16_t(u'A' + i));
        const QString option = withoutOwnLetter(trimSpaces(cell(cells, m_options[i])), letter);
        if (!option.isEmpty())
            q.text += letter + QStringLiteral(".") + option;
    }
    q.answer = cell(cells, m_answer);
    q.explanation = trimSpaces(cell(cells, m_explanation));
    q.score = trimSpaces(cell(cells, m_score));
    q.chapter = trimSpaces(cell(cells, m_chapter));
    return q;
}

bool TableQuestionSource::next(RawQuestion &question)
{
    if (!m_error.isEmpty())
        return false;
    QStringList &cells = m_cells;
    qint64 row = 0;
    while (m_reader->nextRow(cells, row)) {
        if (isBlank(cells)) {
            // A sheet of blank rows can be long: stopping is asked for each.
            if (readingStopped()) {
                m_error = kStoppedReading;
                return false;
            }
            continue;
        }
        qint64 length = 0;
        for (const QString &c : cells)
            length += c.size();
        if (length > kMostRowBytes) {
            m_error = QStringLiteral("第%1行超过1 MB，文件无法读取").arg(row);
            return false;
        }
        if (!m_columns) {
            // A title above the header (such as "单选题库") is passed over.
            ColumnMap header = ColumnMap::fromHeader(cells);
            const QString missing = header.missing();
            if (missing.isEmpty())
                m_columns = header;
            else if (m_firstMissing.isEmpty())
                m_firstMissing = missing;
            if (!m_columns && ++m_rowsBeforeHeader >= kMostRowsBeforeHeader) {
                m_error = m_firstMissing;
                return false;
            }
            continue;
        }
        question = m_columns->question(cells, row);
        return true;
    }
    if (!m_columns && m_reader->error().isEmpty())
        m_error = m_firstMissing.isEmpty() ? QStringLiteral("文件中没有任何内容") : m_firstMissing;
    return false;
}

} // namespace kaoshi
