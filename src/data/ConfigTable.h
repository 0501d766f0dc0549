#pragma once
// The statements of table 配置: its one row holds how many questions of each
// kind a mock paper draws and the exam time setting.
#include "data/QuestionType.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

namespace kaoshi {

class DataStore;

struct ExamSettings {
    std::array<qint64, kQuestionTypeCount> draws{}; // 单选抽题 … 问答抽题
    qint64 minutes = 0;                             // 计时

    qint64 draw(QuestionType type) const { return draws[size_t(typeIndex(type))]; }
    // The five values in the order the configuration dialog shows them.
    static constexpr int kFields = kQuestionTypeCount + 1;
    std::array<qint64, kFields> fields() const;
    static ExamSettings fromFields(const std::array<qint64, kFields> &fields);
    bool operator==(const ExamSettings &) const = default;
};

// The captions of the five values in the configuration dialog: 单选抽题,
// 多选抽题, 判断抽题, 问答抽题, 计时.
const QStringList &examSettingsCaptions();

// The row of 配置; nothing when the table cannot be read or holds no row. A
// NULL or non-integer cell reads as 0.
std::optional<ExamSettings> readExamSettings(DataStore &store);

// Sets every row of 配置 to these values; a table without a row gets one.
// One unit: false (and the engine's reason in the store) when it failed.
bool storeExamSettings(DataStore &store, const ExamSettings &settings);

// How a candidate's paper is shuffled, kept in table 配置项 (名称, 值) beside
// 配置, so that files made before it keep their 配置 unchanged; a missing
// table or key reads as the default.
struct PaperShuffle {
    bool questions = true; // 打乱题序: each bank's questions in an order of their own per candidate
    bool options = false;  // 打乱选项: the options of 单选/多选 questions that split cleanly
    bool operator==(const PaperShuffle &) const = default;
};
// nothing when the table exists but cannot be read.
std::optional<PaperShuffle> readPaperShuffle(DataStore &store);
// Makes 配置项 when missing; one unit.
bool storePaperShuffle(DataStore &store, const PaperShuffle &shuffle);

} // namespace kaoshi
