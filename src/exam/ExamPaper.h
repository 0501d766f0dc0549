#pragma once
// A mock exam paper without its window: the draw per 配置, the answers given,
// the countdown and what the hand-in stores.
#include "data/ConfigTable.h"
#include "data/PaperTable.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

class QRandomGenerator;

namespace kaoshi {

class DataStore;

// count distinct entries of pool, in random order; all of pool (shuffled)
// when it holds fewer, none for a count of 0 or less.
std::vector<qint64> drawDistinct(std::vector<qint64> pool, qint64 count, QRandomGenerator &generator);

// The paper: one part per bank, in the order of the banks, each part in the
// order drawn.
class ExamPaper
{
public:
    ExamPaper() = default;
    // A kept paper.
    explicit ExamPaper(const std::vector<PaperItem> &items);

    const std::vector<qint64> &part(QuestionType type) const { return m_numbers[at(type)]; }
    void setPart(QuestionType type, std::vector<qint64> numbers);
    int partSize(QuestionType type) const { return int(m_numbers[at(type)].size()); }
    int total() const;
    int answered() const;
    int unanswered() const { return total() - answered(); }
    // The 0-based indexes of a bank's part still without an answer, in order.
    std::vector<int> unansweredIndexes(QuestionType type) const;

    // index: 0-based within the bank's part.
    QString answer(QuestionType type, int index) const { return m_answers[at(type)][size_t(index)]; }
    void setAnswer(QuestionType type, int index, const QString &answer) { m_answers[at(type)][size_t(index)] = answer; }
    // Position in the whole paper (the kept 序号).
    int position(QuestionType type, int index) const;

    std::vector<PaperItem> items() const;

private:
    static size_t at(QuestionType type) { return size_t(typeIndex(type)); }

    std::array<std::vector<qint64>, kQuestionTypeCount> m_numbers;
    std::array<std::vector<QString>, kQuestionTypeCount> m_answers;
};

// 计时 is in minutes, 0 or less for no limit; held below a year so that the
// clock arithmetic stays exact.
qint64 timeLimitSeconds(const ExamSettings &settings);

using DrawCounts = std::array<qint64, kQuestionTypeCount>;
struct PaperDraw {
    ExamPaper paper;
    DrawCounts wanted{}; // the counts asked for, in processing order
    bool failed = false; // a bank could not be read
};
// Draws from the four banks as the counts of 配置 ask; each bank's part in
// the order drawn when shuffled (打乱题序), else in 题号 order.
PaperDraw drawPaper(DataStore &store, const DrawCounts &counts, QRandomGenerator &generator, bool shuffleQuestions);

// What the candidate is told about a draw: how many questions of each bank,
// and which banks had fewer than asked for.
QString drawReport(const PaperDraw &draw);

// The time left, counted down from a start with a clock in milliseconds.
class Countdown
{
public:
    void start(qint64 secondsLeft, qint64 nowMilliseconds);
    bool isRunning() const { return m_running; }
    void stop() { m_running = false; }
    // Whole seconds left, rounded up, never below 0.
    qint64 secondsLeft(qint64 nowMilliseconds) const;

private:
    qint64 m_endMilliseconds = 0;
    bool m_running = false;
};

// "剩余时间 1:05:09" or "剩余时间 05:09".
QString remainingTimeText(qint64 seconds);

} // namespace kaoshi
