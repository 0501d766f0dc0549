#include "import/QuestionConventions.h"

#include "data/TextRules.h"
#include "practice/QuestionLayout.h"

#include <QRegularExpression>

namespace kaoshi {

namespace {

// Spaces as they appear in Chinese documents.
#define SP "[ \\t\\x{3000}\\x{00A0}]"

// "1." "1、" "1．" "１." "(1)" "（1）" "第1题" at the start of a paragraph.
const QRegularExpression &numberPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "^" SP "*(?:([0-9０-９]+)" SP "*[.．、]|[（(]" SP "*([0-9０-９]+)" SP "*[）)]|第" SP "*([0-9０-９]+)" SP
        "*题[.．、:：]?)" SP "*"));
    return pattern;
}

// An option label: "A." "A、" "A．" "A)" "(A)" "（A）", full-width letters too.
const QRegularExpression &optionStartPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "^" SP "*(?:([A-GＡ-Ｇ])" SP "*[.．、)）]|[（(]" SP "*([A-GＡ-Ｇ])" SP "*[）)])" SP "*"));
    return pattern;
}

const char *const kKeyNames = "正确答案|参考答案|标准答案|答案解析|答案|解析|分值|分数|章节|知识点";

// "答案：" or "【答案】" at the start of a paragraph.
const QRegularExpression &keyStartPattern()
{
    static const QRegularExpression pattern(QStringLiteral("^" SP "*(?:【" SP "*(%1)" SP "*】" SP "*[：:]?|(%1)" SP
                                                           "*[：:])" SP "*")
                                                .arg(QString::fromUtf8(kKeyNames)));
    return pattern;
}

// A further key later on the same line ("答案：B  解析：…"), after a space or
// as "【解析】"; never a second answer, which an explanation may well quote.
const QRegularExpression &keyInsidePattern()
{
    static const QRegularExpression pattern(
        QStringLiteral("(?:" SP "+(?:(%1)" SP "*[：:])|【" SP "*(%1)" SP "*】" SP "*[：:]?)" SP "*")
            .arg(QStringLiteral("答案解析|解析|分值|分数|章节|知识点")));
    return pattern;
}

// "参考答案", "答案：", "【参考答案】", "答案与解析" alone: the answer key may follow.
const QRegularExpression &keyHeadingPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "^" SP "*(?:[一二三四五六七八九十]+" SP "*[、.．]" SP "*)?[【\\[]?" SP
        "*(?:参考答案|标准答案|正确答案|答案)(?:及解析|与解析|和解析)?" SP "*[】\\]]?" SP "*[：:]?" SP "*$"));
    return pattern;
}

// The answer written in the stem's brackets: "（ B ）", "(√)".
const QRegularExpression &bracketAnswerPattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "([（(])" SP "*([A-GＡ-Ｇ](?:" SP "*[,，、]?" SP "*[A-GＡ-Ｇ]){0,6}|[√×✓✗✔✘]|对|错|正确|错误)" SP "*([）)])"));
    return pattern;
}

QChar asciiLetter(QChar letter)
{
    return letter.unicode() >= u'Ａ' && letter.unicode() <= u'Ｚ' ? QChar(letter.unicode() - u'Ａ' + u'A') : letter;
}

qint64 writtenNumber(const QString &digits) { return digits.normalized(QString::NormalizationForm_KC).toLongLong(); }

QString firstCaptured(const QRegularExpressionMatch &match)
{
    for (int i = 1; i <= match.lastCapturedIndex(); ++i)
        if (match.capturedLength(i) > 0)
            return match.captured(i);
    return QString();
}

// Where the label of option `letter` starts in `text` at or after `from`,
// and where its text begins; a label after a space is preferred.
struct Label {
    qsizetype start = -1;
    qsizetype textStart = -1;
};
Label findLabel(const QString &text, qsizetype from, QChar letter)
{
    const QChar wide(char16_t(letter.unicode() - u'A' + u'Ａ'));
    static const QString delimiters = QStringLiteral(".．、)）");
    Label first;
    for (qsizetype i = from; i < text.size(); ++i) {
        Label found;
        if (text[i] == letter || text[i] == wide) {
            qsizetype j = i + 1;
            while (j < text.size() && (text[j] == u' ' || text[j] == u'\t'))
                ++j;
            const bool bracketed = i > 0 && (text[i - 1] == u'(' || text[i - 1] == u'（');
            if (j < text.size() && delimiters.contains(text[j]) && !(bracketed && (text[j] == u'.' || text[j] == u'、')))
                found = {bracketed ? i - 1 : i, j + 1};
        }
        if (found.start < 0)
            continue;
        const bool afterSpace = found.start == 0 || text[found.start - 1].isSpace() || text[found.start - 1] == u'\x3000';
        if (afterSpace)
            return found;
        if (first.start < 0)
            first = found;
    }
    return first;
}

} // namespace

// A question while its paragraphs are read.
struct ConventionsReader::Draft {
    enum class Part { Stem, Option, Answer, Explanation, Score, Chapter, Knowledge };
    qint64 line = 0;
    qint64 number = -1;
    QString stem;
    QList<QPair<QChar, QString>> options;
    QString answer, explanation, score, chapter, knowledge;
    QList<RawPicture> pictures;
    Part part = Part::Stem;
    bool afterBlank = false;
    qint64 length = 0;

    QString &current()
    {
        switch (part) {
        case Part::Option:
            return options.last().second;
        case Part::Answer:
            return answer;
        case Part::Explanation:
            return explanation;
        case Part::Score:
            return score;
        case Part::Chapter:
            return chapter;
        case Part::Knowledge:
            return knowledge;
        case Part::Stem:
            break;
        }
        return stem;
    }
    void append(const QString &text)
    {
        QString &target = current();
        if (!target.isEmpty())
            target += u'\n';
        target += text;
    }
    void setPart(const QString &key, const QString &value)
    {
        if (key.contains(u"解析"))
            part = Part::Explanation;
        else if (key.contains(u"答案"))
            part = Part::Answer;
        else if (key == u"分值" || key == u"分数")
            part = Part::Score;
        else if (key == u"章节")
            part = Part::Chapter;
        else
            part = Part::Knowledge;
        current() = value;
    }
    // The answer in the stem's brackets, when no answer line gave one: the
    // letters must name options of the question; the brackets stay, empty.
    void takeBracketAnswer()
    {
        if (!trimSpaces(answer).isEmpty())
            return;
        QRegularExpressionMatch last;
        for (auto it = bracketAnswerPattern().globalMatch(stem); it.hasNext();)
            last = it.next();
        if (!last.hasMatch())
            return;
        const QString given = last.captured(2);
        if (given[0].isLetter() && given[0] != u'对' && given[0] != u'错' && given[0] != u'正') {
            QString offered;
            for (const auto &option : options)
                offered += option.first;
            offered += inlineOptionLetters(stem);
            for (const QChar c : given)
                if (c.isLetter() && !offered.contains(asciiLetter(c)))
                    return;
        }
        answer = given;
        stem.replace(last.capturedStart(), last.capturedLength(), last.captured(1) + u' ' + last.captured(3));
    }
    QString text() const
    {
        QString text = stem.trimmed();
        for (const auto &[letter, option] : options)
            text += letter + QStringLiteral(".") + option.trimmed();
        return text;
    }
};

QList<QPair<QChar, QString>> splitOptions(const QString &paragraph)
{
    QList<QPair<QChar, QString>> options;
    const QRegularExpressionMatch option = optionStartPattern().match(paragraph);
    if (!option.hasMatch())
        return options;
    QChar letter = asciiLetter(firstCaptured(option).at(0));
    qsizetype from = option.capturedEnd();
    for (;;) {
        const QChar nextLetter(char16_t(letter.unicode() + 1));
        const Label label = nextLetter <= u'G' ? findLabel(paragraph, from, nextLetter) : Label();
        const qsizetype end = label.start >= 0 ? label.start : paragraph.size();
        // Options on one line are set apart by spaces or tabs.
        options.append({letter, paragraph.mid(from, end - from).trimmed()});
        if (label.start < 0)
            break;
        letter = nextLetter;
        from = label.textStart;
    }
    return options;
}

std::optional<QList<KeyEntry>> parseAnswerKeyLine(const QString &line)
{
    static const QRegularExpression entry(
        QStringLiteral("(\\d+)(?:\\s*[-~—–―]\\s*(\\d+))?\\s*[.、:)]?\\s*([^\\d]*)"));
    static const QRegularExpression answerChars(QStringLiteral("^[A-Ga-g√×✓✗✔✘对错正确误TFYN,，、;；/\\s]+$"));
    static const QRegularExpression separators(QStringLiteral("[\\s,，、;；/]+"));
    const QString text = trimSpaces(line.normalized(QString::NormalizationForm_KC));
    if (text.isEmpty() || !text[0].isDigit())
        return std::nullopt;
    QList<KeyEntry> entries;
    qsizetype at = 0;
    for (auto it = entry.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        if (match.capturedStart() != at)
            return std::nullopt;
        at = match.capturedEnd();
        const QString answer = match.captured(3).trimmed();
        if (answer.isEmpty() || !answerChars.match(answer).hasMatch())
            return std::nullopt;
        const qint64 first = match.captured(1).toLongLong();
        if (match.capturedLength(2) == 0) {
            entries.append({first, answer});
            continue;
        }
        const qint64 last = match.captured(2).toLongLong();
        if (last < first || last - first >= 200)
            return std::nullopt;
        const qsizetype count = qsizetype(last - first + 1);
        QStringList parts = answer.split(separators, Qt::SkipEmptyParts);
        if (parts.size() != count) {
            const QString compact = QString(answer).remove(separators);
            if (compact.size() != count)
                return std::nullopt;
            parts.clear();
            for (const QChar c : compact)
                parts << QString(c);
        }
        for (qsizetype i = 0; i < count; ++i)
            entries.append({first + i, parts[i]});
    }
    if (at != text.size() || entries.isEmpty())
        return std::nullopt;
    return entries;
}

std::optional<SectionHeading> parseSectionHeading(const QString &line)
{
    static const QRegularExpression heading(QStringLiteral(
        "^" SP "*((?:[一二三四五六七八九十]+" SP "*[、.．]|第[一二三四五六七八九十0-9]+部分" SP "*[:：]?|[（(][一二三四五六七八九十]+[)）])" SP
        "*)?(单项选择题|单选题|多项选择题|多选题|不定项选择题|选择题|判断题|是非题|判断正误题|简答题|问答题|论述题|名词解释|计算题|填空题)"
        SP "*(.*)$"));
    static const QRegularExpression perQuestion(
        QStringLiteral("每" SP "*(?:小)?题" SP "*([0-9０-９]+(?:[.．][0-9０-９]+)?)" SP "*分"));
    const QRegularExpressionMatch match = heading.match(line);
    if (!match.hasMatch())
        return std::nullopt;
    const QString rest = trimSpaces(match.captured(3));
    // Without a numeral before it, the name is the whole line but for a note
    // in brackets; with one, any note may follow.
    const bool numbered = match.capturedLength(1) > 0;
    const bool bracketed = rest.isEmpty() || ((rest.startsWith(u'（') || rest.startsWith(u'(')) &&
                                              (rest.endsWith(u'）') || rest.endsWith(u')')));
    if (rest.size() > 80 || (!numbered && !bracketed && rest != u"：" && rest != u":"))
        return std::nullopt;
    const QString name = match.captured(2);
    SectionHeading section;
    if (name.contains(u"多") || name.contains(u"不定项"))
        section.type = QuestionType::MultipleChoice;
    else if (name.contains(u"选择") || name == u"单选题")
        section.type = QuestionType::SingleChoice;
    else if (name.contains(u"判断") || name == u"是非题")
        section.type = QuestionType::TrueFalse;
    else
        section.type = QuestionType::FreeAnswer;
    if (const QRegularExpressionMatch score = perQuestion.match(rest); score.hasMatch())
        section.score = score.captured(1).normalized(QString::NormalizationForm_KC);
    return section;
}

ConventionsReader::ConventionsReader(std::unique_ptr<ParagraphSource> source) : m_source(std::move(source)) {}

ConventionsReader::~ConventionsReader() = default;

bool ConventionsReader::next(RawQuestion &question)
{
    for (;;) {
        if (!m_error.isEmpty())
            return false;
        if (release(question))
            return true;
        if (m_ended || !m_error.isEmpty())
            return false;
        // A long stretch of paragraphs that give no question (blank lines)
        // is read here in one call: stopping is asked for each.
        if (readingStopped()) {
            m_error = kStoppedReading;
            return false;
        }
        SourceParagraph paragraph;
        if (m_source->nextParagraph(paragraph)) {
            take(paragraph);
            continue;
        }
        if (!m_source->error().isEmpty())
            return false;
        finishQuestion();
        m_ended = true;
    }
}

bool ConventionsReader::release(RawQuestion &question)
{
    // A question without an answer waits: the key at the end may give it one.
    if (m_held.isEmpty() || (m_held.firstWaits() && !m_ended))
        return false;
    if (!m_held.take(question)) {
        m_error = m_held.error();
        return false;
    }
    if (m_held.isEmpty())
        m_unanswered.clear();
    return true;
}

void ConventionsReader::push(Entry entry)
{
    const bool waits = entry.question.unplaced.isEmpty() && trimSpaces(entry.question.answer).isEmpty();
    if (waits && entry.number >= 0)
        m_unanswered[entry.number].push_back({m_held.nextIndex(), entry.sectionType});
    if (!m_held.push(std::move(entry.question), waits))
        m_error = m_held.error();
}

void ConventionsReader::unplaced(const SourceParagraph &paragraph, const QString &reason)
{
    Entry entry;
    entry.question.line = paragraph.number;
    entry.question.text = paragraph.text;
    entry.question.unplaced = reason;
    push(std::move(entry));
}

void ConventionsReader::applyKey(const QList<KeyEntry> &entries)
{
    for (const KeyEntry &key : entries) {
        auto found = m_unanswered.find(key.number);
        if (found == m_unanswered.end())
            continue;
        std::vector<Unanswered> &waiting = found.value();
        for (auto it = waiting.begin(); it != waiting.end(); ++it) {
            if (m_keyType && it->sectionType != m_keyType)
                continue;
            m_held.answer(it->index, key.answer);
            waiting.erase(it);
            break;
        }
    }
}

bool ConventionsReader::startsAnswerKey(const QString &text) const
{
    return keyHeadingPattern().match(text).hasMatch();
}

bool ConventionsReader::takeAnswerKey(const SourceParagraph &paragraph)
{
    const QString text = trimSpaces(paragraph.text);
    if (const auto heading = parseSectionHeading(text)) {
        m_keyType = heading->type;
        m_keyHeading = heading;
        return true;
    }
    if (startsAnswerKey(text))
        return true;
    if (const auto entries = parseAnswerKeyLine(text)) {
        m_keyHeading.reset();
        applyKey(*entries);
        return true;
    }
    return false;
}

void ConventionsReader::take(const SourceParagraph &paragraph)
{
    if (paragraph.tableQuestion) {
        finishQuestion();
        m_inKey = false;
        Entry entry;
        entry.question = *paragraph.tableQuestion;
        entry.question.line = paragraph.number;
        if (!entry.question.type)
            entry.question.type = m_sectionType;
        if (trimSpaces(entry.question.score).isEmpty())
            entry.question.score = m_sectionScore;
        entry.sectionType = m_sectionType;
        push(std::move(entry));
        return;
    }
    const QString text = trimSpaces(paragraph.text);
    if (text.isEmpty()) {
        if (m_draft && !paragraph.pictures.isEmpty())
            m_draft->pictures += paragraph.pictures;
        else if (!paragraph.pictures.isEmpty())
            unplaced(paragraph, QStringLiteral("图片不在任何题目中"));
        if (m_draft && paragraph.pictures.isEmpty())
            m_draft->afterBlank = true;
        return;
    }
    if (m_keyMayFollow) {
        m_keyMayFollow = false;
        // "参考答案" under a question without an answer, then a key line or a
        // section heading: the key starts, and its heading names the bank
        // its numbers belong to.
        if (parseAnswerKeyLine(text) || parseSectionHeading(text)) {
            m_inKey = true;
            finishQuestion();
        }
    }
    if (m_inKey) {
        if (takeAnswerKey(paragraph))
            return;
        if (!numberPattern().match(text).hasMatch()) {
            unplaced(paragraph, QStringLiteral("答案表中无法识别这一段"));
            return;
        }
        m_inKey = false;
        if (m_keyHeading) {
            finishQuestion();
            m_sectionType = m_keyHeading->type;
            m_sectionScore = m_keyHeading->score;
            m_keyHeading.reset();
        }
    }
    if (const auto heading = parseSectionHeading(text)) {
        finishQuestion();
        m_sectionType = heading->type;
        m_sectionScore = heading->score;
        return;
    }
    if (keyHeadingPattern().match(text).hasMatch()) {
        // "答案：" or "【答案】" alone under a question that has none: the
        // answer may be on the next line, or an answer key may start.
        if (m_draft && trimSpaces(m_draft->answer).isEmpty()) {
            m_draft->setPart(QStringLiteral("答案"), QString());
            m_keyMayFollow = true;
            return;
        }
        finishQuestion();
        m_inKey = true;
        return;
    }
    if (const auto entries = parseAnswerKeyLine(text); entries && entries->size() >= 2) {
        finishQuestion();
        m_inKey = true;
        applyKey(*entries);
        return;
    }
    if (const QRegularExpressionMatch number = numberPattern().match(paragraph.text); number.hasMatch()) {
        startQuestion(paragraph, writtenNumber(firstCaptured(number)), paragraph.text.mid(number.capturedEnd()));
        return;
    }
    if (!m_draft) {
        unplaced(paragraph, QStringLiteral("不属于任何题目：前面没有题号"));
        return;
    }
    continueQuestion(paragraph);
}

void ConventionsReader::startQuestion(const SourceParagraph &paragraph, qint64 number, const QString &stem)
{
    finishQuestion();
    m_draft = std::make_unique<Draft>();
    m_draft->line = paragraph.number;
    m_draft->number = number;
    m_draft->stem = stem;
    m_draft->pictures = paragraph.pictures;
    m_draft->length = stem.size();
}

void ConventionsReader::continueQuestion(const SourceParagraph &paragraph)
{
    Draft &draft = *m_draft;
    draft.length += paragraph.text.size();
    if (draft.length > kMostRowBytes) {
        m_error = QStringLiteral("第%1%2起的题目超过1 MB，文件无法读取").arg(draft.line).arg(m_source->positionName());
        return;
    }
    const QString &text = paragraph.text;
    if (const QRegularExpressionMatch key = keyStartPattern().match(text); key.hasMatch()) {
        // Several keys may share a line: "答案：B  解析：…".
        QString name = firstCaptured(key);
        qsizetype from = key.capturedEnd();
        for (;;) {
            const QRegularExpressionMatch further = keyInsidePattern().match(text, from);
            const qsizetype end = further.hasMatch() ? further.capturedStart() : text.size();
            draft.setPart(name, text.mid(from, end - from));
            if (!further.hasMatch())
                break;
            name = firstCaptured(further);
            from = further.capturedEnd();
        }
    } else if (const QList<QPair<QChar, QString>> options = splitOptions(text); !options.isEmpty()) {
        draft.options += options;
        draft.part = Draft::Part::Option;
    } else if (draft.afterBlank && !trimSpaces(draft.answer).isEmpty()) {
        // Text after a finished question and an empty paragraph belongs to none.
        const SourceParagraph copy = paragraph;
        finishQuestion();
        unplaced(copy, QStringLiteral("不属于任何题目：上一题已结束，这一段前面没有题号"));
        return;
    } else {
        draft.append(text);
    }
    draft.pictures += paragraph.pictures;
    draft.afterBlank = false;
}

void ConventionsReader::finishQuestion()
{
    if (!m_draft)
        return;
    Draft &draft = *m_draft;
    draft.takeBracketAnswer();
    Entry entry;
    RawQuestion &q = entry.question;
    q.line = draft.line;
    q.text = draft.text();
    q.answer = trimSpaces(draft.answer);
    q.explanation = trimSpaces(draft.explanation);
    q.score = trimSpaces(draft.score).isEmpty() ? m_sectionScore : trimSpaces(draft.score);
    q.chapter = trimSpaces(draft.chapter).isEmpty() ? trimSpaces(draft.knowledge) : trimSpaces(draft.chapter);
    q.type = m_sectionType;
    q.pictures = std::move(draft.pictures);
    entry.number = draft.number;
    entry.sectionType = m_sectionType;
    m_draft.reset();
    push(std::move(entry));
}

} // namespace kaoshi
