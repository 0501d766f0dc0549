#include "exam/PaperContent.h"

#include "bank/PictureFiles.h"
#include "data/BankTable.h"

#include <cmath>

namespace kaoshi {

PaperContent::PaperContent() = default;
PaperContent::~PaperContent() = default;

bool PaperContent::read(DataStore &store, const QString &dataDir, const ExamPaper &paper)
{
    PartNumbers parts;
    for (QuestionType type : allQuestionTypes())
        parts[size_t(typeIndex(type))] = paper.part(type);
    const std::optional<std::vector<Question>> questions = bank::questionsOfParts(store, parts);
    if (!questions)
        return false;
    const std::optional<std::vector<kaoshi::pictures::PartPicture>> pictureRows =
        kaoshi::pictures::loadOfParts(store, parts);
    if (!pictureRows)
        return false;
    m_questions.clear();
    m_pictures.clear();
    m_pictureFiles.clear();
    for (const Question &question : *questions)
        m_questions.insert({typeIndex(question.type), question.number.toInteger()}, question);
    for (const kaoshi::pictures::PartPicture &row : *pictureRows)
        m_pictures[{typeIndex(row.type), row.number}].append(row.picture);
    m_files = pictureFilesFor(store, dataDir);
    copyPictures();
    return true;
}

void PaperContent::copyPictures()
{
    for (const QList<PictureRecord> &rows : std::as_const(m_pictures))
        for (const PictureRecord &row : rows)
            if (!row.location.isEmpty() && !m_pictureFiles.contains(row.location))
                if (const QString file = m_files->fileToShow(row.location); !file.isEmpty())
                    m_pictureFiles.insert(row.location, file);
}

std::optional<PaperContent::Key> PaperContent::keyOf(QuestionType type, const FieldValue &number)
{
    // The paper's 题号 are whole numbers; "3.0" typed names question 3 too.
    const double value = number.toNumber();
    if (number.isNull() || value != std::floor(value))
        return std::nullopt;
    return Key{typeIndex(type), qint64(value)};
}

std::optional<Question> PaperContent::question(QuestionType type, const FieldValue &number)
{
    const std::optional<Key> key = keyOf(type, number);
    const auto found = key ? m_questions.constFind(*key) : m_questions.cend();
    if (found == m_questions.cend())
        return std::nullopt;
    return *found;
}

QList<PictureRecord> PaperContent::pictures(QuestionType type, const FieldValue &number)
{
    const std::optional<Key> key = keyOf(type, number);
    return key ? m_pictures.value(*key) : QList<PictureRecord>();
}

QString PaperContent::pictureFile(const QString &location)
{
    if (const auto copied = m_pictureFiles.constFind(location); copied != m_pictureFiles.cend())
        return *copied;
    return m_files ? m_files->fileToShow(location) : QString();
}

} // namespace kaoshi
