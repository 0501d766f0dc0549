#pragma once
// Base of the windows hosted beside the navigation bar: no border, a white
// background, deleted when closed, closed by Esc unless the focused control
// uses Esc itself. The start-up every task window shares lives here.
#include <QWidget>

namespace kaoshi {

struct AppContext;

class TaskWindow : public QWidget
{
    Q_OBJECT
public:
    TaskWindow(AppContext &context, QWidget *host);

    // A window only builds its controls when it is constructed; the shell
    // calls start() after the previous task window has closed. A window with
    // a main caption reconnects to the database, becomes the current task
    // window, sets the main window's caption and is placed and sized; then
    // its own start-up runs. false: the window closed itself during start-up.
    virtual bool start();

signals:
    void closed();

protected:
    // The main window's caption while this window is the current task
    // window; "" for a window that never becomes it.
    virtual QString mainCaption() const { return QString(); }
    // The window's own start-up, once it is in place.
    virtual bool startTask() { return true; }

    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

    AppContext &m_context;
};

} // namespace kaoshi
