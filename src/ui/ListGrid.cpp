#include "ui/ListGrid.h"

#include "data/RowSource.h"
#include "ui/GridAccessible.h"
#include "ui/GridWindow.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
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

void GridModel::listingGrew()
{
    if (!m_listing || m_listing->size() <= m_listed)
        return;
    const int grown = int(m_listing->size());
    beginInsertRows({}, m_listed, grown - 1);
    // Held rows follow the listing, with their cell extras.
    const int by = grown - m_listed;
    QHash<quint64, Extra> moved;
    for (auto it = m_extras.cbegin(); it != m_extras.cend(); ++it) {
        const int r = int(it.key() >> 32);
        moved.insert(r > m_listed ? key(r + by, int(it.key() & 0xffffffffu)) : it.key(), it.value());
    }
    m_extras = std::move(moved);
    m_listed = grown;
    endInsertRows();
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

void GridModel::setMarked(int column, QSet<QString> texts, const QString &tip, const QColor &colour)
{
    m_markColour = colour.isValid() ? colour : kMarked;
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
            return m_markColour;
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

ListGrid::ListGrid(QWidget *parent)
    : QTableView(parent), m_model(new GridModel(this)), m_window(new GridWindow(m_model, this))
{
    installGridAccessible();
    // The places follow the rows before the window hears of a change (a
    // change of a long list resets the view, and the places are put back after).
    connect(m_model, &QAbstractItemModel::rowsAboutToBeInserted, this,
            [this](const QModelIndex &, int first, int last) { shiftPlaces(first, last - first + 1); });
    connect(m_model, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex &, int first, int last) { shiftPlaces(first, -(last - first + 1)); });
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        m_places = {};
        m_top = 0;
    });
    connect(m_window, &GridWindow::windowAboutToMove, this, &ListGrid::beforeWindowMoves);
    connect(m_window, &GridWindow::windowMoved, this, &ListGrid::afterWindowMoved);
    connect(m_window, &GridWindow::lengthChanged, this, &ListGrid::updateGeometries);
    setModel(m_window);
    // A new list (after the view's own reset): the bar spans it at once.
    connect(m_window, &QAbstractItemModel::modelReset, this, [this] {
        if (isWindowed() && !m_restoring)
            updateGeometries();
    });
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
            [this](const QModelIndex &index) { emit rowDoubleClicked(gridRow(index), index.column()); });
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            [this](int column) { emit rowDoubleClicked(0, column); });
}

ListGrid::~ListGrid() = default;

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

bool ListGrid::isWindowed() const { return m_window->isWindowed(); }

int ListGrid::gridRow(const QModelIndex &index) const { return m_window->listRow(index) + 1; }

QModelIndex ListGrid::viewIndex(int row, int column) const { return m_window->viewIndex(row - 1, column); }

int ListGrid::topRow() const { return (isWindowed() ? m_top : qMax(rowAt(0), 0)) + 1; }

int ListGrid::cursorRow() const
{
    if (isWindowed())
        return m_places.current + 1;
    const QModelIndex index = currentIndex();
    return index.isValid() ? index.row() + 1 : 0;
}

std::pair<int, int> ListGrid::selectedRowSpan() const
{
    if (isWindowed()) {
        if (m_places.first < 0)
            return {cursorRow(), cursorRow()};
        return {m_places.first + 1, m_places.last + 1};
    }
    const QItemSelection selection = selectionModel()->selection();
    if (selection.isEmpty())
        return {cursorRow(), cursorRow()};
    int first = selection.first().top();
    int last = selection.first().bottom();
    for (const QItemSelectionRange &range : selection) {
        first = qMin(first, range.top());
        last = qMax(last, range.bottom());
    }
    // Model rows count from the first data row; grid rows from the title row.
    return {first + 1, last + 1};
}

bool ListGrid::isCellSelected(int row, int column) const
{
    if (!isWindowed())
        return selectionModel()->isSelected(viewIndex(row, column));
    const int modelRow = row - 1;
    if (m_places.first < 0 || modelRow < m_places.first || modelRow > m_places.last)
        return false;
    return selectionBehavior() == SelectRows || m_places.first != m_places.last || column == m_places.column;
}

void ListGrid::setCursorRow(int row, int column)
{
    column = qBound(0, column, columnCount() - 1);
    if (row < 1 || row >= rowCount()) {
        m_places.current = -1;
        setCurrentIndex(QModelIndex());
        return;
    }
    if (isWindowed())
        showTop(topShowing(row - 1, m_top, screenRows(), m_model->rowCount(), EnsureVisible));
    setCurrentIndex(viewIndex(row, column));
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

// ---------------------------------------------------------------- a long list through a window

// Rows of one height (see the constructor): as many as the viewport shows whole.
int ListGrid::screenRows() const
{
    return qMax(1, viewport()->height() / qMax(1, verticalHeader()->defaultSectionSize()));
}

// Shows the rows from model row `top`, moving the window when they are not held.
void ListGrid::showTop(int top)
{
    m_top = qBound(0, top, lastTop(screenRows(), m_model->rowCount()));
    if (verticalScrollBar()->value() != m_top) {
        ++m_quiet;
        verticalScrollBar()->setValue(m_top);
        --m_quiet;
    }
    m_window->hold(m_top, screenRows());
    applyOffset();
}

void ListGrid::applyOffset()
{
    verticalHeader()->setOffset(verticalHeader()->sectionPosition(m_top - m_window->window().first));
    viewport()->update();
}

void ListGrid::updateGeometries()
{
    if (!isWindowed()) {
        QTableView::updateGeometries();
        return;
    }
    // Asked again while placing (the window moved on the way): the outer call does it.
    if (m_placing)
        return;
    // The view sets its scroll bar for the rows of the window; the bar here
    // spans the whole list, one step a row.
    m_placing = true;
    ++m_quiet;
    QTableView::updateGeometries();
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, lastTop(screenRows(), m_model->rowCount()));
    bar->setPageStep(screenRows());
    bar->setSingleStep(1);
    showTop(m_top);
    --m_quiet;
    m_placing = false;
}

void ListGrid::scrollContentsBy(int dx, int dy)
{
    if (!isWindowed()) {
        QTableView::scrollContentsBy(dx, dy);
        return;
    }
    if (dy != 0 && m_quiet == 0)
        showTop(verticalScrollBar()->value());
    if (dx != 0)
        QTableView::scrollContentsBy(dx, 0);
}

void ListGrid::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!isWindowed() || !index.isValid()) {
        QTableView::scrollTo(index, hint);
        return;
    }
    const int row = m_window->listRow(index);
    const int column = index.column();
    showTop(topShowing(row, m_top, screenRows(), m_model->rowCount(), hint));
    // Across: the view's own scrolling, its scroll bar up and down kept.
    const QModelIndex held = m_window->viewIndex(row, column);
    if (!held.isValid())
        return;
    ++m_quiet;
    const int value = verticalScrollBar()->value();
    QTableView::scrollTo(held, hint);
    verticalScrollBar()->setValue(value);
    --m_quiet;
    applyOffset();
}

QModelIndex ListGrid::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    if (!isWindowed() || m_model->rowCount() == 0)
        return QTableView::moveCursor(cursorAction, modifiers);
    const int from = m_places.current >= 0 ? m_places.current : m_top;
    const int column = currentIndex().isValid() ? currentIndex().column() : m_places.column;
    int to = from;
    switch (cursorAction) {
    case MoveUp:
        to = from - 1;
        break;
    case MoveDown:
        to = m_places.current >= 0 ? from + 1 : from;
        break;
    case MovePageUp:
        to = from - screenRows();
        break;
    case MovePageDown:
        to = from + screenRows();
        break;
    case MoveHome:
    case MoveEnd:
        if (modifiers & Qt::ControlModifier) {
            to = cursorAction == MoveHome ? 0 : lastModelRow();
            break;
        }
        [[fallthrough]];
    default:
        // Along the row: the view's own moves, on the cursor's row brought into the window.
        showTop(topShowing(from, m_top, screenRows(), m_model->rowCount(), EnsureVisible));
        if (!currentIndex().isValid())
            setCurrentIndex(m_window->viewIndex(from, column));
        return QTableView::moveCursor(cursorAction, modifiers);
    }
    to = qBound(0, to, lastModelRow());
    showTop(topShowing(to, m_top, screenRows(), m_model->rowCount(), EnsureVisible));
    return m_window->viewIndex(to, column);
}

bool ListGrid::extendsSelection(Qt::KeyboardModifiers modifiers) const
{
    return selectionMode() != SingleSelection && selectionMode() != NoSelection && (modifiers & Qt::ShiftModifier);
}

// The view's own handling of an input event, extending the selection or not;
// then the selected rows of the list are selected in the window.
void ListGrid::handleSelecting(bool extending, const std::function<void()> &handle)
{
    m_extending = extending;
    handle();
    m_extending = false;
    if (isWindowed() && selectionMode() != SingleSelection)
        applySelection();
}

void ListGrid::keyPressEvent(QKeyEvent *event)
{
    handleSelecting(extendsSelection(event->modifiers()), [&] { QTableView::keyPressEvent(event); });
}

void ListGrid::mousePressEvent(QMouseEvent *event)
{
    handleSelecting(extendsSelection(event->modifiers()), [&] { QTableView::mousePressEvent(event); });
}

void ListGrid::mouseMoveEvent(QMouseEvent *event)
{
    // Dragging with the button held extends the selection from where it was pressed.
    const bool dragging = (event->buttons() & Qt::LeftButton) && extendsSelection(Qt::ShiftModifier);
    handleSelecting(dragging, [&] { QTableView::mouseMoveEvent(event); });
}

void ListGrid::selectAll()
{
    QTableView::selectAll();
    if (isWindowed() && selectionMode() != SingleSelection && m_model->rowCount() > 0) {
        m_places.first = 0;
        m_places.last = lastModelRow();
        applySelection();
    }
}

void ListGrid::recordCurrent(int row, int column)
{
    m_places.current = row;
    if (row < 0)
        return;
    m_places.column = column;
    if (m_extending && m_places.anchor >= 0) {
        m_places.first = qMin(m_places.anchor, row);
        m_places.last = qMax(m_places.anchor, row);
    } else {
        m_places.anchor = m_places.first = m_places.last = row;
    }
}

void ListGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    // Recorded before the view scrolls to it: a window moved on the way puts it back.
    if (!m_restoring)
        recordCurrent(m_window->listRow(current), current.column());
    // The view's own announcement would name a row of the window: the grid's names the row of the list.
    QAbstractItemView::currentChanged(current, previous);
    if (!m_restoring && current.isValid())
        announce(QAccessible::Focus, m_places.current, m_places.column);
}

void ListGrid::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    if (!QAccessible::isActive() || m_restoring)
        return;
    for (const QModelIndex &index : selected.indexes())
        announce(QAccessible::SelectionAdd, m_window->listRow(index), index.column());
    for (const QModelIndex &index : deselected.indexes())
        announce(QAccessible::SelectionRemove, m_window->listRow(index), index.column());
}

void ListGrid::announce(QAccessible::Event type, int row, int column)
{
    if (!QAccessible::isActive() || row < 0)
        return;
    QAccessibleEvent event(this, type);
    event.setChild(gridAccessibleChild(*this, row + 1, column));
    QAccessible::updateAccessibility(&event);
}

// Places follow rows added or taken away before them (count < 0: taken away).
void ListGrid::shiftPlaces(int first, int count)
{
    if (!isWindowed())
        takePlacesFromView();
    const int total = m_model->rowCount() + count;
    auto shift = [&](int &row) {
        if (row < first)
            return;
        if (count > 0 || row >= first - count)
            row += count;
        else
            row = qMin(first, total - 1); // its row went: the one after takes its place
    };
    shift(m_places.current);
    shift(m_places.anchor);
    shift(m_places.first);
    shift(m_places.last);
    if (m_places.current < 0)
        m_places = {};
}

void ListGrid::takePlacesFromView()
{
    const QModelIndex current = currentIndex();
    m_places.current = current.isValid() ? current.row() : -1;
    m_places.column = current.isValid() ? current.column() : 0;
    m_places.anchor = m_places.current;
    const auto [first, last] = selectedRowSpan();
    m_places.first = first - 1;
    m_places.last = last - 1;
    m_top = qMax(rowAt(0), 0);
}

void ListGrid::beforeWindowMoves()
{
    // An open edit is kept before its cell leaves the view.
    commitEdit();
    if (!isWindowed())
        takePlacesFromView();
    m_restoring = true;
}

void ListGrid::afterWindowMoved()
{
    // The cursor goes back where it was without scrolling the view to it.
    const bool scrolls = hasAutoScroll();
    setAutoScroll(false);
    if (const QModelIndex current = m_window->viewIndex(m_places.current, m_places.column); current.isValid())
        selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    setAutoScroll(scrolls);
    applySelection();
    m_restoring = false;
    // A change of the list moved the window: the top goes back where it was.
    if (!m_placing)
        updateGeometries();
}

// The selected rows of the list, as far as the window holds them, selected in the view.
void ListGrid::applySelection()
{
    QItemSelection selection;
    const RowWindow &window = m_window->window();
    const int from = qMax(m_places.first, window.first);
    const int to = qMin(m_places.last, window.first + window.count - 1);
    const bool restoring = std::exchange(m_restoring, true);
    if (m_places.first >= 0 && from <= to) {
        if (selectionBehavior() == SelectRows || m_places.first != m_places.last)
            selection.select(m_window->index(from - window.first, 0),
                             m_window->index(to - window.first, m_window->columnCount() - 1));
        else
            selection.select(m_window->index(from - window.first, m_places.column),
                             m_window->index(from - window.first, m_places.column));
    }
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    m_restoring = restoring;
}

} // namespace kaoshi
