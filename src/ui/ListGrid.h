#pragma once
// The list grid of every list window. Row 0 holds the column titles and is
// shown as the header; rowCount() includes it, so data rows are 1 … rowCount()-1.
// A column of width 0 is hidden. Data rows are striped RGB(230,230,255) and
// white. Cells may carry a tick box or a picture.
#include <QAbstractTableModel>
#include <QAccessible>
#include <QColor>
#include <QHash>
#include <QSet>
#include <QImage>
#include <functional>
#include <QTableView>
#include <memory>
#include <utility>
#include <vector>

namespace kaoshi {

class RowSource;

// The data rows are the rows of a listing (read from the database as they
// come into view), followed by rows held here (typed or blank rows).
class GridModel final : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit GridModel(QObject *parent = nullptr);

    int gridRowCount() const { return int(m_rows.size()) + m_listed; }
    void setGridRowCount(int rows);
    int gridColumnCount() const { return m_columns; }
    void setGridColumnCount(int columns);

    QString text(int row, int column) const;
    void setText(int row, int column, const QString &text);
    void appendRows(std::vector<QStringList> rows);
    void removeGridRow(int row);
    // Rows held here (after the listing) for which drop() is true go in one step.
    void removeHeldRowsIf(const std::function<bool(const QStringList &)> &drop);

    // Shows the rows of a listing in place of every data row; the model is
    // reset once with its row count.
    void setListing(std::shared_ptr<RowSource> listing);
    const std::shared_ptr<RowSource> &listing() const { return m_listing; }
    int listedRowCount() const { return m_listed; }
    // The listing holds more rows than when set: they are shown after those listed so far.
    void listingGrew();
    // The listed rows are read again from the database when next shown.
    void refreshListing();
    // Cells of the column whose text is one of these, or whose listed row the
    // listing marks, stand out with the tip (in the colour, or the usual red).
    void setMarked(int column, QSet<QString> texts, const QString &tip, const QColor &colour = {});
    bool isMarked(int row, int column) const;
    // The stored row behind a listed data row; 0 for a held row.
    qint64 rowId(int row) const;

    void setEditable(bool editable) { m_editable = editable; }
    bool isEditable() const { return m_editable; }
    void setStriped(bool striped);
    void setFixedColumns(int columns) { m_fixedColumns = columns; }

    void setCheckable(int row, int column, bool checkable);
    bool isChecked(int row, int column) const;
    void setChecked(int row, int column, bool checked);
    void setImage(int row, int column, const QImage &image);
    QImage image(int row, int column) const;
    // A background of its own for the cells of a row from fromColumn on, in
    // place of the striping.
    void setRowBackground(int row, const QColor &colour, int fromColumn = 0);
    // One cell that stands out with its own background and tip.
    void setCellNote(int row, int column, const QColor &colour, const QString &tip);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    struct Extra {
        bool checkable = false;
        bool checked = false;
        QImage image;
        QColor background; // invalid: striped like its row
        QString tip;
    };
    static quint64 key(int row, int column) { return (quint64(quint32(row)) << 32) | quint32(column); }
    const Extra *extra(int row, int column) const;
    void dropExtrasFrom(int row);
    void shiftExtrasAfter(int row);

    bool isListed(int row) const { return row >= 1 && row <= m_listed; }
    // Index into m_rows of a held row (row 0 is the title row).
    size_t heldIndex(int row) const { return size_t(row > m_listed ? row - m_listed : row); }

    std::shared_ptr<RowSource> m_listing;
    int m_listed = 0;
    QHash<int, QStringList> m_changedListed; // listed rows whose cells were set here
    int m_markedColumn = -1;
    QSet<QString> m_markedTexts;
    QString m_markTip;
    QColor m_markColour;
    std::vector<QStringList> m_rows{QStringList()};
    int m_columns = 0;
    bool m_editable = true;
    bool m_striped = false;
    int m_fixedColumns = 0;
    QHash<quint64, Extra> m_extras;
};

class GridWindow;

// A list grid of many rows (from GridWindow::threshold() on) gives its view a
// window of rows (GridWindow) and keeps its scroll bar, cursor and selection
// in rows of the whole list, so that the view costs the same at any length;
// its accessible table speaks of the whole list too. Rows in the functions
// below are always rows of the whole list; the view's QModelIndex rows are
// rows of the window.
class ListGrid : public QTableView
{
    Q_OBJECT
public:
    explicit ListGrid(QWidget *parent = nullptr);
    ~ListGrid() override;

    int rowCount() const { return m_model->gridRowCount(); }
    // Keeps the title row; rows beyond n are dropped, missing ones added blank.
    // A count below 1 is ignored.
    void setRowCount(int rows);
    int columnCount() const { return m_model->gridColumnCount(); }
    void setColumnCount(int columns);

    QString text(int row, int column) const { return m_model->text(row, column); }
    void setText(int row, int column, const QString &text) { m_model->setText(row, column, text); }
    // Appends one data row; returns its row number.
    int appendRow(const QStringList &cells = {});
    // Appends many data rows at once (fast for long lists).
    void appendRows(std::vector<QStringList> rows) { m_model->appendRows(std::move(rows)); }
    void setListing(std::shared_ptr<RowSource> listing) { m_model->setListing(std::move(listing)); }
    void removeRow(int row) { m_model->removeGridRow(row); }

    // Width 0 hides the column; a hidden column reports width 0.
    void setColumnWidth(int column, int width);
    int columnWidth(int column) const;

    // The row of the keyboard cursor: 1 … rowCount()-1, or 0 when none.
    int cursorRow() const;
    void setCursorRow(int row, int column = 1);
    // The first and last selected rows; without a selection, the cursor row twice.
    std::pair<int, int> selectedRowSpan() const;

    void setEditable(bool editable);
    bool isEditable() const { return m_model->isEditable(); }
    void setStriped(bool striped) { m_model->setStriped(striped); }
    void setFixedColumns(int columns) { m_model->setFixedColumns(columns); }

    void setCheckable(int row, int column, bool checkable) { m_model->setCheckable(row, column, checkable); }
    bool isChecked(int row, int column) const { return m_model->isChecked(row, column); }
    void setChecked(int row, int column, bool checked) { m_model->setChecked(row, column, checked); }
    void setImage(int row, int column, const QImage &image) { m_model->setImage(row, column, image); }
    QImage image(int row, int column) const { return m_model->image(row, column); }
    void setRowBackground(int row, const QColor &colour, int fromColumn = 0)
    {
        m_model->setRowBackground(row, colour, fromColumn);
    }
    void setCellNote(int row, int column, const QColor &colour, const QString &tip)
    {
        m_model->setCellNote(row, column, colour, tip);
    }

    // True when any cell of the row holds text.
    bool rowHasText(int row) const;

    // Stores the text of an open in-place edit into its cell.
    void commitEdit();

    GridModel *gridModel() const { return m_model; }
    // The view's model holds a window of the rows, not all of them.
    bool isWindowed() const;
    // The data row of a view's index (1 … rowCount()-1); 0 when invalid.
    int gridRow(const QModelIndex &index) const;
    // The view's index of a data row; invalid when the row is not in the window.
    QModelIndex viewIndex(int row, int column) const;
    // The data row shown at the top.
    int topRow() const;
    // The cell of a data row is selected (held in the window or not).
    bool isCellSelected(int row, int column) const;

signals:
    // A double-click on a cell (row ≥ 1) or on the title row (row 0).
    void rowDoubleClicked(int row, int column);

protected:
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void selectionChanged(const QItemSelection &selected, const QItemSelection &deselected) override;

public:
    void scrollTo(const QModelIndex &index, ScrollHint hint = EnsureVisible) override;
    void selectAll() override;

private:
    // The cursor and the selection in model rows of the whole list (data row - 1); -1 for none.
    struct Places {
        int current = -1;
        int column = 0;
        int anchor = -1;
        int first = -1; // the selected rows first … last
        int last = -1;
    };
    int screenRows() const;
    int lastModelRow() const { return m_model->rowCount() - 1; }
    void showTop(int top);
    void applyOffset();
    void takePlacesFromView();
    void beforeWindowMoves();
    void afterWindowMoved();
    void shiftPlaces(int first, int count);
    void recordCurrent(int row, int column);
    void applySelection();
    bool extendsSelection(Qt::KeyboardModifiers modifiers) const;
    void handleSelecting(bool extending, const std::function<void()> &handle);
    void announce(QAccessible::Event type, int row, int column);

    GridModel *m_model;
    GridWindow *m_window;
    Places m_places;
    int m_top = 0;
    int m_quiet = 0;        // scroll bar values set here, not the user's scrolling
    bool m_restoring = false;
    bool m_extending = false;
    bool m_placing = false;
};

} // namespace kaoshi
