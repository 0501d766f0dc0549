#include "import/ImportPreview.h"

#include "data/TextRules.h"
#include "import/AnswerRules.h"

namespace kaoshi {

ImportPreview::ImportPreview(QuestionType type, QSet<QString> existingTexts)
    : m_type(type), m_existing(std::move(existingTexts))
{
}

const PreviewRow &ImportPreview::add(const RawQuestion &question)
{
    PreviewRow row;
    row.line = question.line;
    row.values.text = trimSpaces(question.text);
    row.values.explanation = trimSpaces(question.explanation);
    row.values.chapter = trimSpaces(question.chapter);

    const CheckedAnswer answer = normaliseAnswer(m_type, question.answer, row.values.text);
    row.values.answer = answer.refusal.isEmpty() ? answer.answer : trimSpaces(question.answer);
    const QString scoreText = trimSpaces(question.score);
    std::optional<double> score = 0.0;
    if (!scoreText.isEmpty())
        score = parseScore(scoreText);
    row.values.score = score.value_or(0);
    row.shownScore = score ? numberToText(*score) : scoreText;

    if (row.values.text.isEmpty()) {
        row.status = RowStatus::Refused;
        row.note = QStringLiteral("题目为空");
    } else if (!answer.refusal.isEmpty()) {
        row.status = RowStatus::Refused;
        row.note = answer.refusal;
    } else if (!score) {
        row.status = RowStatus::Refused;
        row.note = QStringLiteral("分值“%1”不是不小于0的数").arg(scoreText);
    } else {
        row.status = m_existing.contains(row.values.text) ? RowStatus::Duplicate : RowStatus::Ready;
        if (scoreText.isEmpty())
            row.note = QStringLiteral("分值为空，记为0");
    }
    ++m_counts[size_t(row.status)];
    m_rows.push_back(std::move(row));
    return m_rows.back();
}

std::vector<QuestionValues> ImportPreview::questionsToStore(bool includeDuplicates) const
{
    std::vector<QuestionValues> questions;
    questions.reserve(size_t(count(RowStatus::Ready) + (includeDuplicates ? count(RowStatus::Duplicate) : 0)));
    for (const PreviewRow &row : m_rows)
        if (row.status == RowStatus::Ready || (includeDuplicates && row.status == RowStatus::Duplicate))
            questions.push_back(row.values);
    return questions;
}

QString ImportPreview::statusText(const PreviewRow &row)
{
    switch (row.status) {
    case RowStatus::Ready:
        return row.note.isEmpty() ? QStringLiteral("可导入") : QStringLiteral("可导入（") + row.note + u'）';
    case RowStatus::Duplicate:
        return row.note.isEmpty() ? QStringLiteral("题库中已有") : QStringLiteral("题库中已有（") + row.note + u'）';
    case RowStatus::Refused:
        break;
    }
    return QStringLiteral("不导入：") + row.note;
}

} // namespace kaoshi
