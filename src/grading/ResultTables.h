#pragma once
// The tables of the results analysis as rows of texts, ready for a view, the
// print window and the workbook: numbers in plain decimal (so that a
// spreadsheet reads them as numbers), "—" where a value cannot be computed,
// and a note (with its reason) on the cells that need a look.
#include "grading/Analysis.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace kaoshi {

struct TableCell {
    QString text;
    QString note; // why the cell is marked; "" for a plain cell
};

struct ResultTable {
    QString name; // the tab and the print window's caption start with it
    QStringList titles;
    std::vector<std::vector<TableCell>> rows;
};

inline const QString kNotComputable = QStringLiteral("—");

// A value rounded to `decimals` places in plain decimal, or "—".
QString statisticText(const std::optional<double> &value, int decimals);

ResultTable summaryTable(const ResultAnalysis &analysis, const AnalysisSettings &settings);
ResultTable bandTable(const ResultAnalysis &analysis);
ResultTable questionTable(const ResultAnalysis &analysis);
ResultTable optionTable(const ResultAnalysis &analysis);

// A band as the chart and the table name it: "60~70".
QString bandLabel(const ScoreBand &band);

} // namespace kaoshi
