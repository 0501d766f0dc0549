#pragma once
// The statements of the printed papers: table 印卷 (one row per variant of a
// print run: title, 场次, when, letter and seed) and 印卷题目 (the questions
// of each variant in printed order with the order their options were printed
// in). They let a key be printed again and answers typed from a paper sheet
// be graded against the variant the candidate had. Files made before papers
// were printed lack both tables; they are made when first needed.
#include "data/DataStore.h"
#include "data/QuestionType.h"

#include <QList>
#include <QString>
#include <optional>
#include <vector>

namespace kaoshi {

// One question of a variant.
struct PrintedItem {
    QuestionType type = QuestionType::SingleChoice;
    qint64 number = 0; // 题号
    // The original options in printed order (0 is A): {2, 0, 1} printed C
    // first, then A, then B. Empty: as written.
    QList<int> optionOrder;
    bool operator==(const PrintedItem &) const = default;
};

struct PrintedVariant {
    int index = 0;   // 0 is variant A
    qint64 seed = 0; // what its question and option order were drawn from
    std::vector<PrintedItem> items;
    bool operator==(const PrintedVariant &) const = default;
};

struct PrintedRun {
    qint64 id = 0; // 批号, given when stored
    QString title;
    QString occasion; // 场次
    QString printedAt;
    std::vector<PrintedVariant> variants;
};

// Makes the two tables when the file lacks them; false when it cannot.
bool ensurePrintedPaperTables(DataStore &store);

// Stores every variant of the run as one unit and gives the run its 批号
// (run.id); false, with nothing stored, when it failed.
bool storePrintedRun(DataStore &store, PrintedRun &run);

// The stored runs, newest first, without their questions (variants hold
// only index and seed). Nothing when the tables cannot be read.
std::optional<std::vector<PrintedRun>> listPrintedRuns(DataStore &store);

// A stored run with every variant and question; nothing when it cannot be
// read or does not exist.
std::optional<PrintedRun> loadPrintedRun(DataStore &store, qint64 id);

// The variant with that letter index of the newest run for the 场次.
std::optional<PrintedVariant> findPrintedVariant(DataStore &store, const QString &occasion, int index);

// The letter of a variant: "A" for 0, "B" for 1 …
QString variantLetter(int index);

// "CAB" for {2, 0, 1}; "" for as written. And back; nothing for a text that
// is not such a letter order.
QString optionOrderText(const QList<int> &order);
std::optional<QList<int>> optionOrderOfText(const QString &text);

} // namespace kaoshi
