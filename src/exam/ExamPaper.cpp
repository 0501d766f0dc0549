#include "exam/ExamPaper.h"

#include "data/BankTable.h"

#include <QRandomGenerator>
#include <algorithm>

namespace kaoshi {

std::vector<qint64> drawDistinct(std::vector<qint64> pool, qint64 count, QRandomGenerator &generator)
{
    const size_t take = count <= 0 ? 0 : std::min(size_t(count), pool.size());
    // The first take places of a partial Fisher–Yates shuffle.
    for (size_t i = 0; i < take; ++i) {
        const size_t j = i + size_t(generator.bounded(quint64(pool.size() - i)));
        std::swap(pool[i], pool[j]);
    }
    pool.resize(take);
    return pool;
}

ExamPaper::ExamPaper(const std::vector<PaperItem> &items)
{
    for (const PaperItem &item : items) {
        m_numbers[at(item.type)].push_back(item.number);
        m_answers[at(item.type)].push_back(item.answer);
    }
}

void ExamPaper::setPart(QuestionType type, std::vector<qint64> numbers)
{
    m_answers[at(type)].assign(numbers.size(), QString());
    m_numbers[at(type)] = std::move(numbers);
}

int ExamPaper::total() const
{
    int sum = 0;
    for (const auto &part : m_numbers)
        sum += int(part.size());
    return sum;
}

int ExamPaper::answered() const
{
    int sum = 0;
    for (const auto &answers : m_answers)
        for (const QString &answer : answers)
            sum += answer.isEmpty() ? 0 : 1;
    return sum;
}

std::vector<int> ExamPaper::unansweredIndexes(QuestionType type) const
{
    std::vector<int> indexes;
    for (int i = 0; i < partSize(type); ++i)
        if (answer(type, i).isEmpty())
            indexes.push_back(i);
    return indexes;
}

int ExamPaper::position(QuestionType type, int index) const
{
    int before = 0;
    for (size_t b = 0; b < at(type); ++b)
        before += int(m_numbers[b].size());
    return before + index;
}

std::vector<PaperItem> ExamPaper::items() const
{
    std::vector<PaperItem> items;
    items.reserve(size_t(total()));
    for (QuestionType type : allQuestionTypes())
        for (int i = 0; i < partSize(type); ++i)
            items.push_back({type, m_numbers[at(type)][size_t(i)], answer(type, i)});
    return items;
}

qint64 timeLimitSeconds(const ExamSettings &settings)
{
    constexpr qint64 kMostMinutes = 365 * 24 * 60;
    return std::clamp<qint64>(settings.minutes, 0, kMostMinutes) * 60;
}

PaperDraw drawPaper(DataStore &store, const DrawCounts &counts, QRandomGenerator &generator, bool shuffleQuestions)
{
    PaperDraw draw;
    draw.wanted = counts;
    for (QuestionType type : allQuestionTypes()) {
        const qint64 count = counts[size_t(typeIndex(type))];
        if (count <= 0)
            continue;
        std::optional<std::vector<qint64>> pool = bank::questionNumbers(store, type);
        if (!pool) {
            draw.failed = true;
            return draw;
        }
        std::vector<qint64> drawn = drawDistinct(std::move(*pool), count, generator);
        if (!shuffleQuestions)
            std::sort(drawn.begin(), drawn.end());
        draw.paper.setPart(type, std::move(drawn));
    }
    return draw;
}

QString drawReport(const PaperDraw &draw)
{
    QStringList parts;
    QStringList short_;
    for (QuestionType kind : allQuestionTypes()) {
        const QString type = typeCaption(kind);
        const int drawn = draw.paper.partSize(kind);
        const qint64 wanted = draw.wanted[size_t(typeIndex(kind))];
        parts << QStringLiteral("%1 %2 题").arg(type).arg(drawn);
        if (wanted > drawn)
            short_ << QStringLiteral("%1题库只有 %2 题,少于配置的 %3 题").arg(type).arg(drawn).arg(wanted);
    }
    QString text = QStringLiteral("本次试卷共 %1 题:").arg(draw.paper.total()) + parts.join(QStringLiteral(","));
    if (!short_.isEmpty())
        text += QStringLiteral("\n") + short_.join(QStringLiteral("\n"));
    return text;
}

void Countdown::start(qint64 secondsLeft, qint64 nowMilliseconds)
{
    m_endMilliseconds = nowMilliseconds + secondsLeft * 1000;
    m_running = true;
}

qint64 Countdown::secondsLeft(qint64 nowMilliseconds) const
{
    const qint64 left = m_endMilliseconds - nowMilliseconds;
    return left <= 0 ? 0 : (left + 999) / 1000;
}

QString remainingTimeText(qint64 seconds)
{
    const qint64 h = seconds / 3600, m = seconds / 60 % 60, s = seconds % 60;
    const QString clock = h > 0 ? QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'))
                                : QStringLiteral("%1:%2").arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("剩余时间 ") + clock;
}

} // namespace kaoshi
