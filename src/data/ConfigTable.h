#pragma once
// The statements of table 配置: its one row holds how many questions of each
// kind a mock paper draws and the exam time setting.
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace kaoshi {

class DataStore;

// The five integer columns, in the order the configuration dialog shows them:
// 单选抽题, 多选抽题, 判断抽题, 问答抽题, 计时.
inline constexpr int kExamConfigFields = 5;
const QStringList &examConfigColumns();

using ExamConfig = std::array<qint64, kExamConfigFields>;

// The row of 配置, read through a table cursor; nothing when the table cannot
// be read or holds no row.
std::optional<ExamConfig> readExamConfig(DataStore &store);

// Sets every row of 配置 to these values; a table without a row gets one.
// One unit: false (and the engine's reason in the store) when it failed.
bool storeExamConfig(DataStore &store, const ExamConfig &config);

} // namespace kaoshi
