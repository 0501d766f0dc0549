#pragma once
// Questions written the way teachers write them in Word, WPS or plain text.
// One parser serves .txt (a line is a paragraph) and .docx:
//
//   一、单项选择题（每题2分，共40分）       a heading sets the bank and the score
//   1. 我国的首都是哪座城市？（ B ）          "1." "1、" "1．" "１." "(1)" "（1）" "第1题"
//   A. 上海   B. 北京                         "A." "A、" "A．" "(A)" "（A）" "A)" "Ａ."; several on a line
//   答案：B                                   答案 正确答案 参考答案 【答案】; the stem's brackets
//   解析：北京是首都。                        解析 【解析】, 分值, 章节, 知识点
//   参考答案  1-5 ABCDA  6.B 7.C              an answer key after the questions
//
// A paragraph that belongs to no question is handed on as an unplaced row
// with the reason, so that the preview shows it.
#include "import/HeldQuestions.h"
#include "import/QuestionSource.h"

#include <QHash>
#include <optional>
#include <vector>

namespace kaoshi {

// A paragraph of a document (a line of a text file).
struct SourceParagraph {
    qint64 number = 0; // 1-based, in document order
    QString text;      // soft line breaks as "\n"
    QList<RawPicture> pictures;
    // A row of a table whose header names the question columns, read as a
    // sheet row is.
    std::optional<RawQuestion> tableQuestion;
};

class ParagraphSource
{
public:
    virtual ~ParagraphSource() = default;
    // The next paragraph; false at the end or on failure (error() says why).
    virtual bool nextParagraph(SourceParagraph &paragraph) = 0;
    virtual QString error() const = 0;
    virtual double progress() const = 0;
    // How a position is named in messages: "行" for text, "段" for a document.
    virtual QString positionName() const = 0;
};

// One entry of an answer key: question `number` has answer `answer`.
struct KeyEntry {
    qint64 number = 0;
    QString answer;
};
// The entries of a line such as "1-5 ABCDA", "1.A 2.C 3.BD" or "6～8 √×√";
// nothing when the line is not wholly such entries.
std::optional<QList<KeyEntry>> parseAnswerKeyLine(const QString &line);

// The bank a section heading names, with the score per question it gives
// ("" when none); nothing when the line is no heading.
struct SectionHeading {
    QuestionType type = QuestionType::SingleChoice;
    QString score;
};
std::optional<SectionHeading> parseSectionHeading(const QString &line);

// The options of a paragraph that starts with an option label, in order, as
// letter and text ("A. 上海  B. 北京" gives A 上海, B 北京); empty for any
// other paragraph. Further labels are those of the next letters.
QList<QPair<QChar, QString>> splitOptions(const QString &paragraph);

class ConventionsReader final : public QuestionSource
{
public:
    explicit ConventionsReader(std::unique_ptr<ParagraphSource> source);
    ~ConventionsReader() override;

    bool next(RawQuestion &question) override;
    QString error() const override { return m_error.isEmpty() ? m_source->error() : m_error; }
    double progress() const override { return m_source->progress(); }

private:
    struct Draft;
    struct Entry {
        RawQuestion question;
        qint64 number = -1; // the number written before the stem
        std::optional<QuestionType> sectionType; // of the heading above it, for the answer key
    };

    void take(const SourceParagraph &paragraph);
    bool takeAnswerKey(const SourceParagraph &paragraph);
    bool startsAnswerKey(const QString &text) const;
    void startQuestion(const SourceParagraph &paragraph, qint64 number, const QString &stem);
    void continueQuestion(const SourceParagraph &paragraph);
    void finishQuestion();
    void unplaced(const SourceParagraph &paragraph, const QString &reason);
    void push(Entry entry);
    void applyKey(const QList<KeyEntry> &entries);
    bool release(RawQuestion &question);

    std::unique_ptr<ParagraphSource> m_source;
    // The heading above: the bank (nothing before the first heading) and score.
    std::optional<QuestionType> m_sectionType;
    QString m_sectionScore;
    std::unique_ptr<Draft> m_draft;
    // Questions read but not yet handed on: from the first question without
    // an answer on, everything waits for an answer key at the end.
    HeldQuestions m_held;
    // The held questions without an answer, by written number: their index
    // in m_held and the heading above them.
    struct Unanswered {
        size_t index = 0;
        std::optional<QuestionType> sectionType;
    };
    QHash<qint64, std::vector<Unanswered>> m_unanswered;
    bool m_inKey = false;
    bool m_keyMayFollow = false; // "答案：" alone: a key or the answer on the next lines
    std::optional<QuestionType> m_keyType;
    // A heading read in the key with no key line after it yet: when a
    // numbered question follows instead, it heads that question's section.
    std::optional<SectionHeading> m_keyHeading;
    bool m_ended = false;
    QString m_error;
};

} // namespace kaoshi
