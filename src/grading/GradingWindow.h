#pragma once
// "评分": the results of the stored answers. With a candidate number or an
// occasion left empty it lists the totals per candidate, occasion and name;
// with both given, that candidate's answers of that occasion marked right or
// wrong, with the score of each right answer and a last row "总分". Selected
// answers can be deleted, and the list can be handed to the print window
// (with a column "阅卷" marking the scores a marker gave).
#include "ui/GridSizing.h"
#include "ui/TaskWindow.h"

#include <memory>

class QAction;
class QLabel;
class QTimer;
class QToolBar;

namespace kaoshi {

class AddedColumnModel;
class DetailTotal;
class DropDownBox;
class ListGrid;
struct DetailResult;
struct TotalsResult;

class GradingWindow final : public TaskWindow
{
    Q_OBJECT
public:
    GradingWindow(AppContext &context, QWidget *host);
    ~GradingWindow() override;

    ListGrid *grid() const { return m_grid; }

    // Toolbar "删除", "导出", "评分".
    void deleteAnswers();
    void exportList();
    void grade();
    // The total of a candidate's answers is still being summed.
    bool isSumming() const { return m_total != nullptr; }
    // The drop-down lists, filled just before they open.
    void fillNumberList();
    void fillOccasionList();

    static constexpr int kColumnCount = 10;

protected:
    QString mainCaption() const override { return QStringLiteral("考试系统-评分"); }
    bool startTask() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void onToolbarAction(QAction *action);
    void setUpGrid();
    void showTotals(const TotalsResult &totals);
    void showDetails(const QString &number, const QString &occasion);
    // Sums the detail total on for about budgetMs and shows it once done; a
    // failure is said with 失败.
    void sumTotal(qint64 budgetMs);
    void stopTotal();

    QToolBar *m_toolbar;
    DropDownBox *m_number;
    DropDownBox *m_occasion;
    ListGrid *m_grid;
    // The list as it goes to the print window.
    AddedColumnModel *m_printed;
    ColumnProportions m_proportions;
    bool m_grading = false;
    // The total of the listed answers while it is summed, and its row.
    std::unique_ptr<DetailTotal> m_total;
    int m_totalRow = 0;
    QTimer *m_totalTimer;
};

} // namespace kaoshi
