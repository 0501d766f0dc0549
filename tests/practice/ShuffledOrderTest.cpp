#include "practice/ShuffledOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

using namespace kaoshi;

TEST(ShuffledOrder, PoolTakesTheRthRemainingNumber)
{
    // Against the plain list the draw rule describes, for every pool size up
    // to 40 and a mix of picks from the front, the back and the middle.
    for (qint64 n = 1; n <= 40; ++n) {
        RemainingPool pool(n);
        std::vector<qint64> plain(static_cast<size_t>(n));
        std::iota(plain.begin(), plain.end(), 1);
        for (qint64 step = 0; step < n; ++step) {
            const qint64 r = 1 + (step * 7 + n) % qint64(plain.size());
            EXPECT_EQ(pool.take(r), plain[size_t(r - 1)]) << "n=" << n << " step=" << step;
            plain.erase(plain.begin() + (r - 1));
            EXPECT_EQ(pool.size(), qint64(plain.size()));
        }
    }
    RemainingPool pool(3);
    EXPECT_EQ(pool.take(0), 0);
    EXPECT_EQ(pool.take(4), 0);
    EXPECT_EQ(pool.size(), 3);
}

TEST(ShuffledOrder, DrawsAPermutationThatDependsOnTheSeed)
{
    for (qint64 n : {0, 1, 5, 1000}) {
        std::vector<qint64> order = drawShuffledOrder(n, 12345);
        ASSERT_EQ(qint64(order.size()), n);
        std::sort(order.begin(), order.end());
        for (qint64 i = 0; i < n; ++i)
            EXPECT_EQ(order[size_t(i)], i + 1);
    }
    EXPECT_EQ(drawShuffledOrder(1000, 77), drawShuffledOrder(1000, 77));
    EXPECT_NE(drawShuffledOrder(1000, 77), drawShuffledOrder(1000, 78));
}

TEST(ShuffledOrder, ClockSeedGrowsTheRunningOffset)
{
    qint64 offset = 0;
    EXPECT_EQ(nextClockSeed(1000, offset), 1000u);
    EXPECT_EQ(offset, 1000 % 256 + 100);
    const qint64 before = offset;
    EXPECT_EQ(nextClockSeed(1000, offset), quint64(1000 + before));
    EXPECT_EQ(offset, before + (1000 + before) % 256 + 100);
}

TEST(ShuffledOrder, DrawsStayWithinTheirBounds)
{
    SeededGenerator generator;
    generator.seed(5);
    for (int i = 0; i < 10000; ++i) {
        const qint64 s = generator.between(0, 276447231);
        ASSERT_GE(s, 0);
        ASSERT_LE(s, 276447231);
        const qint64 r = generator.between(1, 3);
        ASSERT_GE(r, 1);
        ASSERT_LE(r, 3);
    }
}
