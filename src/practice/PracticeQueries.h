#pragma once
// What the practice windows read from the banks besides the number range of
// each bank (bank::readBounds): the wrong-question list. The statements
// belong to the bank table.
#include "data/BankTable.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace kaoshi {

class DataStore;
class RowSource;

// The rows of the wrong-question list: every question of the four banks
// whose practice answer is not empty and differs from its standard answer,
// bank by bank in ascending 题号. Each row has the six grid columns:
// (hidden), 题号, 题型, 题目, 标准答案, 练习答案.
inline constexpr int kWrongListColumns = 6;
const QStringList &wrongListTitles();
const std::vector<int> &wrongListWidths();
// The list, read as its rows come into view; nothing when it cannot be read.
std::shared_ptr<RowSource> wrongQuestionListing(DataStore &store);

} // namespace kaoshi
