#pragma once
// What a list hands to the print window: its rows (through the list's model),
// the column widths it showed at that moment, the print window's caption and
// the settings file of this kind of list; and pages, a chart say, that go
// before the rows in the printout.
#include <QAbstractItemModel>
#include <QList>
#include <QPointer>
#include <QString>
#include <functional>
#include <memory>

class QPageLayout;

namespace kaoshi {

class PageSource;

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
    // Pages printed before the rows, laid out for the paper of the printout;
    // none when empty.
    std::function<std::unique_ptr<PageSource>(const QPageLayout &paper)> frontPages;
};

} // namespace kaoshi
