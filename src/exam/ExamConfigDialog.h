#pragma once
// "配置": how many questions of each kind a mock paper draws, the exam time
// setting (the one row of table 配置) and how each candidate's paper is
// shuffled (打乱题序, 打乱选项). It is the current task window while
// open, but keeps its own place centred on the screen.
#include "data/ConfigTable.h"

#include <QDialog>
#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace kaoshi {

struct AppContext;

class ExamConfigDialog final : public QDialog
{
    Q_OBJECT
public:
    ExamConfigDialog(AppContext &context, QWidget *owner);

    // 确定: stores the five boxes and the two shuffles and closes; a store that fails is reported
    // and the dialog stays open.
    void storeConfig();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void start();
    void showShuffle(const PaperShuffle &shuffle);

    AppContext &m_context;
    std::array<QLineEdit *, ExamSettings::kFields> m_boxes{};
    QCheckBox *m_shuffleQuestions;
    QCheckBox *m_shuffleOptions;
    QPushButton *m_ok;
    bool m_started = false;
};

} // namespace kaoshi
