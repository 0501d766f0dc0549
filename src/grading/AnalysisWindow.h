#pragma once
// "成绩分析": the results of one occasion (or of all): the summary with pass
// and excellence rates, the score bands as a bar chart, how each question
// worked and which options the strong and the weak chose. Every table goes
// to the print window; the chart can be saved as a PNG picture.
#include "grading/Analysis.h"
#include "ui/TaskWindow.h"

class QComboBox;
class QSpinBox;
class QTabWidget;
class QTableView;
class QToolBar;

class QChartView;

namespace kaoshi {

class ResultTableModel;

class AnalysisWindow final : public TaskWindow
{
    Q_OBJECT
public:
    AnalysisWindow(AppContext &context, QWidget *host);

    // Analyses the chosen occasion again and shows the result.
    void analyse();
    // Toolbar "导出": the table of the current tab to the print window.
    void exportTable();
    // Toolbar "保存图表": the chart as a PNG picture.
    void saveChart();

    const ResultAnalysis &result() const { return m_result; }
    static QString settingsFileName() { return QStringLiteral("成绩分析.ini"); }

protected:
    QString mainCaption() const override { return QStringLiteral("考试系统-成绩分析"); }
    bool startTask() override;

private:
    void buildControls();
    static void showTable(QTableView *view, ResultTableModel *model);
    QTableView *addTable(const QString &controlName, ResultTableModel *&model);
    void fillOccasions();
    void readThresholds();
    void keepThresholds();
    AnalysisSettings settings() const;
    void showChart();

    QToolBar *m_toolbar = nullptr;
    QComboBox *m_occasion = nullptr;
    QSpinBox *m_pass = nullptr;
    QSpinBox *m_excellent = nullptr;
    QChartView *m_chart = nullptr;
    QTabWidget *m_tabs = nullptr;
    ResultTableModel *m_summary = nullptr;
    ResultTableModel *m_bands = nullptr;
    ResultTableModel *m_questions = nullptr;
    ResultTableModel *m_options = nullptr;
    QTableView *m_summaryView = nullptr;
    ResultAnalysis m_result;
};

} // namespace kaoshi
