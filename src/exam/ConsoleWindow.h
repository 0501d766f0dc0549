#pragma once
// "监考": the invigilator watches the seats of one 场次 — who sits where, how
// far each candidate has got, the time left and whether the seat is still
// there — refreshed every few seconds, and acts on the chosen seats (or all):
// more time, collect the papers, let a candidate sign in at another seat.
// The log of the room is listed on its own page and printed or exported
// through the print window like every list.
#include "data/RoomTable.h"
#include "ui/TaskWindow.h"

#include <vector>

class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;

namespace kaoshi {

class DropDownBox;
class ListGrid;

class ConsoleWindow final : public TaskWindow
{
    Q_OBJECT
public:
    ConsoleWindow(AppContext &context, QWidget *host);

    static constexpr int kRefreshMilliseconds = 5000;

    // Reads the seats of the chosen occasion again and hands in the papers
    // past their time that no seat handed in; the rows stay as they were
    // when the reading fails.
    void refresh();
    // The actions on the selected seats, or on every seat when none is
    // selected. false when nothing was changed.
    bool extendTime();
    bool collect();
    bool allowSignInElsewhere();
    void showLog();
    void exportLog();

    const RoomListing &reading() const { return m_reading; }

protected:
    QString mainCaption() const override { return QStringLiteral("考试系统-监考"); }
    bool startTask() override;

private:
    void buildControls();
    QWidget *buildSeatPage();
    QWidget *buildLogPage();
    void fillOccasions();
    void showSeats();
    void showSummary(const QString &text);
    // The seats the next action is for, and how the question names them.
    // Handed-in seats are left out of every action.
    std::vector<RoomSeat> chosenSeats() const;
    QString whom(const std::vector<RoomSeat> &seats) const;
    // Tells the invigilator when there is nobody to act on.
    bool haveSeats(const std::vector<RoomSeat> &seats);
    // Ends an action: its failure is told, or the room is read again.
    bool finish(bool done, const QString &notDone);

    DropDownBox *m_occasion = nullptr;
    QLabel *m_summary = nullptr;
    QTabWidget *m_pages = nullptr;
    ListGrid *m_seats = nullptr;
    ListGrid *m_log = nullptr;
    QPushButton *m_extend = nullptr;
    QPushButton *m_collect = nullptr;
    QPushButton *m_release = nullptr;
    QPushButton *m_refresh = nullptr;
    QPushButton *m_export = nullptr;
    QTimer *m_timer = nullptr;
    RoomListing m_reading;
    QString m_invigilator; // 监考 and this computer's host name, as the log names who acted
};

} // namespace kaoshi
