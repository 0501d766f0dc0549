#pragma once
// The rows a list grid's view holds: every row of its GridModel while the
// list is short, a window of rows of it once the list is long. Rows of the
// view are rows of the window; GridModel rows are rows of the whole list.
#include "ui/RowWindow.h"

#include <QAbstractTableModel>

namespace kaoshi {

class GridModel;

class GridWindow final : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit GridWindow(GridModel *source, QObject *parent = nullptr);

    // Lists of `threshold` rows or more are shown `windowRows` at a time.
    static void setWindowing(int threshold, int windowRows);
    static int threshold();
    static int windowRows();

    bool isWindowed() const { return m_windowed; }
    const RowWindow &window() const { return m_window; }
    int totalRows() const;

    // The window moves (the view's model is reset) when rows top-margin …
    // top+visible+margin, a screen and a margin of a screen either side,
    // are not all held; true when it moved.
    bool hold(int top, int visible);
    // The view's index of a row of the whole list; invalid when not held.
    QModelIndex viewIndex(int row, int column) const;
    // The row of the whole list of a view's index; -1 when invalid.
    int listRow(const QModelIndex &index) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

signals:
    // Around a reset of the view's model that the list did not ask for (the
    // window moved, or the list became long): the view keeps its cursor and
    // selection, in rows of the whole list, across it.
    void windowAboutToMove();
    void windowMoved();
    // Rows came after the window: only the list's length changed.
    void lengthChanged();

private:
    QModelIndex sourceIndex(const QModelIndex &index) const;
    void connectSource();
    void beginChange(int first, int last, bool inserted);
    void endChange(bool inserted);
    void placeWindow(int top);

    GridModel *m_source;
    bool m_windowed = false;
    RowWindow m_window;
    // How the pending change of the list reaches the view.
    enum class Pending { None, Forward, Reset, Length } m_pending = Pending::None;
};

} // namespace kaoshi
