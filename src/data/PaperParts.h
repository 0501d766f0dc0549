#pragma once
// The 题号 of a paper, bank by bank, and the statements that read what
// belongs to them: a paper's questions and picture rows are read together,
// one statement for every bank at once, cut only where a statement would
// bind more numbers than an engine takes well.
#include "data/DataStore.h"
#include "data/QuestionType.h"

#include <array>
#include <functional>
#include <span>
#include <vector>

namespace kaoshi {

// The 题号 of each bank's part, in processing order.
using PartNumbers = std::array<std::vector<qint64>, kQuestionTypeCount>;

// A bank and a run of its 题号.
struct PartPiece {
    QuestionType type = QuestionType::SingleChoice;
    std::span<const qint64> numbers;
};

// The pieces of the parts, grouped so that no group holds more than `limit`
// numbers; banks without numbers are left out.
std::vector<std::vector<PartPiece>> groupParts(const PartNumbers &parts, qsizetype limit);

// "?,?,?" for count values.
QString placeholders(qsizetype count);

// One statement per group of pieces: the selects that selectOf makes for
// each piece (binding the piece's numbers after its own values), joined by
// union all and ordered by `order`; readRow takes each row. false when a
// statement failed (the store's last error says why).
bool readPartRows(DataStore &store, const PartNumbers &parts,
                  const std::function<QString(const PartPiece &piece, Values &values)> &selectOf,
                  const QString &order, const std::function<void(const RowSet &row)> &readRow);

} // namespace kaoshi
