#include "import/HeldQuestions.h"

#include "data/TextRules.h"

#include <QDataStream>

namespace kaoshi {

namespace {

constexpr qsizetype kBlock = 256 * 1024;
constexpr QDataStream::Version kFormat = QDataStream::Qt_6_0;

// A question as one record of the file: its length, then its parts.
QByteArray record(const RawQuestion &q)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(kFormat);
    out << qint32(0) << q.line << q.text << q.answer << q.explanation << q.score << q.chapter
        << qint32(q.type ? int(*q.type) : -1) << q.unplaced << qint32(q.pictures.size());
    for (const RawPicture &p : q.pictures)
        out << p.entry << p.extension << p.summary << p.problem;
    out.device()->seek(0);
    out << qint32(bytes.size() - qint32(sizeof(qint32)));
    return bytes;
}

bool readRecord(const QByteArray &bytes, RawQuestion &q)
{
    QDataStream in(bytes);
    in.setVersion(kFormat);
    qint32 type = -1;
    qint32 pictures = 0;
    in >> q.line >> q.text >> q.answer >> q.explanation >> q.score >> q.chapter >> type >> q.unplaced >> pictures;
    q.type = type >= 0 ? std::optional<QuestionType>(QuestionType(type)) : std::nullopt;
    q.pictures.clear();
    for (qint32 i = 0; i < pictures && in.status() == QDataStream::Ok; ++i) {
        RawPicture p;
        in >> p.entry >> p.extension >> p.summary >> p.problem;
        q.pictures.append(p);
    }
    return in.status() == QDataStream::Ok;
}

} // namespace

bool HeldQuestions::push(RawQuestion question, bool waits)
{
    if (!m_error.isEmpty())
        return false;
    if (m_kept.size() < m_inMemory && m_waits.size() == m_kept.size())
        m_kept.push_back(std::move(question));
    else if (!spill(question))
        return false;
    m_waits.push_back(waits);
    return true;
}

void HeldQuestions::answer(size_t index, const QString &answer)
{
    if (index < m_taken || index >= m_waits.size())
        return;
    m_waits[index] = trimSpaces(answer).isEmpty();
    if (index < m_kept.size())
        m_kept[index].answer = answer;
    else
        m_keyAnswers.insert(index, answer);
}

bool HeldQuestions::take(RawQuestion &question)
{
    if (isEmpty() || !m_error.isEmpty())
        return false;
    const size_t index = m_taken;
    if (index < m_kept.size()) {
        question = std::move(m_kept[index]);
    } else {
        if (!readBack(question))
            return false;
        if (const auto answer = m_keyAnswers.constFind(index); answer != m_keyAnswers.constEnd()) {
            question.answer = *answer;
            m_keyAnswers.erase(answer);
        }
    }
    if (++m_taken == m_waits.size())
        clear();
    return true;
}

bool HeldQuestions::fail(const QString &what)
{
    m_error = what + m_file.errorString();
    return false;
}

bool HeldQuestions::spill(const RawQuestion &question)
{
    if (!m_file.isOpen() && !m_file.open())
        return fail(QStringLiteral("无法建立临时文件："));
    m_unwritten += record(question);
    return m_unwritten.size() < kBlock || flush();
}

bool HeldQuestions::flush()
{
    if (m_unwritten.isEmpty())
        return true;
    if (!m_file.seek(m_file.size()) || m_file.write(m_unwritten) != m_unwritten.size())
        return fail(QStringLiteral("无法写入临时文件："));
    m_unwritten.clear();
    return true;
}

bool HeldQuestions::readAhead(qsizetype bytes)
{
    if (m_read.size() - m_readPos >= bytes)
        return true;
    m_read.remove(0, m_readPos);
    m_readPos = 0;
    if (!flush())
        return false;
    while (m_read.size() < bytes) {
        if (!m_file.seek(m_fileReadAt))
            return fail(QStringLiteral("无法读回临时文件："));
        const QByteArray block = m_file.read(std::max(kBlock, bytes - m_read.size()));
        if (block.isEmpty())
            return fail(QStringLiteral("无法读回临时文件："));
        m_read += block;
        m_fileReadAt += block.size();
    }
    return true;
}

bool HeldQuestions::readBack(RawQuestion &question)
{
    const auto size = qsizetype(sizeof(qint32));
    if (!readAhead(size))
        return false;
    qint32 length = 0;
    QDataStream(m_read.mid(m_readPos, size)) >> length;
    if (length < 0 || !readAhead(size + length))
        return false;
    const bool read = readRecord(m_read.mid(m_readPos + size, length), question);
    m_readPos += size + length;
    if (!read) {
        m_error = QStringLiteral("临时文件中的题目无法读回");
        return false;
    }
    return true;
}

void HeldQuestions::clear()
{
    m_kept.clear();
    m_waits.clear();
    m_taken = 0;
    m_keyAnswers.clear();
    m_unwritten.clear();
    m_read.clear();
    m_readPos = 0;
    m_fileReadAt = 0;
    if (m_file.isOpen())
        m_file.resize(0);
}

} // namespace kaoshi
