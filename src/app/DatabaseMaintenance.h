#pragma once
namespace kaoshi {

class DataStore;

// Empties the four question banks and the picture rows that belong to them.
// The tables 评分, 配置 and 临时, the picture files and settings stay.
void clearAllBanks(DataStore &store);

} // namespace kaoshi
