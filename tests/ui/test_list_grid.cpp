// The list grid: title row, row counts, hidden columns, cursor row, striping,
// ticks and pictures, committing an open edit, double-clicks.
#include "ui/ListGrid.h"
#include "ui/QtPlatform.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace kaoshi;

class ListGridTest : public QObject
{
    Q_OBJECT
private slots:
    void titleRowAndRowCounts()
    {
        ListGrid grid;
        grid.setColumnCount(3);
        QCOMPARE(grid.rowCount(), 1);
        grid.setText(0, 1, QStringLiteral("题目"));
        QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("题目"));
        grid.setRowCount(5);
        QCOMPARE(grid.rowCount(), 5);
        QCOMPARE(grid.model()->rowCount(), 4);
        grid.setText(4, 2, QStringLiteral("末行"));
        grid.setRowCount(3); // rows beyond the count are dropped
        QCOMPARE(grid.text(4, 2), QString());
        grid.setRowCount(5); // missing rows come back blank
        QCOMPARE(grid.text(4, 2), QString());
        grid.setRowCount(0); // ignored
        QCOMPARE(grid.rowCount(), 5);
        grid.setRowCount(1);
        QCOMPARE(grid.text(0, 1), QStringLiteral("题目")); // titles stay
        QCOMPARE(grid.appendRow({"1", "甲", "A", "ignored: past the last column"}), 1);
        QCOMPARE(grid.text(1, 1), QStringLiteral("甲"));
        QCOMPARE(grid.text(1, 3), QString());
        grid.appendRows({{"2", "乙"}, {"3", "丙"}});
        QCOMPARE(grid.rowCount(), 4);
        grid.removeRow(2);
        QCOMPARE(grid.text(2, 1), QStringLiteral("丙"));
        grid.removeRow(0); // the title row is never removed
        QCOMPARE(grid.rowCount(), 3);
    }

    void hiddenColumnsAndWidths()
    {
        ListGrid grid;
        grid.setColumnCount(3);
        grid.setColumnWidth(0, 50);
        grid.setColumnWidth(2, 0);
        QCOMPARE(grid.columnWidth(0), 50);
        QCOMPARE(grid.columnWidth(1), 100);
        QCOMPARE(grid.columnWidth(2), 0);
        QVERIFY(grid.isColumnHidden(2));
        grid.setColumnWidth(2, 70);
        QCOMPARE(grid.columnWidth(2), 70);
    }

    void cursorRowStripesTicksAndPictures()
    {
        ListGrid grid;
        grid.setColumnCount(2);
        grid.setRowCount(4);
        QCOMPARE(grid.cursorRow(), 0);
        grid.setCursorRow(2);
        QCOMPARE(grid.cursorRow(), 2);
        grid.setStriped(true);
        auto background = [&](int row) {
            return grid.model()->index(row - 1, 1).data(Qt::BackgroundRole).value<QColor>();
        };
        QCOMPARE(background(1), QColor(230, 230, 255));
        QCOMPARE(background(2), QColor(Qt::white));
        QCOMPARE(background(3), QColor(230, 230, 255));
        grid.removeRow(1); // stripes follow the rows
        QCOMPARE(background(1), QColor(230, 230, 255));

        grid.setCheckable(1, 0, true);
        QVERIFY(grid.model()->flags(grid.model()->index(0, 0)) & Qt::ItemIsUserCheckable);
        grid.model()->setData(grid.model()->index(0, 0), Qt::Checked, Qt::CheckStateRole);
        QVERIFY(grid.isChecked(1, 0));
        QImage picture(20, 10, QImage::Format_RGB32);
        picture.fill(Qt::red);
        grid.setImage(2, 1, picture);
        QCOMPARE(grid.image(2, 1).size(), QSize(20, 10));
        grid.removeRow(1); // the picture moves up with its row
        QCOMPARE(grid.image(1, 1).size(), QSize(20, 10));
        QVERIFY(!grid.isChecked(1, 0));
    }

    void editingCommitsAndReadOnlyRefuses()
    {
        ListGrid grid;
        grid.setColumnCount(3);
        grid.setFixedColumns(1);
        grid.setRowCount(3);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QVERIFY(!(grid.model()->flags(grid.model()->index(0, 0)) & Qt::ItemIsEditable)); // fixed column
        grid.setCurrentIndex(grid.model()->index(0, 1));
        grid.edit(grid.model()->index(0, 1));
        auto *editor = grid.findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->setText(QStringLiteral("未提交的文字"));
        QCOMPARE(grid.text(1, 1), QString());
        grid.commitEdit();
        QCOMPARE(grid.text(1, 1), QStringLiteral("未提交的文字"));
        grid.setEditable(false);
        QVERIFY(!(grid.model()->flags(grid.model()->index(0, 1)) & Qt::ItemIsEditable));
        QCOMPARE(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    void doubleClicksReportTheRow()
    {
        ListGrid grid;
        grid.setColumnCount(2);
        grid.setRowCount(3);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QSignalSpy spy(&grid, &ListGrid::rowDoubleClicked);
        const QRect cell = grid.visualRect(grid.model()->index(1, 1));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy[0][0].toInt(), 2);
        QHeaderView *header = grid.horizontalHeader();
        const QPoint title(header->sectionViewportPosition(1) + 5, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, title);
        QTest::mouseDClick(header->viewport(), Qt::LeftButton, {}, title);
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy[1][0].toInt(), 0);
    }

    void fileFiltersOfThePipeForm()
    {
        QCOMPARE(qtFileFilter(QStringLiteral("图片文件(*.jpg)|*.jpg|位图(*.bmp)|*.bmp")),
                 QStringLiteral("图片文件(*.jpg) (*.jpg);;位图(*.bmp) (*.bmp)"));
        QCOMPARE(qtFileFilter(QStringLiteral("图片|*.jpg;*.png")), QStringLiteral("图片 (*.jpg *.png)"));
        QCOMPARE(qtFileFilter(QString()), QString());
    }
};

QTEST_MAIN(ListGridTest)
#include "test_list_grid.moc"
