#include "ui/GridAccessible.h"

#include "ui/ListGrid.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QHeaderView>
#include <QPointer>
#include <utility>

namespace kaoshi {

namespace {

// Titles above the rows when the grid shows its header.
int titleRows(const ListGrid &grid) { return grid.horizontalHeader()->isHidden() ? 0 : 1; }

// One cell of the grid: a data row (1 …) or a column title (row 0).
class GridCell final : public QAccessibleInterface, public QAccessibleTableCellInterface
{
public:
    GridCell(ListGrid *grid, int row, int column) : m_grid(grid), m_row(row), m_column(column) {}

    int row() const { return m_row; }
    int column() const { return m_column; }

    bool isValid() const override
    {
        return m_grid && m_row < m_grid->rowCount() && m_column < m_grid->columnCount();
    }
    QObject *object() const override { return nullptr; }
    QAccessibleInterface *parent() const override { return QAccessible::queryAccessibleInterface(m_grid.data()); }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override
    {
        return t == QAccessible::Name && isValid() ? m_grid->text(m_row, m_column) : QString();
    }
    void setText(QAccessible::Text, const QString &) override {}
    QAccessible::Role role() const override { return m_row == 0 ? QAccessible::ColumnHeader : QAccessible::Cell; }

    // On screen where the view shows it; nowhere for a row scrolled away.
    QRect rect() const override
    {
        if (!isValid())
            return {};
        if (m_row == 0) {
            QHeaderView *header = m_grid->horizontalHeader();
            const QRect section(header->sectionViewportPosition(m_column), 0, header->sectionSize(m_column),
                                header->height());
            return QRect(header->viewport()->mapToGlobal(section.topLeft()), section.size());
        }
        const QRect shown = m_grid->visualRect(m_grid->viewIndex(m_row, m_column));
        if (!shown.isValid() || !shown.intersects(m_grid->viewport()->rect()))
            return {};
        return QRect(m_grid->viewport()->mapToGlobal(shown.topLeft()), shown.size());
    }

    QAccessible::State state() const override
    {
        QAccessible::State s;
        if (!isValid())
            return s;
        if (rect().isEmpty()) {
            s.invisible = true;
            s.offscreen = true;
        }
        if (m_row == 0)
            return s;
        s.selectable = true;
        s.focusable = true;
        s.selected = isSelected();
        s.focused = m_grid->hasFocus() && m_grid->cursorRow() == m_row && m_grid->currentIndex().column() == m_column;
        s.editable = m_grid->isEditable();
        return s;
    }

    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableCellInterface && m_row > 0)
            return static_cast<QAccessibleTableCellInterface *>(this);
        return nullptr;
    }

    bool isSelected() const override { return isValid() && m_row > 0 && m_grid->isCellSelected(m_row, m_column); }
    QList<QAccessibleInterface *> columnHeaderCells() const override;
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return m_column; }
    int rowIndex() const override { return m_row - 1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

private:
    QPointer<ListGrid> m_grid;
    int m_row;
    int m_column;
};

// A screen reader asks for the selected cells to speak them: a selection of
// a million rows is said by its first cells.
constexpr int kSelectedCellsTold = 10000;

class GridTable final : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit GridTable(ListGrid *grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~GridTable() override { forgetCells(); }

    ListGrid *grid() const { return static_cast<ListGrid *>(widget()); }

    // The cell of a grid row (0: the titles), made once and kept until the rows change.
    QAccessibleInterface *cell(int row, int column) const
    {
        if (row < 0 || row >= grid()->rowCount() || column < 0 || column >= grid()->columnCount())
            return nullptr;
        const qint64 key = (qint64(row) << 20) | column;
        if (const auto known = m_cells.constFind(key); known != m_cells.cend())
            if (QAccessibleInterface *iface = QAccessible::accessibleInterface(*known))
                return iface;
        auto *made = new GridCell(grid(), row, column);
        m_cells.insert(key, QAccessible::registerAccessibleInterface(made));
        return made;
    }

    int childCount() const override
    {
        return (grid()->rowCount() - 1 + titleRows(*grid())) * grid()->columnCount();
    }
    QAccessibleInterface *child(int index) const override
    {
        const int columns = grid()->columnCount();
        if (index < 0 || columns == 0)
            return nullptr;
        return cell(index / columns + 1 - titleRows(*grid()), index % columns);
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const auto *c = dynamic_cast<const GridCell *>(child);
        return c && c->isValid() && c->parent() == this ? gridAccessibleChild(*grid(), c->row(), c->column()) : -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        const QPoint inViewport = grid()->viewport()->mapFromGlobal(QPoint(x, y));
        const QModelIndex index = grid()->indexAt(inViewport);
        if (index.isValid() && grid()->viewport()->rect().contains(inViewport))
            return cell(grid()->gridRow(index), index.column());
        QHeaderView *header = grid()->horizontalHeader();
        const QPoint inHeader = header->viewport()->mapFromGlobal(QPoint(x, y));
        if (!header->isHidden() && header->viewport()->rect().contains(inHeader))
            return cell(0, header->logicalIndexAt(inHeader));
        return nullptr;
    }
    QAccessibleInterface *focusChild() const override
    {
        if (!grid()->hasFocus() || grid()->cursorRow() < 1)
            return nullptr;
        return cell(grid()->cursorRow(), qMax(grid()->currentIndex().column(), 0));
    }
    void *interface_cast(QAccessible::InterfaceType t) override
    {
        if (t == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface *>(this);
        return QAccessibleWidget::interface_cast(t);
    }

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override { return cell(row + 1, column); }
    int selectedCellCount() const override
    {
        int count = 0;
        forSelectedCells([&](int, int) { ++count; });
        return count;
    }
    QList<QAccessibleInterface *> selectedCells() const override
    {
        QList<QAccessibleInterface *> cells;
        forSelectedCells([&](int row, int column) { cells << cell(row, column); });
        return cells;
    }
    QString columnDescription(int column) const override { return grid()->text(0, column); }
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    int columnCount() const override { return grid()->columnCount(); }
    int rowCount() const override { return grid()->rowCount() - 1; }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override
    {
        QList<int> rows;
        const auto [first, last] = grid()->selectedRowSpan();
        for (int row = qMax(first, 1); row <= last && rows.size() < kSelectedCellsTold; ++row)
            if (isRowSelected(row - 1))
                rows << row - 1;
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override
    {
        for (int column = 0; column < grid()->columnCount(); ++column)
            if (!grid()->isCellSelected(row + 1, column))
                return false;
        return grid()->columnCount() > 0;
    }
    bool selectRow(int row) override
    {
        if (row < 0 || row >= rowCount() || grid()->selectionMode() == QAbstractItemView::NoSelection)
            return false;
        grid()->setCursorRow(row + 1, qMax(grid()->currentIndex().column(), 0));
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    // Rows came, went or the window moved: cells are made again as they are asked for.
    void modelChange(QAccessibleTableModelChangeEvent *) override { forgetCells(); }

private:
    template <typename Each>
    void forSelectedCells(Each each) const
    {
        const auto [first, last] = grid()->selectedRowSpan();
        int told = 0;
        for (int row = qMax(first, 1); row <= last && row < grid()->rowCount(); ++row)
            for (int column = 0; column < grid()->columnCount(); ++column)
                if (grid()->isCellSelected(row, column) && told++ < kSelectedCellsTold)
                    each(row, column);
    }
    void forgetCells()
    {
        for (QAccessible::Id id : std::as_const(m_cells))
            QAccessible::deleteAccessibleInterface(id);
        m_cells.clear();
    }

    mutable QHash<qint64, QAccessible::Id> m_cells;
};

QList<QAccessibleInterface *> GridCell::columnHeaderCells() const
{
    auto *table = dynamic_cast<GridTable *>(parent());
    QAccessibleInterface *title = table && titleRows(*m_grid) ? table->cell(0, m_column) : nullptr;
    return title ? QList<QAccessibleInterface *>{title} : QList<QAccessibleInterface *>{};
}

QAccessibleInterface *gridFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("kaoshi::ListGrid"))
        if (auto *grid = qobject_cast<ListGrid *>(object))
            return new GridTable(grid);
    return nullptr;
}

} // namespace

void installGridAccessible()
{
    static const bool installed = (QAccessible::installFactory(gridFactory), true);
    Q_UNUSED(installed);
}

int gridAccessibleChild(const ListGrid &grid, int row, int column)
{
    return (row - 1 + titleRows(grid)) * grid.columnCount() + column;
}

} // namespace kaoshi
