#pragma once
// The invigilator's reading of a room: the seats of one 场次 with how far
// each candidate has got (answered and drawn questions, from the kept paper
// while it is kept and from 评分 once it is handed in) and the database's
// clock, all in one grouped statement, so that a room of 200 seats is read in
// one round trip every few seconds.
#include "data/RoomTable.h"

#include <QStringList>
#include <optional>

namespace kaoshi {

class DataStore;

RoomListing readConsoleRoom(DataStore &store, const QString &occasion);

// The occasions that have seats, the latest first; nothing when unreadable.
std::optional<QStringList> consoleOccasions(DataStore &store);

} // namespace kaoshi
