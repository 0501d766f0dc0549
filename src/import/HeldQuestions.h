#pragma once
// Questions of a document that wait, in order, for an answer key that may
// come at its very end. The first ones stay in memory; the rest wait in a
// temporary file and are read back one by one as they are handed on, so a
// document of any length without answers is read in the memory of a few
// hundred questions (and a few bytes per question for its place).
#include "import/QuestionSource.h"

#include <QHash>
#include <QTemporaryFile>
#include <vector>

namespace kaoshi {

class HeldQuestions
{
public:
    // Questions kept in memory before the rest go to the file.
    explicit HeldQuestions(size_t inMemory = 512) : m_inMemory(inMemory) {}

    // Appends a question; false when the temporary file cannot be written
    // (error() says why). `waits`: it has no answer yet.
    bool push(RawQuestion question, bool waits);
    // Held and not yet taken.
    size_t size() const { return m_waits.size() - m_taken; }
    bool isEmpty() const { return size() == 0; }
    // The index push gave the question: counted from the first question
    // held since the queue was last empty.
    size_t nextIndex() const { return m_waits.size(); }
    // Whether the first held question still waits for its answer.
    bool firstWaits() const { return !isEmpty() && m_waits[m_taken]; }
    // The answer of the key for the question at that index (not yet taken).
    void answer(size_t index, const QString &answer);
    // Takes the first held question; false when it cannot be read back.
    bool take(RawQuestion &question);
    QString error() const { return m_error; }

private:
    bool spill(const RawQuestion &question);
    bool flush();
    // Makes `bytes` unread bytes of the file wait in m_read.
    bool readAhead(qsizetype bytes);
    bool readBack(RawQuestion &question);
    // Notes the failure: `what` and the file's reason.
    bool fail(const QString &what);
    void clear();

    size_t m_inMemory;
    std::vector<RawQuestion> m_kept;       // the first ones, by index
    std::vector<bool> m_waits;             // of every question held, by index
    size_t m_taken = 0;                    // questions handed on
    QHash<size_t, QString> m_keyAnswers;   // answers of the key for spilled questions
    QTemporaryFile m_file;
    QByteArray m_unwritten;   // records not yet written to the file
    QByteArray m_read;        // records read from the file, from m_readPos on
    qsizetype m_readPos = 0;
    qint64 m_fileReadAt = 0;  // where the next block of the file starts
    QString m_error;
};

} // namespace kaoshi
