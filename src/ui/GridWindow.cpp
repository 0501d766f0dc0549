#include "ui/GridWindow.h"

#include "ui/ListGrid.h"

#include <algorithm>
#include <utility>

namespace kaoshi {

namespace {
// Above this a table view's own bookkeeping (8 bytes a row) would be
// megabytes; below it a list is shown whole, as it always was.
int g_threshold = 200000;
int g_windowRows = 4000;
} // namespace

GridWindow::GridWindow(GridModel *source, QObject *parent) : QAbstractTableModel(parent), m_source(source)
{
    connectSource();
}

void GridWindow::setWindowing(int threshold, int windowRows)
{
    g_threshold = std::max(threshold, 1);
    g_windowRows = std::clamp(windowRows, 1, g_threshold);
}

int GridWindow::threshold() { return g_threshold; }

int GridWindow::windowRows() { return g_windowRows; }

int GridWindow::totalRows() const { return m_source->rowCount(); }

void GridWindow::connectSource()
{
    connect(m_source, &QAbstractItemModel::modelAboutToBeReset, this, [this] { beginResetModel(); });
    connect(m_source, &QAbstractItemModel::modelReset, this, [this] {
        m_windowed = totalRows() >= g_threshold;
        m_window = {0, m_windowed ? std::min(g_windowRows, totalRows()) : totalRows()};
        endResetModel();
    });
    connect(m_source, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) { beginChange(first, last, true); });
    connect(m_source, &QAbstractItemModel::rowsInserted, this,
            [this] { endChange(true); });
    connect(m_source, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { beginChange(first, last, false); });
    connect(m_source, &QAbstractItemModel::rowsRemoved, this,
            [this] { endChange(false); });
    connect(m_source, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) {
                const int from = std::max(topLeft.row(), m_window.first);
                const int to = std::min(bottomRight.row(), m_window.first + m_window.count - 1);
                if (from <= to)
                    emit dataChanged(index(from - m_window.first, topLeft.column()),
                                     index(to - m_window.first, bottomRight.column()), roles);
            });
    connect(m_source, &QAbstractItemModel::headerDataChanged, this, &QAbstractItemModel::headerDataChanged);
}

// Rows first … last come or go. A short list that stays short passes the
// change on; rows after the window change only the list's length; any
// other change resets the view's model (and a list grown long gets a window).
void GridWindow::beginChange(int first, int last, bool inserted)
{
    if (!m_windowed && (!inserted || totalRows() + (last - first + 1) < g_threshold)) {
        if (inserted)
            beginInsertRows({}, first, last);
        else
            beginRemoveRows({}, first, last);
        m_pending = Pending::Forward;
        return;
    }
    if (m_windowed && first >= m_window.first + m_window.count) {
        m_pending = Pending::Length;
        return;
    }
    emit windowAboutToMove();
    beginResetModel();
    m_pending = Pending::Reset;
}

void GridWindow::endChange(bool inserted)
{
    const Pending pending = std::exchange(m_pending, Pending::None);
    switch (pending) {
    case Pending::Forward:
        m_window.count = totalRows();
        if (inserted)
            endInsertRows();
        else
            endRemoveRows();
        break;
    case Pending::Reset:
        m_windowed = true;
        placeWindow(m_window.first);
        endResetModel();
        emit windowMoved();
        break;
    case Pending::Length:
        emit lengthChanged();
        break;
    case Pending::None:
        break;
    }
}

void GridWindow::placeWindow(int top)
{
    const int count = std::min(g_windowRows, totalRows());
    m_window = {std::clamp(top, 0, std::max(totalRows() - count, 0)), count};
}

bool GridWindow::hold(int top, int visible)
{
    if (!m_windowed)
        return false;
    visible = std::max(visible, 1);
    if (m_window.holdsSpan(top - visible, top + 2 * visible, totalRows()))
        return false;
    emit windowAboutToMove();
    beginResetModel();
    // Never less than a screen and a screen either side, on a very tall screen too.
    m_window = windowAround(top, visible, totalRows(), std::max(g_windowRows, 3 * visible));
    endResetModel();
    emit windowMoved();
    return true;
}

QModelIndex GridWindow::viewIndex(int row, int column) const
{
    return m_window.holds(row) ? index(row - m_window.first, column) : QModelIndex();
}

int GridWindow::listRow(const QModelIndex &index) const
{
    return index.isValid() ? index.row() + m_window.first : -1;
}

QModelIndex GridWindow::sourceIndex(const QModelIndex &index) const
{
    return m_source->index(index.row() + m_window.first, index.column());
}

int GridWindow::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_window.count; }

int GridWindow::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_source->columnCount();
}

QVariant GridWindow::data(const QModelIndex &index, int role) const
{
    return index.isValid() ? m_source->data(sourceIndex(index), role) : QVariant();
}

bool GridWindow::setData(const QModelIndex &index, const QVariant &value, int role)
{
    return index.isValid() && m_source->setData(sourceIndex(index), value, role);
}

QVariant GridWindow::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical)
        return QAbstractTableModel::headerData(section + m_window.first, orientation, role);
    return m_source->headerData(section, orientation, role);
}

Qt::ItemFlags GridWindow::flags(const QModelIndex &index) const
{
    return index.isValid() ? m_source->flags(sourceIndex(index)) : m_source->flags(QModelIndex());
}

} // namespace kaoshi
