#include "import/ImportPreview.h"

#include "data/TextRules.h"
#include "import/AnswerRules.h"

namespace kaoshi {

namespace {

// Bytes that the file's encoding could not decode arrive as U+FFFD.
bool holdsUndecodedBytes(const RawQuestion &q)
{
    const QChar replacement(0xFFFD);
    for (const QString *part : {&q.text, &q.answer, &q.explanation, &q.score, &q.chapter})
        if (part->contains(replacement))
            return true;
    return false;
}

// The first reason why a question's pictures cannot be taken, "" when they can.
QString pictureProblem(const QList<RawPicture> &pictures)
{
    for (qsizetype i = 0; i < pictures.size() && i < kMostPictures; ++i)
        if (!pictures[i].problem.isEmpty())
            return QStringLiteral("第%1张图片：").arg(i + 1) + pictures[i].problem;
    return QString();
}

// The remarks on a usable row.
QString usableNote(const QString &scoreText, const QList<RawPicture> &pictures)
{
    QStringList notes;
    if (scoreText.isEmpty())
        notes << QStringLiteral("分值为空，记为0");
    if (pictures.size() > kMostPictures)
        notes << QStringLiteral("有%1张图片，只导入前%2张").arg(pictures.size()).arg(kMostPictures);
    else if (!pictures.isEmpty())
        notes << QStringLiteral("%1张图片").arg(pictures.size());
    return notes.join(QStringLiteral("；"));
}

} // namespace

PreviewRow checkQuestion(QuestionType chosen, const RawQuestion &question)
{
    PreviewRow row;
    row.line = question.line;
    if (!question.unplaced.isEmpty()) {
        row.values.text = question.text;
        row.note = question.unplaced;
        return row;
    }
    const QuestionType type = question.type.value_or(chosen);
    row.type = type;
    row.pictures = question.pictures.mid(0, kMostPictures);
    row.values.text = trimSpaces(question.text);
    row.values.explanation = trimSpaces(question.explanation);
    row.values.chapter = trimSpaces(question.chapter);

    const CheckedAnswer answer = normaliseAnswer(type, question.answer, row.values.text);
    row.values.answer = answer.refusal.isEmpty() ? answer.answer : trimSpaces(question.answer);
    const QString scoreText = trimSpaces(question.score);
    std::optional<double> score = 0.0;
    if (!scoreText.isEmpty())
        score = parseScore(scoreText);
    row.values.score = score.value_or(0);
    row.shownScore = score ? numberToText(*score) : scoreText;

    const QString pictures = pictureProblem(question.pictures);
    if (holdsUndecodedBytes(question))
        row.note = QStringLiteral("这一行有无法识别的字节（文件的编码有误）");
    else if (row.values.text.isEmpty())
        row.note = QStringLiteral("题目为空");
    else if (!answer.refusal.isEmpty())
        row.note = answer.refusal;
    else if (!score)
        row.note = QStringLiteral("分值“%1”不是不小于0的数").arg(scoreText);
    else if (!pictures.isEmpty())
        row.note = pictures;
    else {
        row.status = RowStatus::Ready;
        row.note = usableNote(scoreText, question.pictures);
    }
    return row;
}

void ImportPreview::add(PreviewRow row)
{
    ++m_total;
    ++m_counts[size_t(row.status)];
    if (row.status == RowStatus::Refused)
        countReason(row);
    else if (row.type)
        ++m_usable[size_t(typeIndex(*row.type))][size_t(row.status)];
    const bool first = m_rows.size() < kFirstRows && qint64(m_rows.size()) == m_total - 1;
    const bool notable = row.status != RowStatus::Ready && m_rows.size() < kFirstRows + kMoreUnusable;
    if (first || notable)
        m_rows.push_back(std::move(row));
}

qint64 ImportPreview::count(RowStatus status, QuestionType type) const
{
    return status == RowStatus::Refused ? 0 : m_usable[size_t(typeIndex(type))][size_t(status)];
}

QList<QuestionType> ImportPreview::banksToStore(bool includeDuplicates) const
{
    QList<QuestionType> banks;
    for (const QuestionType type : allQuestionTypes())
        if (count(RowStatus::Ready, type) > 0 || (includeDuplicates && count(RowStatus::Duplicate, type) > 0))
            banks << type;
    return banks;
}

void ImportPreview::countReason(const PreviewRow &row)
{
    for (Reason &reason : m_reasons) {
        if (reason.text == row.note) {
            ++reason.count;
            return;
        }
    }
    if (m_reasons.size() < kMostReasons) {
        m_reasons.push_back({row.note, 1, row.line});
        return;
    }
    // Beyond the reasons told apart, the rest are one.
    static const QString other = QStringLiteral("其他原因");
    if (m_reasons.back().text != other)
        m_reasons.push_back({other, 0, row.line});
    ++m_reasons.back().count;
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
