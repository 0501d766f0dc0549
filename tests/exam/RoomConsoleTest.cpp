// What the console shows of a seat and when it hands a paper in itself.
#include "exam/RoomConsole.h"

#include <QDateTime>
#include <gtest/gtest.h>

using namespace kaoshi;

namespace {

constexpr qint64 kNow = 1'800'000'000'000;

RoomSeat seatAt(qint64 heartbeatAgoMs, qint64 deadlineInMs, const QString &state = kSeatAnswering)
{
    RoomSeat seat;
    seat.heartbeat = kNow - heartbeatAgoMs;
    seat.deadline = deadlineInMs == -1 ? -1 : kNow + deadlineInMs;
    seat.state = state;
    return seat;
}

} // namespace

TEST(RoomConsole, StateTimeLeftAndWhoHandsIn)
{
    const struct {
        RoomSeat seat;
        SeatState state;
        QString left;
        bool consoleHandsIn;
        bool overdue; // handed in by a refresh
    } cases[] = {
        {seatAt(3'000, 1'800'000), SeatState::Answering, "30:00", false, false},
        {seatAt(15'000, 64'200), SeatState::Answering, "1:05", false, false},
        // Silent for more than 15 s: lost, and 收卷 hands its paper in; within
        // its time nothing else does.
        {seatAt(15'001, 65'000), SeatState::Lost, "1:05", true, false},
        {seatAt(3'000, (3 * 3600 + 61) * 1000), SeatState::Answering, "3:01:01", false, false},
        {seatAt(3'000, -1), SeatState::Answering, "不限时", false, false},
        {seatAt(600'000, -1), SeatState::Lost, "不限时", true, false},
        // Just past its deadline: a seat that answers hands itself in first.
        {seatAt(3'000, -9'999), SeatState::Answering, "0:00", true, false},
        // Past its deadline by the grace: handed in whether the seat beats or not.
        {seatAt(3'000, -10'000), SeatState::Answering, "0:00", true, true},
        {seatAt(600'000, -600'000), SeatState::Lost, "0:00", true, true},
        {seatAt(600'000, -10'000, kSeatHandedIn), SeatState::HandedIn, "", false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.left.toStdString());
        EXPECT_EQ(seatState(c.seat, kNow), c.state);
        EXPECT_EQ(timeLeftText(c.seat, kNow), c.left);
        EXPECT_EQ(consoleHandsIn(c.seat, kNow), c.consoleHandsIn);
        EXPECT_EQ(paperIsOverdue(c.seat, kNow), c.overdue);
    }
}

TEST(RoomConsole, RowCellsAndSummary)
{
    RoomSeat seat = seatAt(2'000, 125'000);
    seat.number = "A01";
    seat.name = "张三";
    seat.seat = "seat-01";
    seat.start = kNow - 600'000;
    seat.answered = 7;
    seat.total = 30;
    const QStringList cells = consoleCells(seat, kNow);
    EXPECT_EQ(cells.size(), consoleTitles().size());
    EXPECT_EQ(cells, (QStringList{"A01", "张三", "seat-01",
                                  QDateTime::fromMSecsSinceEpoch(kNow - 600'000).toString("HH:mm:ss"), "7/30", "2:05",
                                  "答题中"}));
    seat.seat.clear();
    EXPECT_EQ(consoleCells(seat, kNow)[2], "（已释放）");
    EXPECT_TRUE(roomSummary({seat, seatAt(40'000, 60'000), seatAt(0, 0, kSeatHandedIn), seatAt(99'000, 0)}, kNow)
                    .startsWith(QStringLiteral("共4人：答题中1，已交卷1，失去联系2")));
}
