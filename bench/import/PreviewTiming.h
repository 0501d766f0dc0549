#pragma once
// Times an import dialog's preview of a file the way a user waits for it:
// from the request until the reading thread is done and the rows are shown.
#include "import/ImportDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QString>

namespace kaoshi::bench {

inline double previewUntilRead(ImportDialog &dialog, const QString &path)
{
    dialog.show();
    QApplication::processEvents();
    QElapsedTimer timer;
    timer.start();
    dialog.preview(path);
    // Waits as the program's event loop waits (the dialog's timer wakes it),
    // rather than spinning and taking a core from the reading thread.
    while (dialog.isReading())
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QApplication::processEvents();
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace kaoshi::bench
