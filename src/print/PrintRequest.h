#pragma once
// What a list hands to the print window: its rows (through the list's model),
// the column widths it showed at that moment, the print window's caption and
// the settings file of this kind of list. One request lives for the whole
// run; every hand-over overwrites it.
#include <QAbstractItemModel>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

namespace kaoshi {

struct PrintRequest {
    // The list's rows; the header row holds the column titles. Empty once the
    // list has been closed.
    QPointer<QAbstractItemModel> source;
    // Width of every column of the list as shown at hand-over; 0 = hidden.
    QList<int> columnWidths;
    // Caption of a print window opened by this hand-over.
    QString title;
    // File name of the print settings in the program directory.
    QString settingsFile;
};

// The process-wide hand-over: the last request and the print window while it
// is open (a window only changes its request when it is already open).
struct PrintSession {
    PrintRequest request;
    QPointer<QObject> window;
};

} // namespace kaoshi
