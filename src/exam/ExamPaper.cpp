#include "exam/ExamPaper.h"

#include "data/BankTable.h"
#include "data/Schema.h"

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
        const qsizetype bank = questionTypes().indexOf(item.type);
        if (bank < 0)
            continue;
        m_numbers[size_t(bank)].push_back(item.number);
        m_answers[size_t(bank)].push_back(item.answer);
    }
}

void ExamPaper::setPart(int bank, std::vector<qint64> numbers)
{
    m_answers[size_t(bank)].assign(numbers.size(), QString());
    m_numbers[size_t(bank)] = std::move(numbers);
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

std::vector<int> ExamPaper::unansweredIndexes(int bank) const
{
    std::vector<int> indexes;
    for (int i = 0; i < partSize(bank); ++i)
        if (answer(bank, i).isEmpty())
            indexes.push_back(i);
    return indexes;
}

int ExamPaper::position(int bank, int index) const
{
    int before = 0;
    for (int b = 0; b < bank; ++b)
        before += partSize(b);
    return before + index;
}

std::vector<PaperItem> ExamPaper::items() const
{
    std::vector<PaperItem> items;
    items.reserve(size_t(total()));
    for (int bank = 0; bank < 4; ++bank)
        for (int i = 0; i < partSize(bank); ++i)
            items.push_back({questionTypes()[bank], m_numbers[size_t(bank)][size_t(i)], answer(bank, i)});
    return items;
}

std::array<qint64, 4> drawCounts(const ExamConfig &config) { return {config[0], config[1], config[2], config[3]}; }

qint64 timeLimitSeconds(const ExamConfig &config)
{
    constexpr qint64 kMostMinutes = 365 * 24 * 60;
    return std::clamp<qint64>(config[4], 0, kMostMinutes) * 60;
}

PaperDraw drawPaper(DataStore &store, const std::array<qint64, 4> &counts, QRandomGenerator &generator)
{
    PaperDraw draw;
    draw.wanted = counts;
    for (int bank = 0; bank < 4; ++bank) {
        if (counts[size_t(bank)] <= 0)
            continue;
        std::optional<std::vector<qint64>> pool = bank::questionNumbers(store, questionTypes()[bank]);
        if (!pool) {
            draw.failed = true;
            return draw;
        }
        draw.paper.setPart(bank, drawDistinct(std::move(*pool), counts[size_t(bank)], generator));
    }
    return draw;
}

QString drawReport(const PaperDraw &draw)
{
    QStringList parts;
    QStringList short_;
    for (int bank = 0; bank < 4; ++bank) {
        const QString &type = questionTypes()[bank];
        const int drawn = draw.paper.partSize(bank);
        parts << QStringLiteral("%1 %2 题").arg(type).arg(drawn);
        if (draw.wanted[size_t(bank)] > drawn)
            short_ << QStringLiteral("%1题库只有 %2 题,少于配置的 %3 题").arg(type).arg(drawn).arg(draw.wanted[size_t(bank)]);
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
