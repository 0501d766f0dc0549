#include "grading/AnalysisWindow.h"

#include "data/AnswerTable.h"
#include "data/TextRules.h"
#include "grading/ResultTableModel.h"
#include "grading/ResultTables.h"
#include "print/BarChartPage.h"
#include "print/IniFile.h"
#include "ui/Shell.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"

#include <QAction>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QValueAxis>
#include <QVBoxLayout>

namespace kaoshi {

namespace {

const QString kAnalyse = QStringLiteral("分析");
const QString kExport = QStringLiteral("导出");
const QString kSaveChart = QStringLiteral("保存图表");
const QString kAllOccasions = QStringLiteral("全部场次");
const QString kSection = QStringLiteral("成绩分析");
const QString kPassKey = QStringLiteral("及格线");
const QString kExcellentKey = QStringLiteral("优秀线");

QLabel *labelFor(QWidget *buddy, const QString &controlName, const QString &caption, QWidget *parent)
{
    auto *label = named(new QLabel(caption, parent), controlName, caption);
    label->setBuddy(buddy);
    return label;
}

QSpinBox *percentBox(const QString &controlName, const QString &caption, QWidget *parent)
{
    auto *box = named(new QSpinBox(parent), controlName, caption);
    box->setRange(1, 100);
    box->setSuffix(QStringLiteral("%"));
    box->setKeyboardTracking(false);
    return box;
}

// The bars of the score bands, on the screen and on paper alike.
QList<ChartBar> bandBars(const ResultAnalysis &result)
{
    QList<ChartBar> bars;
    for (const ScoreBand &band : result.bands)
        bars.append({bandLabel(band), band.candidates});
    return bars;
}

// The widths the print window divides the paper by: each shown column as
// wide as its title and its longest text need, not as far as the view
// stretches its last column; 0 for the hidden column 0.
QList<int> contentWidths(const QTableView &view)
{
    constexpr int kCellMargin = 12;
    const QAbstractItemModel &model = *view.model();
    const QFontMetrics metrics(view.font());
    QList<int> widths;
    for (int c = 0; c < model.columnCount(); ++c) {
        int width = 0;
        if (!view.isColumnHidden(c)) {
            width = view.horizontalHeader()->sectionSizeHint(c);
            for (int r = 0; r < model.rowCount(); ++r)
                width = std::max(width, metrics.horizontalAdvance(model.index(r, c).data().toString()) + kCellMargin);
        }
        widths << width;
    }
    return widths;
}

QString chartTitle(const ResultAnalysis &result)
{
    return QStringLiteral("分数段分布（满分 %1）").arg(numberToText(result.summary.fullMark));
}

} // namespace

AnalysisWindow::AnalysisWindow(AppContext &context, QWidget *host) : TaskWindow(context, host)
{
    nameControl(this, QStringLiteral("AnalysisWindow"), QStringLiteral("成绩分析"));
    buildControls();
}

void AnalysisWindow::buildControls()
{
    m_toolbar = named(new QToolBar(this), QStringLiteral("工具条1"));
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(m_toolbar->addAction(kAnalyse), &QAction::triggered, this, &AnalysisWindow::analyse);
    connect(m_toolbar->addAction(kExport), &QAction::triggered, this, &AnalysisWindow::exportTable);
    connect(m_toolbar->addAction(kSaveChart), &QAction::triggered, this, &AnalysisWindow::saveChart);

    m_occasion = named(new QComboBox(this), QStringLiteral("场次选择框"), QStringLiteral("场次"));
    m_occasion->setMinimumContentsLength(8);
    m_pass = percentBox(QStringLiteral("及格线框"), QStringLiteral("及格线"), this);
    m_excellent = percentBox(QStringLiteral("优秀线框"), QStringLiteral("优秀线"), this);

    auto *filters = new QHBoxLayout;
    filters->addWidget(m_toolbar);
    filters->addSpacing(12);
    filters->addWidget(labelFor(m_occasion, QStringLiteral("场次标签"), QStringLiteral("场次"), this));
    filters->addWidget(m_occasion);
    filters->addSpacing(12);
    filters->addWidget(labelFor(m_pass, QStringLiteral("及格线标签"), QStringLiteral("及格线"), this));
    filters->addWidget(m_pass);
    filters->addWidget(labelFor(m_excellent, QStringLiteral("优秀线标签"), QStringLiteral("优秀线"), this));
    filters->addWidget(m_excellent);
    filters->addStretch();

    m_summaryView = addTable(QStringLiteral("汇总表格"), m_summary);
    m_summaryView->setFixedWidth(300);
    // All ten lines of the summary in view.
    m_summaryView->verticalHeader()->setDefaultSectionSize(22);
    m_summaryView->setMinimumHeight(11 * 22 + 8);
    m_chart = named(new QChartView(this), QStringLiteral("分数段图表"), QStringLiteral("分数段图"));
    m_chart->setRenderHint(QPainter::Antialiasing);
    m_chart->setMinimumHeight(260);
    auto *overview = new QHBoxLayout;
    overview->addWidget(m_summaryView);
    overview->addWidget(m_chart, 1);

    m_tabs = named(new QTabWidget(this), QStringLiteral("分析页"));
    m_tabs->addTab(addTable(QStringLiteral("试题表格"), m_questions), QStringLiteral("试题分析"));
    m_tabs->addTab(addTable(QStringLiteral("选项表格"), m_options), QStringLiteral("选项分析"));
    m_tabs->addTab(addTable(QStringLiteral("分数段表格"), m_bands), QStringLiteral("分数段"));
    QTableView *summaryTab = new QTableView(this);
    nameControl(summaryTab, QStringLiteral("汇总页表格"), QStringLiteral("成绩汇总"));
    showTable(summaryTab, m_summary);
    m_tabs->addTab(summaryTab, QStringLiteral("成绩汇总"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(filters);
    layout->addLayout(overview, 2);
    layout->addWidget(m_tabs, 3);

    connect(m_occasion, &QComboBox::activated, this, &AnalysisWindow::analyse);
    for (QSpinBox *box : {m_pass, m_excellent}) {
        connect(box, &QSpinBox::valueChanged, this, [this] {
            keepThresholds();
            analyse();
        });
    }
}

void AnalysisWindow::showTable(QTableView *view, ResultTableModel *model)
{
    view->setModel(model);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // The list's column 0 is never shown nor printed; a new table shows every
    // section again.
    view->hideColumn(0);
    connect(model, &QAbstractItemModel::modelReset, view, [view] { view->hideColumn(0); });
}

QTableView *AnalysisWindow::addTable(const QString &controlName, ResultTableModel *&model)
{
    model = new ResultTableModel(this);
    auto *view = named(new QTableView(this), controlName);
    showTable(view, model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->verticalHeader()->hide();
    view->horizontalHeader()->setStretchLastSection(true);
    return view;
}

bool AnalysisWindow::startTask()
{
    readThresholds();
    fillOccasions();
    analyse();
    return true;
}

void AnalysisWindow::fillOccasions()
{
    m_occasion->clear();
    m_occasion->addItem(kAllOccasions, QString());
    for (const QString &occasion : allAnswerOccasions(m_context.store))
        m_occasion->addItem(occasion, occasion);
}

AnalysisSettings AnalysisWindow::settings() const
{
    return {m_pass->value() / 100.0, m_excellent->value() / 100.0};
}

void AnalysisWindow::readThresholds()
{
    const IniFile file(QDir(m_context.dataDir).filePath(settingsFileName()));
    const AnalysisSettings defaults;
    auto read = [&](QSpinBox *box, const QString &key, double fallback) {
        const QSignalBlocker quiet(box);
        const int value = file.value(kSection, key).toInt();
        box->setValue(value >= 1 && value <= 100 ? value : int(fallback * 100 + 0.5));
    };
    read(m_pass, kPassKey, defaults.passShare);
    read(m_excellent, kExcellentKey, defaults.excellentShare);
}

void AnalysisWindow::keepThresholds()
{
    IniFile file(QDir(m_context.dataDir).filePath(settingsFileName()));
    file.setValue(kSection, kPassKey, QString::number(m_pass->value()));
    file.setValue(kSection, kExcellentKey, QString::number(m_excellent->value()));
    QString error;
    if (!file.save(&error))
        m_context.messages().failure(QStringLiteral("及格线和优秀线未能保存"), error);
}

void AnalysisWindow::analyse()
{
    const AnalysisSettings chosen = settings();
    m_result = analyseResults(m_context.store, m_occasion->currentData().toString(), chosen);
    if (!m_result.failure.isEmpty())
        m_context.messages().failure(m_result.failure, m_result.reason);
    m_summary->setTable(summaryTable(m_result, chosen));
    m_bands->setTable(bandTable(m_result));
    m_questions->setTable(questionTable(m_result));
    m_options->setTable(optionTable(m_result));
    // Every column as wide as its contents, on the screen and in print.
    for (QTableView *view : findChildren<QTableView *>())
        view->resizeColumnsToContents();
    showChart();
}

void AnalysisWindow::showChart()
{
    auto *set = new QBarSet(QStringLiteral("人数"));
    QStringList categories;
    int highest = 0;
    for (const ChartBar &bar : bandBars(m_result)) {
        *set << bar.value;
        categories << bar.label;
        highest = std::max(highest, bar.value);
    }
    set->setColor(QColor(90, 130, 200));
    set->setLabelColor(Qt::black);
    auto *series = new QBarSeries;
    series->append(set);
    series->setLabelsVisible(true);
    series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);

    auto *chart = new QChart;
    chart->addSeries(series);
    chart->setTitle(chartTitle(m_result));
    chart->legend()->hide();
    auto *x = new QBarCategoryAxis;
    x->append(categories);
    // Band labels are short numbers: shown whole, never cut to "0.7…".
    x->setTruncateLabels(false);
    chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto *y = new QValueAxis;
    // Whole numbers of candidates on the axis, with room for the labels.
    y->setRange(0, std::max(4, highest + 1 + highest / 10));
    y->applyNiceNumbers();
    // No axis title on screen: Qt Charts cuts the turned title 人数 to "⋮";
    // the bars carry their counts (the printed chart names its axis).
    y->setLabelFormat(QStringLiteral("%d"));
    y->setTitleVisible(false);
    y->setTruncateLabels(false);
    chart->addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);

    QChart *old = m_chart->chart();
    m_chart->setChart(chart);
    delete old;
}

void AnalysisWindow::exportTable()
{
    auto *view = qobject_cast<QTableView *>(m_tabs->currentWidget());
    if (!view)
        return;
    PrintRequest request;
    request.source = view->model();
    request.columnWidths = contentWidths(*view);
    // Each table keeps its own column choice.
    const QString name = m_tabs->tabText(m_tabs->currentIndex());
    request.title = name + kExport;
    request.settingsFile = name + QStringLiteral(".ini");
    // The bands print as the chart first, then as the table.
    if (view->model() == m_bands) {
        request.frontPages = [title = chartTitle(m_result), bars = bandBars(m_result)](const QPageLayout &paper) {
            return std::make_unique<BarChartPage>(paper, title, bars, QStringLiteral("人数"));
        };
    }
    if (Shell *shell = m_context.shell)
        shell->printTable(request);
}

void AnalysisWindow::saveChart()
{
    const QString path = m_context.platform.files.saveFileName(QStringLiteral("保存图表"),
                                                               QStringLiteral("PNG图片(*.png)|*.png"),
                                                               QStringLiteral("分数段.png"));
    if (path.isEmpty())
        return;
    if (!m_chart->grab().save(path, "PNG")) {
        m_context.messages().failure(QStringLiteral("图表未能保存"), path);
        return;
    }
    m_context.messages().notice(QStringLiteral("图表已保存：") + path);
}

} // namespace kaoshi
