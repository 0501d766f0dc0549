#include "import/PreviewModel.h"

#include "import/ImportPreview.h"
#include "practice/QuestionLayout.h"

#include <QColor>

namespace kaoshi {

namespace {
const QStringList &titles()
{
    static const QStringList names{QStringLiteral("行号"), QStringLiteral("题目"), QStringLiteral("标准答案"),
                                   QStringLiteral("解析"), QStringLiteral("分值"), QStringLiteral("章节"),
                                   QStringLiteral("状态"), QStringLiteral("题库")};
    return names;
}
} // namespace

void PreviewModel::setPreview(const ImportPreview *preview)
{
    beginResetModel();
    m_preview = preview;
    m_shown = preview ? int(preview->rows().size()) : 0;
    endResetModel();
}

void PreviewModel::showNewRows()
{
    const int total = m_preview ? int(m_preview->rows().size()) : 0;
    if (total <= m_shown)
        return;
    beginInsertRows({}, m_shown, total - 1);
    m_shown = total;
    endInsertRows();
}

int PreviewModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_shown; }

int PreviewModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant PreviewModel::data(const QModelIndex &index, int role) const
{
    if (!m_preview || !index.isValid() || index.row() >= m_shown)
        return {};
    const PreviewRow &row = m_preview->rows()[size_t(index.row())];
    if (role == Qt::BackgroundRole) {
        if (row.status == RowStatus::Refused)
            return QColor(255, 220, 220);
        if (row.status == RowStatus::Duplicate)
            return QColor(255, 245, 200);
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case Line:
        return QString::number(row.line);
    case Text:
        return shownQuestionText(row.values.text);
    case Answer:
        return row.values.answer;
    case Explanation:
        return row.values.explanation;
    case Score:
        return row.shownScore;
    case Chapter:
        return row.values.chapter;
    case Status:
        return ImportPreview::statusText(row);
    case Bank:
        return row.type ? typeCaption(*row.type) : QString();
    default:
        return {};
    }
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return section == Line ? m_lineTitle : titles()[section];
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace kaoshi
