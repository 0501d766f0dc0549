#pragma once
// The statements of the work table 临时 that grading rebuilds: one row per
// stored answer whose question exists in the bank of its kind, with that
// question's standard answer and score, and the totals read from it.
#include "data/DataStore.h"

#include <QString>
#include <optional>
#include <vector>

namespace kaoshi {

// Drops 临时 and makes it again from 评分 and the four banks, as one unit:
// when it fails, the earlier 临时 (or its absence) stays as it was.
bool rebuildWorkTable(DataStore &store);

// The rows 临时 is made of, and the statement that makes it on an engine
// (after "drop table if exists 临时"); the benchmark runs the same text
// through the sqlite3 tool.
QString workTableSelect();
QString workTableMakeStatement(const Engine &engine);

// The totals statement with its values: one row per 考号, 场次 and 姓名 with
// 总分, the sum of 分值 over the right answers (考生答案=标准答案). An empty
// number or occasion does not filter.
struct TotalsStatement {
    QString sql;
    Values values;
};
TotalsStatement totalsStatement(const QString &number, const QString &occasion);

struct CandidateTotal {
    QString number;   // 考号
    QString occasion; // 场次
    QString name;     // 姓名
    double total = 0; // 总分
};
// The totals from 临时; nothing when they cannot all be read (the store's
// last error says why).
std::optional<std::vector<CandidateTotal>> readTotals(DataStore &store, const QString &number, const QString &occasion);

} // namespace kaoshi
