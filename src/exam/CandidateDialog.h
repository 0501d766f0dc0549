#pragma once
// "考生信息": signs a candidate in with 考号, 场次 and 姓名. A number and
// occasion that already have stored answers are refused; a successful
// sign-in makes the candidate the application's signed-in candidate and
// shows it in the status bar.
#include "exam/Candidate.h"

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace kaoshi {

struct AppContext;
class DropDownBox;

class CandidateDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit CandidateDialog(AppContext &context, QWidget *owner = nullptr);

    // The drop-down lists, filled just before they open.
    void listNumbers();
    void listOccasions();
    // 开始考试.
    void signIn();
    // The candidate the last successful sign-in signed in.
    Candidate candidate() const { return m_candidate; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    AppContext &m_context;
    DropDownBox *m_number;
    DropDownBox *m_occasion;
    QLineEdit *m_name;
    QPushButton *m_start;
    bool m_started = false;
    Candidate m_candidate;
};

} // namespace kaoshi
