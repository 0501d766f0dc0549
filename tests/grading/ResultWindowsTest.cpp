// The results analysis and the marking of free answers driven through their
// controls inside the main window, and the grading window's hand scores.
#include "support/AnswerRows.h"
#include "support/ProgramState.h"
#include "support/TestDatabase.h"

#include "app/MainWindow.h"
#include "data/HandScoreTable.h"
#include "grading/AnalysisWindow.h"
#include "grading/GradingWindow.h"
#include "grading/MarkingWindow.h"
#include "grading/ResultTableModel.h"
#include "grading/Scoring.h"
#include "print/FreePrintWindow.h"
#include "print/BarChartPage.h"
#include "print/PageSequence.h"
#include "print/PreviewWindow.h"
#include "print/PrintHandOver.h"
#include "print/ReportPages.h"
#include "print/XlsxCells.h"
#include "ui/DropDownBox.h"
#include "ui/ListGrid.h"

#include <QAction>
#include <QBarSeries>
#include <QBarSet>
#include <QChartView>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableView>
#include <QScreen>
#include <QTextEdit>
#include <QToolTip>
#include <QToolBar>
#include <QtTest>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

// Occasion 一: K1 all right (单选 2 + 问答 4 = 6), K2 单选 right and 问答 not
// (2), K3 nothing right (0), K4 问答 right (4). Occasion 二: K1 单选 wrong.
struct Results : ProgramState {
    MainWindow main{context};

    Results()
    {
        db.addQuestion("单选", {1, "单选题", "A", {}, 2});
        db.addQuestion("问答", {1, "简述光合作用", "光能转化为化学能", {}, 4});
        addAnswers(db.store(), {
            {"K1", "一", "甲", 1, "单选", "A"}, {"K1", "一", "甲", 1, "问答", "光能转化为化学能"},
            {"K2", "一", "乙", 1, "单选", "A"}, {"K2", "一", "乙", 1, "问答", "植物吸收阳光"},
            {"K3", "一", "丙", 1, "单选", "B"}, {"K3", "一", "丙", 1, "问答", "不知道"},
            {"K4", "一", "丁", 1, "单选", "C"}, {"K4", "一", "丁", 1, "问答", "光能转化为化学能"},
            {"K1", "二", "甲", 1, "单选", "B"},
        });
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
        // Keys reach a control only in the window the user works in, as after
        // a click into it: without a window manager nothing activates it.
        main.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&main));
    }
    template <typename W>
    W *open(const QString &item)
    {
        main.runMenuItem(item);
        return qobject_cast<W *>(main.currentTaskWindow());
    }
    template <typename W>
    W *control(const QString &name)
    {
        W *w = main.currentTaskWindow()->findChild<W *>(name);
        if (!w)
            qWarning("no control %s", qPrintable(name));
        return w;
    }
    void press(const QString &caption)
    {
        auto *bar = control<QToolBar>(QStringLiteral("工具条1"));
        for (QAction *action : bar->actions())
            if (action->text() == caption)
                return QTest::mouseClick(bar->widgetForAction(action), Qt::LeftButton);
        QFAIL(qPrintable(caption));
    }
    void choose(QComboBox *box, const QString &text)
    {
        const int index = box->findText(text);
        QVERIFY2(index >= 0, qPrintable(text));
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    // Column c of the table the view shows (its model has the hidden column 0 before it).
    QStringList column(const QString &table, int c)
    {
        QAbstractItemModel *model = control<QTableView>(table)->model();
        QStringList texts;
        for (int r = 0; r < model->rowCount(); ++r)
            texts << model->data(model->index(r, ResultTableModel::modelColumn(c))).toString();
        return texts;
    }
    std::vector<int> barHeights()
    {
        auto *view = control<QChartView>(QStringLiteral("分数段图表"));
        auto *series = qobject_cast<QBarSeries *>(view->chart()->series().value(0));
        std::vector<int> heights;
        if (series && !series->barSets().isEmpty())
            for (int i = 0; i < series->barSets()[0]->count(); ++i)
                heights.push_back(int(series->barSets()[0]->at(i)));
        return heights;
    }
    // "导出", then 打印 in the print window: what its preview lays out, or
    // nullptr when no print window or no preview opened.
    const ReportPages *printedReport()
    {
        press(QStringLiteral("导出"));
        FreePrintWindow *print = main.printHandOver().window();
        if (!print)
            return nullptr;
        QTest::mouseClick(print->findChild<QPushButton *>(QStringLiteral("打印按钮")), Qt::LeftButton);
        return print->reportShown();
    }
    double total(const QString &number, const QString &occasion)
    {
        const TotalsResult totals = gradeTotals(db.store(), number, occasion);
        return totals.rows.empty() ? -1 : totals.rows[0].total;
    }
};

// One page of a PDF as text, the shapes Qt gives shared glyphs folded back.
QString pdfPageText(const QString &file, int page)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"), QString::number(page), file,
                   QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput()).normalized(QString::NormalizationForm_KC);
}

} // namespace

class ResultWindowsTest : public QObject
{
    Q_OBJECT
private slots:
    void analysisFollowsTheChosenOccasion();
    void thresholdsAreRememberedAndAFailedSaveIsSaid();
    void tablesGoToThePrintWindowAndTheChartToAPicture();
    void theBandChartPrintsBeforeItsTable();
    void everyTableGoesOutWithAllItsColumns();
    void markingKeepsScoresThatChangeTheTotals();
    void aRefusedScoreSaysFailedAndStaysTyped();
    void gradingShowsWhichScoresAreByHand();
    void screenshotsWhenAsked();
};

void ResultWindowsTest::analysisFollowsTheChosenOccasion()
{
    Results r;
    QVERIFY(r.open<AnalysisWindow>(QStringLiteral("成绩分析")));
    QCOMPARE(r.main.windowTitle(), QStringLiteral("考试系统-成绩分析"));
    auto *occasion = r.control<QComboBox>(QStringLiteral("场次选择框"));
    QStringList items;
    for (int i = 0; i < occasion->count(); ++i)
        items << occasion->itemText(i);
    QCOMPARE(items, (QStringList{"全部场次", "一", "二"}));
    // Every occasion: five candidates (K1 twice), 满分 6.
    QCOMPARE(r.column(QStringLiteral("汇总表格"), 1).mid(0, 3), (QStringList{"5", "6", "2.4"}));

    r.choose(occasion, QStringLiteral("一"));
    QCOMPARE(r.column(QStringLiteral("汇总表格"), 1).mid(0, 2), (QStringList{"4", "6"}));
    // Totals 6, 2, 0, 4 of 6: bands of 0.6 points.
    QCOMPARE(r.barHeights(), (std::vector<int>{1, 0, 0, 1, 0, 0, 1, 0, 0, 1}));
    QCOMPARE(r.column(QStringLiteral("分数段表格"), 1), (QStringList{"1", "0", "0", "1", "0", "0", "1", "0", "0", "1"}));
    QCOMPARE(r.column(QStringLiteral("试题表格"), 0), (QStringList{"单选", "问答"}));
    QCOMPARE(r.column(QStringLiteral("试题表格"), 5), (QStringList{"0.5", "0.5"}));

    r.choose(occasion, QStringLiteral("二"));
    QCOMPARE(r.column(QStringLiteral("汇总表格"), 1).mid(0, 3), (QStringList{"1", "2", "0"}));
    // One candidate: no spread, no reliability.
    QCOMPARE(r.column(QStringLiteral("汇总表格"), 1)[4], QStringLiteral("—"));
    QCOMPARE(r.column(QStringLiteral("试题表格"), 6), QStringList{"—"});
    const QString note = r.control<QTableView>(QStringLiteral("试题表格"))
                             ->model()
                             ->index(0, ResultTableModel::modelColumn(8))
                             .data(Qt::ToolTipRole)
                             .toString();
    QCOMPARE(note, QStringLiteral("太难：P=0.00，低于0.2"));
    QVERIFY(r.platform.messages.isEmpty());
}

void ResultWindowsTest::thresholdsAreRememberedAndAFailedSaveIsSaid()
{
    Results r;
    r.open<AnalysisWindow>(QStringLiteral("成绩分析"));
    auto *pass = r.control<QSpinBox>(QStringLiteral("及格线框"));
    QCOMPARE(pass->value(), 60);
    QCOMPARE(r.control<QSpinBox>(QStringLiteral("优秀线框"))->value(), 85);
    pass->setValue(30); // 1.8 of 6: K1 6, K2 2, K4 4, K1/二 0 → three of five
    QCOMPARE(r.column(QStringLiteral("汇总表格"), 1)[7], QStringLiteral("60"));

    r.open<GradingWindow>(QStringLiteral("评分"));
    r.open<AnalysisWindow>(QStringLiteral("成绩分析"));
    QCOMPARE(r.control<QSpinBox>(QStringLiteral("及格线框"))->value(), 30);
    QCOMPARE(r.column(QStringLiteral("汇总表格"), 0)[7], QStringLiteral("及格率(%)，≥30%满分"));

    // A settings file that cannot be written.
    const QString file = QDir(r.db.programDir()).filePath(AnalysisWindow::settingsFileName());
    QVERIFY(QFile::remove(file));
    QVERIFY(QDir(r.db.programDir()).mkdir(AnalysisWindow::settingsFileName()));
    r.control<QSpinBox>(QStringLiteral("优秀线框"))->setValue(90);
    QCOMPARE(r.platform.lastMessage().caption, QStringLiteral("失败"));
    QVERIFY(r.platform.lastMessage().text.contains(QStringLiteral("及格线和优秀线未能保存")));
}

void ResultWindowsTest::tablesGoToThePrintWindowAndTheChartToAPicture()
{
    Results r;
    auto *window = r.open<AnalysisWindow>(QStringLiteral("成绩分析"));
    auto *tabs = r.control<QTabWidget>(QStringLiteral("分析页"));
    QStringList names;
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        r.press(QStringLiteral("导出"));
        QVERIFY(r.main.printHandOver().window());
        names << r.main.printHandOver().request().title;
        QCOMPARE(r.main.printHandOver().request().source.data(), qobject_cast<QTableView *>(tabs->widget(i))->model());
        QCOMPARE(r.main.printHandOver().request().settingsFile, tabs->tabText(i) + ".ini");
    }
    QCOMPARE(names, (QStringList{"试题分析导出", "选项分析导出", "分数段导出", "成绩汇总导出"}));
    QCOMPARE(r.main.printHandOver().window()->windowTitle(), QStringLiteral("试题分析导出"));
    r.main.printHandOver().close();

    const QString picture = QDir(r.db.programDir()).filePath("图表.png");
    r.platform.setNextFileName(picture);
    r.press(QStringLiteral("保存图表"));
    QImage saved(picture);
    QVERIFY(!saved.isNull());
    QCOMPARE(saved.size(), r.control<QChartView>(QStringLiteral("分数段图表"))->size() *
                               window->devicePixelRatio());
    // Cancelling the file dialog writes nothing and says nothing.
    r.platform.clear();
    r.platform.setNextFileName(QString());
    r.press(QStringLiteral("保存图表"));
    QVERIFY(r.platform.messages.isEmpty());
}

void ResultWindowsTest::theBandChartPrintsBeforeItsTable()
{
    Results r;
    r.open<AnalysisWindow>(QStringLiteral("成绩分析"));
    auto *tabs = r.control<QTabWidget>(QStringLiteral("分析页"));
    tabs->setCurrentIndex(2);
    QCOMPARE(tabs->tabText(2), QStringLiteral("分数段"));
    r.press(QStringLiteral("导出"));
    FreePrintWindow *print = r.main.printHandOver().window();
    QVERIFY(print);
    QTest::mouseClick(print->findChild<QPushButton *>(QStringLiteral("打印按钮")), Qt::LeftButton);
    PreviewWindow *preview = print->previewDialog();
    QVERIFY(preview);
    const auto *pages = dynamic_cast<const PageSequence *>(&preview->source());
    QVERIFY(pages);
    const auto *chart = dynamic_cast<const BarChartPage *>(&pages->part(0));
    QVERIFY(chart);

    // The bars of the screen's chart, as tall as their counts, each with its
    // count written just above it.
    const std::vector<int> counts = r.barHeights();
    const ChartDrawing &drawing = chart->drawing();
    QCOMPARE(size_t(drawing.bars.size()), counts.size());
    const auto tallest = std::max_element(counts.begin(), counts.end()) - counts.begin();
    QVERIFY(counts[size_t(tallest)] > 0);
    const double perCandidate = drawing.bars[int(tallest)].height() / counts[size_t(tallest)];
    for (int i = 0; i < drawing.bars.size(); ++i) {
        QCOMPARE(qRound(drawing.bars[i].height() / perCandidate), counts[size_t(i)]);
        QCOMPARE(drawing.values[i].text, QString::number(counts[size_t(i)]));
        QVERIFY(drawing.values[i].rect.bottom() <= drawing.bars[i].top());
        QVERIFY(qAbs(drawing.values[i].rect.center().x() - drawing.bars[i].center().x()) < 1);
    }
    QVERIFY(drawing.bars[int(tallest)].top() >= drawing.plot.top());
    // What is laid out is what is painted.
    const QRectF paper = chart->pageLayout().fullRect(QPageLayout::Millimeter);
    QImage page(qCeil(paper.width()), qCeil(paper.height()), QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    painter.scale(0.1, 0.1);
    chart->paintPage(painter, 0);
    painter.end();
    const QPointF middle = drawing.bars[int(tallest)].center() / 10;
    QCOMPARE(page.pixelColor(middle.toPoint()), QColor(90, 130, 200));

    // In the PDF: the chart first, then the table of the bands.
    QCOMPARE(preview->source().pageCount(), 1 + print->reportShown()->pageCount());
    const QString pdf = QDir(r.db.programDir()).filePath("分数段.pdf");
    r.platform.setNextFileName(pdf);
    preview->savePdfAction()->trigger();
    if (const QByteArray keep = qgetenv("KAOSHI_KEEP_PDF"); !keep.isEmpty())
        QFile::copy(pdf, QString::fromLocal8Bit(keep));
    const QString first = pdfPageText(pdf, 1);
    const QString second = pdfPageText(pdf, 2);
    QVERIFY2(first.contains(QStringLiteral("分数段分布")), qPrintable(first));
    QVERIFY(!second.contains(QStringLiteral("分数段分布")));
    // Both columns of the table: the bands and their counts.
    QVERIFY2(second.contains(QStringLiteral("人数")), qPrintable(second));
    QVERIFY2(second.contains(QStringLiteral("分数段")), qPrintable(second));
    QVERIFY2(second.contains(QStringLiteral("5.4~6")), qPrintable(second));
    preview->close();
}

// Each tab's table reaches the print window and the workbook with every one
// of its columns, in its order, and its numbers stay numbers in the workbook.
void ResultWindowsTest::everyTableGoesOutWithAllItsColumns()
{
    Results r;
    r.open<AnalysisWindow>(QStringLiteral("成绩分析"));
    auto *tabs = r.control<QTabWidget>(QStringLiteral("分析页"));
    struct Expected {
        QString tab;
        QStringList titles;
        QString numberCell, numberText; // a cell of the workbook that holds a number
    };
    const std::vector<Expected> cases{
        {"试题分析", {"题型", "题号", "题目", "作答人数", "满分", "得分率P", "区分度D", "相关系数", "标记"}, "D2", "5"},
        {"选项分析", {"题型", "题号", "选项", "正确答案", "高分组(%)", "低分组(%)", "标记"}, "B2", "1"},
        {"分数段", {"分数段", "人数"}, "B2", "2"},
        {"成绩汇总", {"项目", "数值"}, "B2", "5"},
    };
    for (int i = 0; i < tabs->count(); ++i) {
        const Expected &expected = cases[size_t(i)];
        QCOMPARE(tabs->tabText(i), expected.tab);
        tabs->setCurrentIndex(i);
        // On the screen the hidden column 0 stays hidden after a new analysis.
        r.press(QStringLiteral("分析"));
        QVERIFY(qobject_cast<QTableView *>(tabs->widget(i))->isColumnHidden(0));

        const ReportPages *report = r.printedReport();
        QVERIFY(report);
        const ReportDocument &document = report->document();
        QStringList printed;
        for (int c = document.columnCount() - int(expected.titles.size()); c < document.columnCount(); ++c)
            printed << document.columnTitle(c);
        QCOMPARE(printed, expected.titles);
        QVERIFY(document.columnCount() <= expected.titles.size() + 1); // at most the serial column besides
        r.main.printHandOver().close();

        r.press(QStringLiteral("导出"));
        r.platform.openedFiles.clear();
        QTest::mouseClick(r.main.printHandOver().window()->findChild<QPushButton *>(QStringLiteral("导出按钮")),
                          Qt::LeftButton);
        QCOMPARE(r.platform.openedFiles.size(), 1);
        const QString workbook = r.platform.openedFiles.first();
        const QMap<QString, QString> cells = worksheetCells(workbook);
        QStringList titles;
        for (int c = 0; c < expected.titles.size() + 1; ++c)
            titles << cells.value(QChar(u'A' + c) + QStringLiteral("1"));
        QCOMPARE(titles, expected.titles + QStringList{QString()});
        QCOMPARE(cells.value(expected.numberCell), expected.numberText);
        QVERIFY2(numberCells(workbook).contains(expected.numberCell), qPrintable(expected.tab));
        r.main.printHandOver().close();
    }
}

void ResultWindowsTest::markingKeepsScoresThatChangeTheTotals()
{
    Results r;
    auto *window = r.open<MarkingWindow>(QStringLiteral("阅卷"));
    QVERIFY(window);
    QCOMPARE(r.main.windowTitle(), QStringLiteral("考试系统-阅卷"));
    r.choose(r.control<QComboBox>(QStringLiteral("场次选择框")), QStringLiteral("一"));
    QCOMPARE(r.control<QLabel>(QStringLiteral("位置标签"))->text(), QStringLiteral("第 1 / 4 份"));
    QCOMPARE(r.control<QTextEdit>(QStringLiteral("题目框"))->toPlainText(), QStringLiteral("简述光合作用"));
    QCOMPARE(r.control<QTextEdit>(QStringLiteral("标准答案框"))->toPlainText(), QStringLiteral("光能转化为化学能"));
    auto *score = r.control<QDoubleSpinBox>(QStringLiteral("得分框"));
    QCOMPARE(score->maximum(), 4.0);

    // K2's answer: 上一份/下一份 move, 给分 keeps 2.5 and moves on.
    QTest::mouseClick(r.control<QPushButton>(QStringLiteral("下一份按钮")), Qt::LeftButton);
    QCOMPARE(r.control<QTextEdit>(QStringLiteral("考生答案框"))->toPlainText(), QStringLiteral("植物吸收阳光"));
    QCOMPARE(r.control<QLabel>(QStringLiteral("阅卷状态标签"))->text(), QStringLiteral("未阅"));
    QCOMPARE(r.total("K2", "一"), 2.0);
    score->setValue(2.5);
    QTest::mouseClick(r.control<QPushButton>(QStringLiteral("给分按钮")), Qt::LeftButton);
    QCOMPARE(r.total("K2", "一"), 4.5);
    QCOMPARE(window->position(), 2);
    // Marking K1's right answer down by hand changes its total too.
    QTest::mouseClick(r.control<QPushButton>(QStringLiteral("上一份按钮")), Qt::LeftButton);
    QTest::mouseClick(r.control<QPushButton>(QStringLiteral("上一份按钮")), Qt::LeftButton);
    QCOMPARE(window->position(), 0);
    score->setFocus();
    score->selectAll();
    QTest::keyClicks(score, "3");
    QTest::keyClick(score, Qt::Key_Return); // Enter gives the score
    QCOMPARE(r.total("K1", "一"), 5.0);
    QCOMPARE(r.db.count("阅卷"), 2);
    QVERIFY(r.platform.messages.isEmpty());

    // The filter: 已阅 lists the two marked, 未阅 the other two.
    auto *filter = r.control<QComboBox>(QStringLiteral("阅卷筛选框"));
    r.choose(filter, QStringLiteral("已阅"));
    QCOMPARE(window->answerCount(), 2);
    QCOMPARE(r.control<QLabel>(QStringLiteral("阅卷状态标签"))->text(), QStringLiteral("已阅"));
    QCOMPARE(score->value(), 3.0);
    r.choose(filter, QStringLiteral("未阅"));
    QCOMPARE(window->answerCount(), 2);
    QCOMPARE(r.control<QLabel>(QStringLiteral("考生标签"))->text(), QStringLiteral("K3  丙  第1题"));
    // Halves only: 1.3 is refused and stays typed.
    score->setValue(1.3);
    QVERIFY(!window->storeScore());
    QCOMPARE(r.platform.lastMessage().text, QStringLiteral("得分只能是0.5的整数倍"));
    QCOMPARE(score->value(), 1.3);
    QCOMPARE(r.db.count("阅卷"), 2);
}

void ResultWindowsTest::aRefusedScoreSaysFailedAndStaysTyped()
{
    Results r;
    auto *window = r.open<MarkingWindow>(QStringLiteral("阅卷"));
    r.choose(r.control<QComboBox>(QStringLiteral("场次选择框")), QStringLiteral("一"));
    r.db.refuse("阅卷", "insert");
    auto *score = r.control<QDoubleSpinBox>(QStringLiteral("得分框"));
    score->setValue(3.5);
    QTest::mouseClick(r.control<QPushButton>(QStringLiteral("给分按钮")), Qt::LeftButton);
    const Message shown = r.platform.lastMessage();
    QCOMPARE(shown.caption, QStringLiteral("失败"));
    QCOMPARE(shown.icon, Message::Icon::Warning);
    QVERIFY(shown.text.contains(QStringLiteral("拒绝写入")));
    QCOMPARE(score->value(), 3.5);
    QCOMPARE(window->position(), 0);
    QCOMPARE(r.control<QLabel>(QStringLiteral("阅卷状态标签"))->text(), QStringLiteral("未阅"));
    QCOMPARE(r.db.count("阅卷"), 0);
    QCOMPARE(r.total("K1", "一"), 6.0);
}

void ResultWindowsTest::gradingShowsWhichScoresAreByHand()
{
    Results r;
    auto answers = freeAnswers(r.db.store(), "一");
    QVERIFY(answers && answers->size() == 4);
    QVERIFY(storeHandScore(r.db.store(), (*answers)[1], 1.5, QDateTime::currentDateTime()));
    r.open<GradingWindow>(QStringLiteral("评分"));
    r.control<DropDownBox>(QStringLiteral("考号组合框"))->setEditText("K2");
    r.control<DropDownBox>(QStringLiteral("场次组合框"))->setEditText("一");
    r.press(QStringLiteral("评分"));
    QAbstractItemModel *model = r.control<ListGrid>(QStringLiteral("高级表格1"))->model();
    // Rows: 单选 (compared), 问答 (by hand), 总分.
    QCOMPARE(model->index(1, 9).data().toString(), QStringLiteral("1.5"));
    QCOMPARE(model->index(1, 9).data(Qt::ToolTipRole).toString(), QStringLiteral("阅卷给分"));
    QVERIFY(model->index(0, 9).data(Qt::ToolTipRole).isNull());
    QCOMPARE(model->index(2, 9).data().toString(), QStringLiteral("3.5"));

    // The mark goes into print and the workbook as a column of its own,
    // and the score stays a number there.
    const ReportPages *report = r.printedReport();
    QVERIFY(report);
    const ReportDocument &document = report->document();
    QCOMPARE(document.columnTitle(document.columnCount() - 1), QStringLiteral("阅卷"));
    QCOMPARE(document.text(1, document.columnCount() - 1), QStringLiteral("阅卷"));
    QCOMPARE(document.text(0, document.columnCount() - 1), QString());
    r.main.printHandOver().close();
    r.press(QStringLiteral("导出"));
    QTest::mouseClick(r.main.printHandOver().window()->findChild<QPushButton *>(QStringLiteral("导出按钮")),
                      Qt::LeftButton);
    QCOMPARE(r.platform.openedFiles.size(), 1);
    const QString workbook = r.platform.openedFiles.first();
    const QMap<QString, QString> cells = worksheetCells(workbook);
    const QSet<QString> numbers = numberCells(workbook);
    // Columns 题号 … 总分, 阅卷 (A … J); row 1 the titles, row 3 the 问答 answer.
    QCOMPARE(cells.value("I1"), QStringLiteral("总分"));
    QCOMPARE(cells.value("J1"), QStringLiteral("阅卷"));
    QCOMPARE(cells.value("I3"), QStringLiteral("1.5"));
    QVERIFY(numbers.contains("I3"));
    QCOMPARE(cells.value("J3"), QStringLiteral("阅卷"));
    QVERIFY(!numbers.contains("J3"));
    QVERIFY(cells.value("J2").isEmpty());
    // The totals use it, and K3 with nothing right is listed with 0.
    r.control<DropDownBox>(QStringLiteral("考号组合框"))->setEditText(QString());
    r.press(QStringLiteral("评分"));
    QStringList totals;
    for (int row = 0; row < model->rowCount(); ++row)
        if (!model->index(row, 6).data().toString().isEmpty())
            totals << model->index(row, 6).data().toString() + "=" + model->index(row, 9).data().toString();
    QCOMPARE(totals, (QStringList{"K1=6", "K2=3.5", "K3=0", "K4=4"}));
}

// KAOSHI_SCREENSHOTS=<folder> (under Xvfb, QT_QPA_PLATFORM=xcb): the analysis
// window with a marked question and its tip, and the marking view, as PNGs.
void ResultWindowsTest::screenshotsWhenAsked()
{
    const QString folder = qEnvironmentVariable("KAOSHI_SCREENSHOTS");
    if (folder.isEmpty())
        QSKIP("KAOSHI_SCREENSHOTS not set");
    Results r;
    // A question everybody got right: marked as too easy.
    r.db.addQuestion("判断", {1, "地球绕太阳转", "对", {}, 1});
    addAnswers(r.db.store(), {{"K1", "一", "甲", 1, "判断", "对"}, {"K2", "一", "乙", 1, "判断", "对"},
                              {"K3", "一", "丙", 1, "判断", "对"}, {"K4", "一", "丁", 1, "判断", "对"}});
    r.main.resize(1100, 760);
    r.open<AnalysisWindow>(QStringLiteral("成绩分析"));
    r.choose(r.control<QComboBox>(QStringLiteral("场次选择框")), QStringLiteral("一"));
    auto *questions = r.control<QTableView>(QStringLiteral("试题表格"));
    QTest::qWait(300);
    QVERIFY(r.main.grab().save(QDir(folder).filePath("analysis.png")));
    // The mark's tip over the first marked cell of the question table.
    const QModelIndex marked = questions->model()->index(1, ResultTableModel::modelColumn(8));
    QVERIFY(!marked.data(Qt::ToolTipRole).toString().isEmpty());
    const QPoint at = questions->viewport()->mapToGlobal(questions->visualRect(marked).center());
    QToolTip::showText(at, marked.data(Qt::ToolTipRole).toString(), questions->viewport());
    QTest::qWait(500);
    QVERIFY(r.main.screen()->grabWindow(0).save(QDir(folder).filePath("analysis-tip.png")));
    QToolTip::hideText();
    r.control<QTabWidget>(QStringLiteral("分析页"))->setCurrentIndex(1);
    QTest::qWait(300);
    QVERIFY(r.main.grab().save(QDir(folder).filePath("analysis-options.png")));

    r.open<MarkingWindow>(QStringLiteral("阅卷"));
    r.choose(r.control<QComboBox>(QStringLiteral("场次选择框")), QStringLiteral("一"));
    QTest::mouseClick(r.control<QPushButton>(QStringLiteral("下一份按钮")), Qt::LeftButton);
    QTest::qWait(300);
    QVERIFY(r.main.grab().save(QDir(folder).filePath("marking.png")));
}

QTEST_MAIN(ResultWindowsTest)
#include "ResultWindowsTest.moc"
