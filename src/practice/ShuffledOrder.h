#pragma once
// The random order in which random practice walks a bank.
#include <QtGlobal>
#include <vector>

namespace kaoshi {

// A small, fast pseudo-random generator (splitmix64). Random practice
// reseeds it before every draw, so seeding must be cheap.
class SeededGenerator
{
public:
    void seed(quint64 seed) { m_state = seed; }
    // The next raw value, never negative.
    qint64 next();
    // a + (next mod (b − a + 1)): an integer between a and b inclusive.
    qint64 between(qint64 a, qint64 b);

private:
    quint64 m_state = 0;
};

// The integers 1 … n; take(r) removes and returns the r-th of those left.
// A Fenwick tree over the presence of each integer keeps every take at
// O(log n), so emptying a pool of n integers is O(n log n).
class RemainingPool
{
public:
    explicit RemainingPool(qint64 count);
    qint64 size() const { return m_left; }
    // r counts from 1 and must lie in 1 … size().
    qint64 take(qint64 r);

private:
    std::vector<qint64> m_tree; // 1-based Fenwick tree of counts
    qint64 m_left = 0;
    qint64 m_highBit = 1;
};

// The seed of one draw: milliseconds since system start plus the running
// offset; the offset then grows by (seed mod 256) + 100.
quint64 nextClockSeed(qint64 millisecondsSinceStart, qint64 &runningOffset);

// A random permutation of 1 … count. The generator is seeded with seed; then
// for every position a number s in 0 … 276447231 is drawn and becomes the
// new seed, and r in 1 … (numbers left) picks the r-th remaining number.
std::vector<qint64> drawShuffledOrder(qint64 count, quint64 seed);

} // namespace kaoshi
