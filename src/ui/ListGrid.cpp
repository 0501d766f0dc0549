#include "ui/ListGrid.h"

#include "data/RowSource.h"

#include <QHeaderView>
#include <algorithm>

namespace kaoshi {

namespace {
const QColor kStripe(230, 230, 255);
const QColor kFixed(236, 236, 236);
const QColor kMarked(255, 190, 190);
} // namespace

GridModel::GridModel(QObject *parent) : QAbstractTableModel(parent) {}

int GridModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : gridRowCount() - 1; }

int GridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_columns; }

void GridModel::setGridRowCount(int rows)
{
    if (rows < 1)
        return;
    const int current = gridRowCount();
    if (rows < current) {
        beginRemoveRows({}, rows - 1, current - 2);
        if (rows - 1 < m_listed) {
            // Part of the listing goes: the held rows go with it.
            m_listing->truncate(rows - 1);
            m_listed = rows - 1;
            m_rows.resize(1);
            for (auto it = m_changedListed.begin(); it != m_changedListed.end();)
                it = it.key() > m_listed ? m_changedListed.erase(it) : std::next(it);
        } else {
            m_rows.resize(heldIndex(rows));
        }
        dropExtrasFrom(rows);
        endRemoveRows();
    } else if (rows > current) {
        beginInsertRows({}, current - 1, rows - 2);
        m_rows.resize(size_t(rows - m_listed));
        endInsertRows();
    }
}

void GridModel::setGridColumnCount(int columns)
{
    if (columns < 0 || columns == m_columns)
        return;
    beginResetModel();
    m_columns = columns;
    for (QStringList &row : m_rows)
        if (row.size() > columns)
            row.resize(columns);
    endResetModel();
}

void GridModel::setListing(std::shared_ptr<RowSource> listing)
{
    beginResetModel();
    m_listing = std::move(listing);
    m_listed = m_listing ? int(m_listing->size()) : 0;
    m_changedListed.clear();
    m_rows.resize(1);
    dropExtrasFrom(1);
    endResetModel();
}

void GridModel::refreshListing()
{
    if (!m_listing)
        return;
    m_listing->forget();
    m_changedListed.clear();
    if (m_listed > 0)
        emit dataChanged(index(0, 0), index(m_listed - 1, m_columns - 1));
}

void GridModel::setMarked(int column, QSet<QString> texts, const QString &tip)
{
    m_markedColumn = column;
    m_markedTexts = std::move(texts);
    m_markTip = tip;
    if (rowCount() > 0 && column >= 0 && column < m_columns)
        emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::BackgroundRole, Qt::ToolTipRole});
}

bool GridModel::isMarked(int row, int column) const
{
    if (column != m_markedColumn)
        return false;
    if (isListed(row) && !m_changedListed.contains(row) && m_listing->marked(row - 1))
        return true;
    return !m_markedTexts.isEmpty() && m_markedTexts.contains(text(row, column));
}

qint64 GridModel::rowId(int row) const { return isListed(row) ? m_listing->rowId(row - 1) : 0; }

QString GridModel::text(int row, int column) const
{
    if (row < 0 || row >= gridRowCount() || column < 0 || column >= m_columns)
        return QString();
    if (isListed(row)) {
        const auto changed = m_changedListed.constFind(row);
        const QStringList cells = changed != m_changedListed.cend() ? *changed : m_listing->cells(row - 1);
        return column < cells.size() ? cells[column] : QString();
    }
    const QStringList &cells = m_rows[heldIndex(row)];
    return column < cells.size() ? cells[column] : QString();
}

void GridModel::setText(int row, int column, const QString &text)
{
    if (row < 0 || row >= gridRowCount() || column < 0 || column >= m_columns)
        return;
    QStringList *cells = nullptr;
    if (isListed(row)) {
        auto changed = m_changedListed.find(row);
        if (changed == m_changedListed.end())
            changed = m_changedListed.insert(row, m_listing->cells(row - 1));
        cells = &changed.value();
    } else {
        cells = &m_rows[heldIndex(row)];
    }
    if (cells->size() <= column)
        cells->resize(column + 1);
    (*cells)[column] = text;
    if (row == 0)
        emit headerDataChanged(Qt::Horizontal, column, column);
    else
        emit dataChanged(index(row - 1, column), index(row - 1, column));
}

void GridModel::appendRows(std::vector<QStringList> rows)
{
    if (rows.empty())
        return;
    const int first = gridRowCount() - 1;
    beginInsertRows({}, first, first + int(rows.size()) - 1);
    m_rows.reserve(m_rows.size() + rows.size());
    for (QStringList &row : rows) {
        if (row.size() > m_columns)
            row.resize(m_columns);
        m_rows.push_back(std::move(row));
    }
    endInsertRows();
}

void GridModel::removeGridRow(int row)
{
    if (row < 1 || row >= gridRowCount())
        return;
    beginRemoveRows({}, row - 1, row - 1);
    if (isListed(row)) {
        m_listing->remove(row - 1);
        --m_listed;
        QHash<int, QStringList> moved;
        for (auto it = m_changedListed.cbegin(); it != m_changedListed.cend(); ++it)
            if (it.key() != row)
                moved.insert(it.key() > row ? it.key() - 1 : it.key(), it.value());
        m_changedListed = std::move(moved);
    } else {
        m_rows.erase(m_rows.begin() + qsizetype(heldIndex(row)));
    }
    shiftExtrasAfter(row);
    endRemoveRows();
}

void GridModel::removeHeldRowsIf(const std::function<bool(const QStringList &)> &drop)
{
    const auto firstHeld = m_rows.begin() + 1;
    const auto kept = std::remove_if(firstHeld, m_rows.end(), drop);
    if (kept == m_rows.end())
        return;
    beginResetModel();
    m_rows.erase(kept, m_rows.end());
    dropExtrasFrom(m_listed + 1);
    endResetModel();
}

void GridModel::setStriped(bool striped)
{
    m_striped = striped;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_columns - 1), {Qt::BackgroundRole});
}

const GridModel::Extra *GridModel::extra(int row, int column) const
{
    if (m_extras.isEmpty())
        return nullptr;
    auto it = m_extras.constFind(key(row, column));
    return it == m_extras.cend() ? nullptr : &it.value();
}

void GridModel::dropExtrasFrom(int row)
{
    for (auto it = m_extras.begin(); it != m_extras.end();)
        it = int(it.key() >> 32) >= row ? m_extras.erase(it) : std::next(it);
}

void GridModel::shiftExtrasAfter(int row)
{
    if (m_extras.isEmpty())
        return;
    QHash<quint64, Extra> moved;
    for (auto it = m_extras.cbegin(); it != m_extras.cend(); ++it) {
        const int r = int(it.key() >> 32);
        const int c = int(it.key() & 0xffffffffu);
        if (r < row)
            moved.insert(it.key(), it.value());
        else if (r > row)
            moved.insert(key(r - 1, c), it.value());
    }
    m_extras = std::move(moved);
}

void GridModel::setCheckable(int row, int column, bool checkable)
{
    m_extras[key(row, column)].checkable = checkable;
    if (row > 0)
        emit dataChanged(index(row - 1, column), index(row - 1, column));
}

bool GridModel::isChecked(int row, int column) const
{
    const Extra *e = extra(row, column);
    return e && e->checked;
}

void GridModel::setChecked(int row, int column, bool checked)
{
    m_extras[key(row, column)].checked = checked;
    if (row > 0)
        emit dataChanged(index(row - 1, column), index(row - 1, column));
}

void GridModel::setRowBackground(int row, const QColor &colour, int fromColumn)
{
    if (row < 1 || row >= gridRowCount())
        return;
    for (int column = qMax(fromColumn, 0); column < m_columns; ++column)
        m_extras[key(row, column)].background = colour;
    emit dataChanged(index(row - 1, 0), index(row - 1, m_columns - 1), {Qt::BackgroundRole});
}

void GridModel::setCellNote(int row, int column, const QColor &colour, const QString &tip)
{
    Extra &e = m_extras[key(row, column)];
    e.background = colour;
    e.tip = tip;
    if (row > 0)
        emit dataChanged(index(row - 1, column), index(row - 1, column), {Qt::BackgroundRole, Qt::ToolTipRole});
}

void GridModel::setImage(int row, int column, const QImage &image)
{
    m_extras[key(row, column)].image = image;
    if (row > 0)
        emit dataChanged(index(row - 1, column), index(row - 1, column));
}

QImage GridModel::image(int row, int column) const
{
    const Extra *e = extra(row, column);
    return e ? e->image : QImage();
}

QVariant GridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    const int row = index.row() + 1;
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(row, column);
    case Qt::ToolTipRole:
        if (isMarked(row, column))
            return m_markTip;
        if (const Extra *e = extra(row, column); e && !e->tip.isEmpty())
            return e->tip;
        return {};
    case Qt::BackgroundRole:
        if (isMarked(row, column))
            return kMarked;
        if (const Extra *e = extra(row, column); e && e->background.isValid())
            return e->background;
        if (column < m_fixedColumns)
            return kFixed;
        if (m_striped)
            return row % 2 == 1 ? kStripe : QColor(Qt::white);
        return {};
    case Qt::CheckStateRole:
        if (const Extra *e = extra(row, column); e && e->checkable)
            return e->checked ? Qt::Checked : Qt::Unchecked;
        return {};
    case Qt::DecorationRole:
        if (const Extra *e = extra(row, column); e && !e->image.isNull())
            return e->image.scaled(64, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        return {};
    default:
        return {};
    }
}

bool GridModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid())
        return false;
    const int row = index.row() + 1;
    if (role == Qt::EditRole) {
        setText(row, index.column(), value.toString());
        return true;
    }
    if (role == Qt::CheckStateRole) {
        setChecked(row, index.column(), value.toInt() == Qt::Checked);
        return true;
    }
    return false;
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return text(0, section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags GridModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!index.isValid())
        return f;
    if (const Extra *e = extra(index.row() + 1, index.column()); e && e->checkable)
        f |= Qt::ItemIsUserCheckable;
    if (m_editable && index.column() >= m_fixedColumns)
        f |= Qt::ItemIsEditable;
    return f;
}

// ---------------------------------------------------------------- ListGrid

ListGrid::ListGrid(QWidget *parent) : QTableView(parent), m_model(new GridModel(this))
{
    setModel(m_model);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(24);
    verticalHeader()->setMinimumSectionSize(4);
    // Rows of one height: a view of a million rows needs no per-row sizes.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultSectionSize(100);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setHighlightSections(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setWordWrap(false);
    setEditable(true);
    connect(this, &QTableView::doubleClicked, this,
            [this](const QModelIndex &index) { emit rowDoubleClicked(index.row() + 1, index.column()); });
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this](int column) { emit rowDoubleClicked(0, column); });
}

void ListGrid::setRowCount(int rows) { m_model->setGridRowCount(rows); }

void ListGrid::setColumnCount(int columns) { m_model->setGridColumnCount(columns); }

int ListGrid::appendRow(const QStringList &cells)
{
    m_model->appendRows({cells});
    return rowCount() - 1;
}

void ListGrid::setColumnWidth(int column, int width)
{
    setColumnHidden(column, width <= 0);
    if (width > 0)
        QTableView::setColumnWidth(column, width);
}

int ListGrid::columnWidth(int column) const
{
    return isColumnHidden(column) ? 0 : QTableView::columnWidth(column);
}

int ListGrid::cursorRow() const
{
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() + 1 : 0;
}

std::pair<int, int> ListGrid::selectedRowSpan() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return {cursorRow(), cursorRow()};
    int first = selected.first().row();
    int last = first;
    for (const QModelIndex &index : selected) {
        first = qMin(first, index.row());
        last = qMax(last, index.row());
    }
    // Model rows count from the first data row; grid rows from the title row.
    return {first + 1, last + 1};
}

void ListGrid::setCursorRow(int row, int column)
{
    if (row < 1 || row >= rowCount())
        setCurrentIndex(QModelIndex());
    else
        setCurrentIndex(m_model->index(row - 1, qBound(0, column, columnCount() - 1)));
}

void ListGrid::setEditable(bool editable)
{
    m_model->setEditable(editable);
    setEditTriggers(editable ? QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::SelectedClicked
                             : QAbstractItemView::NoEditTriggers);
}

bool ListGrid::rowHasText(int row) const
{
    for (int c = 0; c < columnCount(); ++c)
        if (!text(row, c).isEmpty())
            return true;
    return false;
}

void ListGrid::commitEdit()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    // The open editor is the view's focused child.
    if (QWidget *focus = focusWidget(); focus && focus != this) {
        commitData(focus);
        closeEditor(focus, QAbstractItemDelegate::NoHint);
    }
}

} // namespace kaoshi
