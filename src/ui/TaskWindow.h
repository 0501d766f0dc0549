#pragma once
// Base of the windows hosted beside the navigation bar: no border, a white
// background, deleted when closed, closed by Esc unless the focused control
// uses Esc itself.
#include <QWidget>

namespace kaoshi {

class TaskWindow : public QWidget
{
    Q_OBJECT
public:
    explicit TaskWindow(QWidget *host);

    // A window only builds its controls when it is constructed; the shell
    // calls start() after the previous task window has closed, to register,
    // place and fill it. false: the window closed itself during start-up.
    virtual bool start() { return true; }

signals:
    void closed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
};

} // namespace kaoshi
