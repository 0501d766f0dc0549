#include "data/PaperParts.h"

#include <QStringList>
#include <algorithm>

namespace kaoshi {

namespace {

// Numbers bound per statement: far below what either engine takes, and
// more than a paper holds.
constexpr qsizetype kNumbersPerStatement = 2000;

} // namespace

std::vector<std::vector<PartPiece>> groupParts(const PartNumbers &parts, qsizetype limit)
{
    std::vector<std::vector<PartPiece>> groups(1);
    qsizetype room = limit;
    for (QuestionType type : allQuestionTypes()) {
        std::span<const qint64> rest(parts[size_t(typeIndex(type))]);
        while (!rest.empty()) {
            if (room == 0) {
                groups.emplace_back();
                room = limit;
            }
            const size_t taken = std::min(rest.size(), size_t(room));
            groups.back().push_back({type, rest.first(taken)});
            rest = rest.subspan(taken);
            room -= qsizetype(taken);
        }
    }
    if (groups.back().empty())
        groups.pop_back();
    return groups;
}

QString placeholders(qsizetype count)
{
    if (count <= 0)
        return QString();
    QString marks(count * 2 - 1, QLatin1Char('?'));
    for (qsizetype i = 1; i < marks.size(); i += 2)
        marks[i] = QLatin1Char(',');
    return marks;
}

bool readPartRows(DataStore &store, const PartNumbers &parts,
                  const std::function<QString(const PartPiece &piece, Values &values)> &selectOf,
                  const QString &order, const std::function<void(const RowSet &row)> &readRow)
{
    for (const std::vector<PartPiece> &group : groupParts(parts, kNumbersPerStatement)) {
        QStringList selects;
        Values values;
        for (const PartPiece &piece : group) {
            selects << selectOf(piece, values);
            for (qint64 number : piece.numbers)
                values.append(number);
        }
        RowSet rows = store.query(selects.join(QStringLiteral(" union all ")) + QStringLiteral(" order by ") + order,
                                  values);
        for (; !rows.atEnd(); rows.next())
            readRow(rows);
        if (rows.failed())
            return false;
    }
    return true;
}

} // namespace kaoshi
