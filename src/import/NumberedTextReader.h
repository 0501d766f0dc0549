#pragma once
// A text file of numbered questions, as teachers keep them: every line is a
// paragraph for the conventions parser (import/QuestionConventions.h).
#include "import/QuestionConventions.h"
#include "import/TextFileStream.h"

namespace kaoshi {

class NumberedTextReader final : public ParagraphSource
{
public:
    bool open(const QString &path, QString *error) { return m_in.open(path, error); }
    bool nextParagraph(SourceParagraph &paragraph) override;
    QString error() const override { return m_error; }
    double progress() const override { return m_in.progress(); }
    QString positionName() const override { return QStringLiteral("行"); }

private:
    TextFileStream m_in;
    QString m_buffer;
    qsizetype m_pos = 0;
    qint64 m_lineNumber = 0;
    QString m_error;
};

} // namespace kaoshi
