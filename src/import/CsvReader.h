#pragma once
// Rows of a CSV file: comma-separated, or tab-separated when the header line
// holds tabs; fields quoted as in RFC 4180 (doubled quotes, separators and
// line breaks inside quotes). Read in pieces, so a file of any length streams.
#include "import/QuestionSource.h"
#include "import/TextFileStream.h"

namespace kaoshi {

class CsvReader final : public TableReader
{
public:
    bool open(const QString &path, QString *error) { return m_in.open(path, error); }
    bool nextRow(QStringList &cells, qint64 &row) override;
    QString error() const override { return m_error; }
    double progress() const override { return m_in.progress(); }

private:
    enum class Parse { Complete, NeedMore, TooLong };
    Parse parseRecord(QStringList &cells, qsizetype &end, int &lineBreaks) const;

    TextFileStream m_in;
    QString m_buffer;
    qsizetype m_pos = 0;
    qint64 m_line = 1;
    QChar m_separator;
    QString m_error;
};

} // namespace kaoshi
