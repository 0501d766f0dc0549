#pragma once
// The block bar of "▉" characters shown while a list fills: one block more
// each time the row number passes another fifteenth of the total.
#include <QString>
#include <functional>

namespace kaoshi {

class StatusProgress
{
public:
    using Sink = std::function<void(const QString &)>;
    explicit StatusProgress(Sink sink = {}) : m_sink(std::move(sink)) {}
    void setSink(Sink sink) { m_sink = std::move(sink); }

    void start(qint64 total);
    // i is the 1-based number of the row about to be added.
    void step(qint64 i);
    void finish();

    int blocks() const { return m_blocks; }

private:
    Sink m_sink;
    qint64 m_total = 0;
    int m_blocks = 0;
};

} // namespace kaoshi
