#include "import/ImportPreview.h"

#include "data/TextRules.h"
#include "import/AnswerRules.h"

namespace kaoshi {

ImportPreview::ImportPreview(QuestionType type, QSet<QString> existingTexts) : m_type(type)
{
    m_existing[size_t(typeIndex(m_type))] = std::optional<QSet<QString>>(std::move(existingTexts));
}

const QSet<QString> *ImportPreview::existingTexts(QuestionType type)
{
    auto &slot = m_existing[size_t(typeIndex(type))];
    if (!slot)
        slot = m_readOther ? m_readOther(type) : std::nullopt;
    return *slot ? &**slot : nullptr;
}

namespace {

// The first reason why a question's pictures cannot be taken, "" when they can.
QString pictureProblem(const QList<RawPicture> &pictures)
{
    for (qsizetype i = 0; i < pictures.size() && i < kMostPictures; ++i)
        if (!pictures[i].problem.isEmpty())
            return QStringLiteral("第%1张图片：").arg(i + 1) + pictures[i].problem;
    return QString();
}

} // namespace

const PreviewRow &ImportPreview::add(const RawQuestion &question)
{
    PreviewRow row;
    row.line = question.line;
    if (!question.unplaced.isEmpty()) {
        row.values.text = question.text;
        row.status = RowStatus::Refused;
        row.note = question.unplaced;
        ++m_counts[size_t(row.status)];
        m_rows.push_back(std::move(row));
        return m_rows.back();
    }
    row.type = question.type.value_or(m_type);
    row.pictures = question.pictures.mid(0, kMostPictures);
    const QString pictures = pictureProblem(question.pictures);
    const QSet<QString> *existing = existingTexts(*row.type);
    row.values.text = trimSpaces(question.text);
    row.values.explanation = trimSpaces(question.explanation);
    row.values.chapter = trimSpaces(question.chapter);

    const CheckedAnswer answer = normaliseAnswer(*row.type, question.answer, row.values.text);
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
    } else if (!pictures.isEmpty()) {
        row.status = RowStatus::Refused;
        row.note = pictures;
    } else if (!existing) {
        row.status = RowStatus::Refused;
        row.note = QStringLiteral("无法读取%1题库").arg(typeCaption(*row.type));
    } else {
        row.status = existing->contains(row.values.text) ? RowStatus::Duplicate : RowStatus::Ready;
        QStringList notes;
        if (scoreText.isEmpty())
            notes << QStringLiteral("分值为空，记为0");
        if (question.pictures.size() > kMostPictures)
            notes << QStringLiteral("有%1张图片，只导入前%2张").arg(question.pictures.size()).arg(kMostPictures);
        else if (!question.pictures.isEmpty())
            notes << QStringLiteral("%1张图片").arg(question.pictures.size());
        row.note = notes.join(QStringLiteral("；"));
    }
    ++m_counts[size_t(row.status)];
    m_rows.push_back(std::move(row));
    return m_rows.back();
}

bool ImportPreview::isStored(const PreviewRow &row, bool includeDuplicates)
{
    return row.status == RowStatus::Ready || (includeDuplicates && row.status == RowStatus::Duplicate);
}

std::vector<QuestionValues> ImportPreview::questionsToStore(bool includeDuplicates) const
{
    std::vector<QuestionValues> questions;
    questions.reserve(size_t(count(RowStatus::Ready) + (includeDuplicates ? count(RowStatus::Duplicate) : 0)));
    for (const PreviewRow &row : m_rows)
        if (row.type == m_type && isStored(row, includeDuplicates))
            questions.push_back(row.values);
    return questions;
}

std::vector<ImportedQuestion> ImportPreview::importBatch(bool includeDuplicates) const
{
    std::vector<ImportedQuestion> questions;
    questions.reserve(size_t(count(RowStatus::Ready) + (includeDuplicates ? count(RowStatus::Duplicate) : 0)));
    for (const PreviewRow &row : m_rows)
        if (isStored(row, includeDuplicates))
            questions.push_back({*row.type, row.values, row.pictures});
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
