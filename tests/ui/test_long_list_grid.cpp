// A list grid of many rows: its view holds a window of them, while the
// keyboard, the mouse, the scroll bar and a screen reader all meet the
// whole list (rows of the list, its length, its selection).
#include "ui/GridAccessible.h"
#include "ui/GridWindow.h"
#include "ui/ListGrid.h"

#include <QAccessible>
#include <QApplication>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

using namespace kaoshi;

namespace {

constexpr int kRows = 20000;
constexpr int kThreshold = 3000;
constexpr int kWindowRows = 400;

// What the grid told a screen reader, newest last.
QList<std::pair<QAccessible::Event, int>> g_told;
void keepTold(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::Focus)
        g_told.append({event->type(), event->child()});
}

struct LongGrid {
    ListGrid grid;
    explicit LongGrid(int rows = kRows)
    {
        grid.setColumnCount(3);
        grid.setText(0, 1, QStringLiteral("题目"));
        std::vector<QStringList> cells;
        for (int n = 1; n <= rows; ++n)
            cells.push_back({QString::number(n), QStringLiteral("第%1题").arg(n), QStringLiteral("A")});
        grid.appendRows(std::move(cells));
        grid.resize(400, 24 * 10 + 40);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
    }
    // The data row under a point of the viewport, as the user sees it.
    int rowShownAt(int y) const { return grid.gridRow(grid.indexAt(QPoint(5, y))); }
    int shownFirst() const { return rowShownAt(2); }
    bool cursorShown() const
    {
        const QRect cell = grid.visualRect(grid.currentIndex());
        return cell.isValid() && grid.viewport()->rect().contains(cell);
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(&grid, key, modifiers); }
    void clickRow(int row, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, grid.visualRect(grid.viewIndex(row, 1)).center());
    }
    QAccessibleTableInterface *table() const
    {
        return QAccessible::queryAccessibleInterface(const_cast<ListGrid *>(&grid))->tableInterface();
    }
};

} // namespace

class LongListGridTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { GridWindow::setWindowing(kThreshold, kWindowRows); }

    void aShortListIsShownWhole()
    {
        LongGrid g(kThreshold - 1);
        QVERIFY(!g.grid.isWindowed());
        QCOMPARE(g.grid.model()->rowCount(), kThreshold - 1);
        g.grid.setCursorRow(1);
        g.key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(g.grid.cursorRow(), kThreshold - 1);
        QCOMPARE(g.table()->rowCount(), kThreshold - 1);
    }

    void theViewHoldsAWindowAndTheScrollBarTheWholeList()
    {
        LongGrid g;
        QVERIFY(g.grid.isWindowed());
        QCOMPARE(g.grid.model()->rowCount(), kWindowRows);
        QCOMPARE(g.grid.gridModel()->rowCount(), kRows);
        QScrollBar *bar = g.grid.verticalScrollBar();
        const int screen = bar->pageStep();
        QCOMPARE(bar->maximum(), kRows - screen);
        // Dragging the bar anywhere shows those rows.
        for (const int value : {12345, kRows / 2, 17, bar->maximum()}) {
            bar->setValue(value);
            QCOMPARE(g.shownFirst(), value + 1);
            QCOMPARE(g.grid.text(g.shownFirst(), 1), QStringLiteral("第%1题").arg(value + 1));
            QCOMPARE(g.grid.topRow(), value + 1);
        }
        QCOMPARE(g.rowShownAt(screen * 24 - 2), kRows); // the last row at the bottom
        // The wheel: three rows a notch.
        bar->setValue(5000);
        QWheelEvent down(QPointF(50, 50), g.grid.viewport()->mapToGlobal(QPointF(50, 50)), {}, {0, -120},
                         Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(g.grid.viewport(), &down);
        QCOMPARE(g.shownFirst(), 5004);
    }

    void keysMoveThroughTheWholeList()
    {
        LongGrid g;
        g.grid.setFocus();
        g.key(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(g.grid.cursorRow(), kRows);
        QVERIFY(g.cursorShown());
        QCOMPARE(g.grid.currentIndex().data().toString(), g.grid.text(kRows, g.grid.currentIndex().column()));
        QVERIFY(g.grid.isCellSelected(kRows, g.grid.currentIndex().column()));
        g.key(Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(g.grid.cursorRow(), 1);
        QCOMPARE(g.shownFirst(), 1);
        // Page by page past many windows, and back.
        const int screen = g.grid.verticalScrollBar()->pageStep();
        for (int i = 0; i < 100; ++i)
            g.key(Qt::Key_PageDown);
        QCOMPARE(g.grid.cursorRow(), 1 + 100 * screen);
        QVERIFY(g.cursorShown());
        QCOMPARE(g.grid.currentIndex().data().toString(), g.grid.text(1 + 100 * screen, g.grid.currentIndex().column()));
        QCOMPARE(g.grid.text(g.grid.cursorRow(), 1), QStringLiteral("第%1题").arg(1 + 100 * screen));
        for (int i = 0; i < kWindowRows; ++i)
            g.key(Qt::Key_Up);
        QCOMPARE(g.grid.cursorRow(), 1 + 100 * screen - kWindowRows);
        QVERIFY(g.cursorShown());
        // Scrolled away with the bar, the cursor keeps its row; a key goes on from it.
        g.grid.verticalScrollBar()->setValue(50);
        QVERIFY(!g.grid.currentIndex().isValid());
        g.key(Qt::Key_Down);
        QCOMPARE(g.grid.cursorRow(), 2 + 100 * screen - kWindowRows);
        QVERIFY(g.cursorShown());
    }

    void theSelectionStaysAcrossWindowMoves()
    {
        LongGrid g;
        g.grid.setSelectionMode(QAbstractItemView::ContiguousSelection);
        g.grid.setSelectionBehavior(QAbstractItemView::SelectRows);
        g.grid.setFocus();
        g.clickRow(3);
        g.key(Qt::Key_End, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(g.grid.selectedRowSpan(), std::make_pair(3, kRows));
        // Back at the top, held by another window: rows 3 … are still selected, 1 and 2 not.
        g.grid.verticalScrollBar()->setValue(0);
        QVERIFY(!g.grid.selectionModel()->isRowSelected(g.grid.viewIndex(2, 0).row(), {}));
        QVERIFY(g.grid.selectionModel()->isRowSelected(g.grid.viewIndex(3, 0).row(), {}));
        QVERIFY(g.grid.isCellSelected(kRows / 2, 1));
        QCOMPARE(g.grid.selectedRowSpan(), std::make_pair(3, kRows));
        // A shift-click far from the anchor, after scrolling there.
        g.grid.verticalScrollBar()->setValue(9000);
        g.clickRow(9005, Qt::ShiftModifier);
        QCOMPARE(g.grid.selectedRowSpan(), std::make_pair(3, 9005));
        // A plain click starts again; Shift+PageDown extends over windows.
        g.clickRow(9003);
        for (int i = 0; i < 50; ++i)
            g.key(Qt::Key_PageDown, Qt::ShiftModifier);
        const int screen = g.grid.verticalScrollBar()->pageStep();
        QCOMPARE(g.grid.selectedRowSpan(), std::make_pair(9003, 9003 + 50 * screen));

        // Rows taken away before the selection move it with its rows.
        g.grid.removeRow(1);
        QCOMPARE(g.grid.selectedRowSpan(), std::make_pair(9002, 9002 + 50 * screen));
        QCOMPARE(g.grid.text(g.grid.cursorRow(), 1), QStringLiteral("第%1题").arg(9003 + 50 * screen));
    }

    void aDoubleClickNamesTheRowOfTheList()
    {
        LongGrid g;
        QSignalSpy spy(&g.grid, &ListGrid::rowDoubleClicked);
        g.grid.verticalScrollBar()->setValue(15000);
        const QPoint centre = g.grid.visualRect(g.grid.viewIndex(15003, 1)).center();
        QTest::mouseClick(g.grid.viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(g.grid.viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].toInt(), 15003);
        QCOMPARE(g.grid.cursorRow(), 15003);
    }

    void aScreenReaderHearsTheWholeList()
    {
        LongGrid g;
        QAccessibleTableInterface *table = g.table();
        QVERIFY(table);
        QCOMPARE(table->rowCount(), kRows);
        QCOMPARE(table->columnCount(), 3);
        QCOMPARE(table->cellAt(kRows - 1, 1)->text(QAccessible::Name), QStringLiteral("第%1题").arg(kRows));
        g.grid.setFocus();
        g.key(Qt::Key_End, Qt::ControlModifier);
        // The cell of the last row, as a child of the table, where the view shows it.
        const int column = g.grid.currentIndex().column();
        QAccessibleInterface *last =
            QAccessible::queryAccessibleInterface(&g.grid)->child(gridAccessibleChild(g.grid, kRows, column));
        QVERIFY(last);
        QCOMPARE(last->tableCellInterface()->rowIndex(), kRows - 1);
        QCOMPARE(last->text(QAccessible::Name), g.grid.text(kRows, column));
        QVERIFY(last->state().selected);
        QVERIFY(!last->rect().isEmpty());
        QCOMPARE(table->selectedCellCount(), 1);
        // A cell scrolled out of the window is there, not on screen.
        QAccessibleInterface *first = table->cellAt(0, 1);
        QCOMPARE(first->text(QAccessible::Name), QStringLiteral("第1题"));
        QVERIFY(first->state().offscreen);
        // The reader's own selection moves the cursor there.
        QVERIFY(table->selectRow(12000));
        QCOMPARE(g.grid.cursorRow(), 12001);
        QVERIFY(g.cursorShown());

        // What is announced names the row of the list, not of the window.
        if (!QAccessible::isActive())
            QSKIP("the focus events need a screen reader's bus: run under ../shared/tools/with-a11y");
        g_told.clear();
        QAccessible::installUpdateHandler(keepTold);
        g.key(Qt::Key_End, Qt::ControlModifier);
        g.key(Qt::Key_Up);
        QAccessible::installUpdateHandler(nullptr);
        QVERIFY(!g_told.isEmpty());
        QCOMPARE(g_told.last().second, gridAccessibleChild(g.grid, kRows - 1, g.grid.currentIndex().column()));
    }
};

QTEST_MAIN(LongListGridTest)
#include "test_long_list_grid.moc"
