#include "practice/ShuffledOrder.h"

namespace kaoshi {

qint64 SeededGenerator::next()
{
    quint64 z = (m_state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    z ^= z >> 31;
    return qint64(z >> 1);
}

qint64 SeededGenerator::between(qint64 a, qint64 b) { return a + next() % (b - a + 1); }

RemainingPool::RemainingPool(qint64 count) : m_tree(size_t(qMax<qint64>(count, 0)) + 1, 0), m_left(qMax<qint64>(count, 0))
{
    // Every integer is present once: build the tree in linear time.
    for (qint64 i = 1; i <= m_left; ++i) {
        m_tree[size_t(i)] += 1;
        const qint64 parent = i + (i & -i);
        if (parent <= m_left)
            m_tree[size_t(parent)] += m_tree[size_t(i)];
    }
    while (m_highBit * 2 <= m_left)
        m_highBit *= 2;
}

qint64 RemainingPool::take(qint64 r)
{
    if (r < 1 || r > m_left)
        return 0;
    // Descend to the smallest index whose prefix count reaches r.
    const qint64 n = qint64(m_tree.size()) - 1;
    qint64 position = 0;
    for (qint64 step = m_highBit; step > 0; step /= 2) {
        const qint64 probe = position + step;
        if (probe <= n && m_tree[size_t(probe)] < r) {
            position = probe;
            r -= m_tree[size_t(probe)];
        }
    }
    const qint64 found = position + 1;
    for (qint64 i = found; i <= n; i += i & -i)
        m_tree[size_t(i)] -= 1;
    --m_left;
    return found;
}

quint64 nextClockSeed(qint64 millisecondsSinceStart, qint64 &runningOffset)
{
    const qint64 seed = millisecondsSinceStart + runningOffset;
    runningOffset += ((seed % 256) + 256) % 256 + 100;
    return quint64(seed);
}

std::vector<qint64> drawShuffledOrder(qint64 count, quint64 seed)
{
    std::vector<qint64> order;
    if (count <= 0)
        return order;
    order.reserve(size_t(count));
    SeededGenerator generator;
    generator.seed(seed);
    RemainingPool pool(count);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 left = pool.size();
        generator.seed(quint64(generator.between(0, 276447231)));
        order.push_back(pool.take(generator.between(1, left)));
    }
    return order;
}

} // namespace kaoshi
