#pragma once
// What the main window offers the task windows it hosts.
#include "print/PrintRequest.h"

#include <QString>

class QWidget;

namespace kaoshi {

class ListGrid;
class StatusProgress;

class Shell
{
public:
    virtual ~Shell() = default;
    // The widget that task windows are created in (beside the navigation bar).
    virtual QWidget *taskHost() = 0;
    virtual void setCaption(const QString &caption) = 0;
    // The window becomes the current task window.
    virtual void registerTaskWindow(QWidget *window) = 0;
    // Move and size the task window beside the navigation bar.
    virtual void placeTaskWindow() = 0;
    virtual void sizeTaskWindow() = 0;
    virtual StatusProgress &statusProgress() = 0;
    // part: 1 … 4, left to right. Part 2 (the time left of a paper) changes
    // without telling a screen reader, which reads it when asked or when
    // announceStatus tells it to.
    virtual void setStatusText(int part, const QString &text) = 0;
    virtual void announceStatus(int part) = 0;
    // While an exam paper is open: only the menu 试卷 is offered, every other
    // menu and the navigation bar are disabled, and Esc does not end the program.
    virtual void lockForPaper(bool locked) = 0;
    // Hands a list to the print window "自由打印": its rows, the caption of a
    // print window opened for it and the settings file of this kind of list.
    virtual void printList(const ListGrid &grid, const QString &title, const QString &settingsFile) = 0;
    // The same for a table that is not a list grid (its model and widths).
    virtual void printTable(const PrintRequest &request) = 0;
};

} // namespace kaoshi
