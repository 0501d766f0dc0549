#pragma once
// Shared pieces of the window tests of the bank list and the question editor.
#include "support/ProgramState.h"
#include "support/TestDatabase.h"
#include "app/MainWindow.h"
#include "practice/PracticeSession.h"
#include "ui/AppContext.h"
#include "ui/ListGrid.h"
#include "ui/ScriptedPlatform.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>
#include <functional>

namespace kaoshi::test {

// The whole program against a temporary program directory.
using ProgramFixture = ProgramState;

// Clicks the toolbar button "工具条1" of the window with this caption.
inline void pressToolButton(QWidget *window, const QString &caption)
{
    auto *bar = window->findChild<QToolBar *>(QStringLiteral("工具条1"));
    QVERIFY(bar);
    for (QAction *action : bar->actions()) {
        if (action->text() != caption)
            continue;
        QWidget *button = bar->widgetForAction(action);
        if (button && button->isVisible())
            QTest::mouseClick(button, Qt::LeftButton);
        else
            action->trigger();
        return;
    }
    QFAIL(qPrintable(QStringLiteral("no toolbar button ") + caption));
}

// Runs `act` on the modal dialog that the next call opens.
inline void whenModalOpens(std::function<void(QWidget *)> act)
{
    QTimer::singleShot(0, [act = std::move(act)] {
        QWidget *modal = QApplication::activeModalWidget();
        QVERIFY(modal);
        act(modal);
        // A failed check must not leave the dialog waiting forever.
        if (QApplication::activeModalWidget() == modal)
            modal->close();
    });
}

// A user's double-click on a cell of a grid (the click before it lets the
// view see the second press as a double-click).
inline void doubleClickCell(ListGrid *grid, int row, int column)
{
    const QPoint centre = grid->visualRect(grid->viewIndex(row, column)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, centre);
}

// A small picture file to choose in the editor.
inline QString makePicture(const QString &folder, const QString &name, QColor colour)
{
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(colour);
    const QString path = QDir(folder).filePath(name);
    image.save(path);
    return path;
}

} // namespace kaoshi::test
