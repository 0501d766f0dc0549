// The print window driven through its controls' object names, opened from
// the bank list and the practice windows of a whole program run.
#include "TableModel.h"
#include "XlsxCells.h"
#include "bank/BankTestSupport.h"
#include "bank/BankWindow.h"
#include "practice/PracticeWindow.h"
#include "print/FreePrintWindow.h"
#include "print/PrintHandOver.h"
#include "print/PageOutput.h"
#include "print/PdfJoin.h"
#include "print/PreviewWindow.h"
#include "print/ReportPages.h"
#include "ui/Chinese.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <functional>

using namespace kaoshi;
using namespace kaoshi::test;
using kaoshi::test::GeneratedModel;

namespace {

template <typename T>
T *control(QWidget *window, const QString &name)
{
    T *found = window->findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

void click(QWidget *window, const QString &name)
{
    QTest::mouseClick(control<QAbstractButton>(window, name), Qt::LeftButton);
}

// Pages of a PDF file, as its page tree counts them.
int pdfPages(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray pdf = file.readAll();
    if (!pdf.startsWith("%PDF"))
        return -1;
    return int(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page>>") +
               pdf.count("/Type /Page /"));
}

// What poppler reads from a PDF file: its text (of one page, or of all for
// page 0) and what it says of faults in the file.
struct PopplerText {
    QString text;
    QString faults;
};

PopplerText pdfText(const QString &path, int page = 0)
{
    QStringList arguments;
    if (page > 0)
        arguments << QStringLiteral("-f") << QString::number(page) << QStringLiteral("-l") << QString::number(page);
    QProcess poppler;
    poppler.start(QStringLiteral("pdftotext"), arguments << path << QStringLiteral("-"));
    poppler.waitForFinished();
    return {QString::fromUtf8(poppler.readAllStandardOutput()), QString::fromUtf8(poppler.readAllStandardError())};
}

int popplerPageCount(const QString &path)
{
    QProcess poppler;
    poppler.start(QStringLiteral("pdfinfo"), {path});
    poppler.waitForFinished();
    const QRegularExpressionMatch pages =
        QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"), QRegularExpression::MultilineOption)
            .match(QString::fromUtf8(poppler.readAllStandardOutput()));
    return pages.hasMatch() ? pages.captured(1).toInt() : -1;
}

// A list of students: 考号, 姓名 ("学生n号") and a third column.
void fillStudents(ListGrid &grid, const QString &title, int rows, const std::function<QString(int)> &third)
{
    grid.setColumnCount(3);
    grid.setText(0, 0, QStringLiteral("考号"));
    grid.setText(0, 1, QStringLiteral("姓名"));
    grid.setText(0, 2, title);
    for (int i = 1; i <= rows; ++i)
        grid.appendRow({QString::number(i), QStringLiteral("学生%1号").arg(i), third(i)});
}

struct Program : ProgramFixture {
    MainWindow main{context};
    ~Program() { main.printHandOver().close(); }

    QString settingsText(const QString &file = QStringLiteral("题库.ini")) const
    {
        QFile f(QDir(db.programDir()).filePath(file));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    void openBank(const QString &item)
    {
        main.applyScreenSize({1920, 1080});
        main.show();
        main.runMenuItem(item);
        auto *bank = qobject_cast<BankWindow *>(main.currentTaskWindow());
        QVERIFY(bank);
        pressToolButton(bank, QStringLiteral("搜索"));
    }
    // "导出" in the bank list that is open.
    FreePrintWindow *exportBank()
    {
        pressToolButton(main.currentTaskWindow(), QStringLiteral("导出"));
        return main.printHandOver().window();
    }
};

ListGrid *columnGrid(FreePrintWindow *w) { return control<ListGrid>(w, QStringLiteral("导出高级表格")); }

QStringList offered(FreePrintWindow *w)
{
    QStringList titles;
    ListGrid *grid = columnGrid(w);
    for (int row = 1; row < grid->rowCount(); ++row)
        titles << grid->text(row, 0) + QLatin1Char(':') + grid->text(row, 2) +
                      (grid->isChecked(row, 1) ? QString() : QStringLiteral("(未选)"));
    return titles;
}

// The user's click on a row's title, which puts the cursor there.
void clickRow(FreePrintWindow *w, int row)
{
    ListGrid *grid = columnGrid(w);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row - 1, 2)).center());
    QCOMPARE(grid->cursorRow(), row);
}

// Space on a row's tick cell toggles it.
void toggleTick(FreePrintWindow *w, int row)
{
    ListGrid *grid = columnGrid(w);
    grid->setFocus();
    grid->setCursorRow(row, 1);
    QTest::keyClick(grid, Qt::Key_Space);
}

const QStringList kBankColumns{"1:题目", "2:标准答案", "3:解析", "4:分值", "5:章节", "6:题号"};

} // namespace

class FreePrintWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { installChinese(*qApp); }
    void opensFromTheBankListWithTheDefaults();
    void columnChoiceIsStoredAndOfferedAgain();
    void previewShowsEveryRowAndSavesPdf();
    void nothingTickedOnlyShowsAHint();
    void saveKeepsEverySettingOrReportsTheFailure();
    void aSettingsFileThatCannotBeReadIsLeftAsItIs();
    void exportWritesAWorkbookAndOpensIt();
    void aSecondHandOverChangesOnlyTheRequest();
    void reportPdfHasItsPages();
    void aPdfPaintedOnThreadsHasEveryPageInOrder();
    void theWindowIsAnnouncedByItsCaption();
    void aMillionRowsShowTheirFirstPageAtOnce();
};

void FreePrintWindowTest::opensFromTheBankListWithTheDefaults()
{
    Program p;
    p.db.addQuestions(QStringLiteral("多选"), 3);
    p.openBank(QStringLiteral("多选题库"));
    FreePrintWindow *w = p.exportBank();
    QVERIFY(w);
    QVERIFY(w->isVisible());
    QVERIFY(w->isWindow());
    QCOMPARE(w->windowTitle(), QStringLiteral("多选题库导出"));
    QCOMPARE(w->size(), QSize(480, 298));
    QCOMPARE(offered(w), kBankColumns);
    ListGrid *grid = columnGrid(w);
    QCOMPARE(grid->text(0, 1), QStringLiteral("选择"));
    QCOMPARE(grid->columnWidth(0), 0);
    QCOMPARE(grid->columnWidth(1), 30);
    QCOMPARE(grid->columnWidth(2), 80);
    QVERIFY(!grid->model()->flags(grid->model()->index(0, 2)).testFlag(Qt::ItemIsEditable));

    QCOMPARE(control<QLineEdit>(w, QStringLiteral("字体编辑框"))->text(), QStringLiteral("黑体,22"));
    QCOMPARE(control<QComboBox>(w, QStringLiteral("纸型组合框"))->currentText(), QStringLiteral("#A4纸"));
    QCOMPARE(control<QComboBox>(w, QStringLiteral("纸型组合框"))->count(), 8);
    QCOMPARE(control<QComboBox>(w, QStringLiteral("打印方向组合框"))->currentText(), QStringLiteral("#横向"));
    QVERIFY(control<QRadioButton>(w, QStringLiteral("线型1"))->isChecked());
    QVERIFY(control<QLineEdit>(w, QStringLiteral("行数编辑框"))->text().isEmpty());
    QVERIFY(control<QLineEdit>(w, QStringLiteral("字体大小"))->text().isEmpty());
    QVERIFY(!control<QCheckBox>(w, QStringLiteral("序号"))->isChecked());
    QVERIFY(!control<QCheckBox>(w, QStringLiteral("保存配置选择框"))->isChecked());
    QVERIFY(!control<QLabel>(w, QStringLiteral("标签7"))->isVisible());
    QCOMPARE(control<QPushButton>(w, QStringLiteral("导出按钮"))->accessibleName(), QStringLiteral("导出excel"));
    QCOMPARE(control<QLineEdit>(w, QStringLiteral("标题编辑框"))->accessibleName(), QStringLiteral("打印标题"));

    // No visible control overlaps another of the same parent.
    const QList<QWidget *> children = w->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly);
    for (QWidget *a : children)
        for (QWidget *b : children)
            if (a != b && a->isVisible() && b->isVisible())
                QVERIFY2(!a->geometry().intersects(b->geometry()),
                         qPrintable(a->objectName() + QStringLiteral(" / ") + b->objectName()));

    // Esc closes the window and stores nothing.
    QTest::keyClick(control<QLineEdit>(w, QStringLiteral("标题编辑框")), Qt::Key_Escape);
    QTRY_VERIFY(!p.main.printHandOver().window());
    QVERIFY(p.settingsText().isEmpty());
}

void FreePrintWindowTest::columnChoiceIsStoredAndOfferedAgain()
{
    Program p;
    p.db.addQuestions(QStringLiteral("单选"), 3);
    p.openBank(QStringLiteral("单选题库"));
    FreePrintWindow *w = p.exportBank();
    click(w, QStringLiteral("保存配置选择框"));
    toggleTick(w, 3);
    clickRow(w, 5);
    for (int i = 0; i < 5; ++i) // the fifth press finds it at the top already
        click(w, QStringLiteral("上移按钮"));
    QCOMPARE(columnGrid(w)->cursorRow(), 1);
    clickRow(w, 6);
    click(w, QStringLiteral("下移按钮")); // the last row stays
    QCOMPARE(offered(w), (QStringList{"5:章节", "1:题目", "2:标准答案", "3:解析(未选)", "4:分值", "6:题号"}));

    click(w, QStringLiteral("打印按钮"));
    QVERIFY(p.settingsText().contains(QStringLiteral("\n打印字段=5,1,2,4,6\n")));
    QPointer<PreviewWindow> preview = w->previewDialog();
    QVERIFY(preview);
    QVERIFY(!w->isVisible());
    preview->close();
    QTRY_VERIFY(!p.main.printHandOver().window());

    w = p.exportBank();
    QCOMPARE(offered(w), (QStringList{"5:章节", "1:题目", "2:标准答案", "4:分值", "6:题号"}));
    const QString stored = p.settingsText();
    click(w, QStringLiteral("复原按钮"));
    QCOMPARE(offered(w), kBankColumns);
    QCOMPARE(p.settingsText(), stored);

    // "全选" ticks and unticks every row; nothing ticked and saved offers all again.
    toggleTick(w, 2);
    click(w, QStringLiteral("全选选择框"));
    QCOMPARE(offered(w), kBankColumns);
    click(w, QStringLiteral("全选选择框"));
    QVERIFY(offered(w).join(QString()).count(QStringLiteral("(未选)")) == 6);
    click(w, QStringLiteral("保存配置按钮"));
    QVERIFY(p.settingsText().contains(QStringLiteral("\n打印字段=\n")));
    QTRY_VERIFY(!p.main.printHandOver().window());
    QCOMPARE(offered(p.exportBank()), kBankColumns);
}

void FreePrintWindowTest::previewShowsEveryRowAndSavesPdf()
{
    Program p;
    p.db.addQuestions(QStringLiteral("单选"), 30);
    p.openBank(QStringLiteral("单选题库"));
    FreePrintWindow *w = p.exportBank();
    control<QLineEdit>(w, QStringLiteral("标题编辑框"))->setText(QStringLiteral("  单选题目一览 "));
    click(w, QStringLiteral("序号"));
    control<QLineEdit>(w, QStringLiteral("行数编辑框"))->setText(QStringLiteral("12"));
    click(w, QStringLiteral("打印按钮"));
    QCOMPARE(w->windowTitle(), QStringLiteral("单选题目一览"));
    PreviewWindow *preview = w->previewDialog();
    QVERIFY(preview);
    QVERIFY(preview->isVisible());
    QCOMPARE(preview->windowTitle(), QStringLiteral("打印预览"));
    QVERIFY(w->reportShown());
    const ReportDocument &doc = w->reportShown()->document();
    QCOMPARE(doc.bodyRowCount(), 30);
    QCOMPARE(doc.columnCount(), 7);
    QCOMPARE(doc.text(29, 1), QStringLiteral("单选题30"));
    QCOMPARE(doc.options().rowsPerPage, 12);
    QVERIFY(p.platform.messages.isEmpty()); // nothing kept, nothing reported

    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("一览.pdf"));
    p.platform.setNextFileName(pdf);
    QVERIFY(preview->savePdfAction());
    preview->savePdfAction()->trigger();
    QVERIFY(p.platform.messages.isEmpty());
    QCOMPARE(pdfPages(pdf), 3);

    p.platform.setNextFileName(dir.filePath(QStringLiteral("无此文件夹/一览.pdf")));
    preview->savePdfAction()->trigger();
    QCOMPARE(p.platform.lastMessage().caption, QStringLiteral("失败"));
    QCOMPARE(p.platform.lastMessage().icon, Message::Icon::Warning);
    QVERIFY(p.platform.lastMessage().text.startsWith(QStringLiteral("PDF文件没有保存")));
    QVERIFY(preview->isVisible());
}

void FreePrintWindowTest::nothingTickedOnlyShowsAHint()
{
    Program p;
    p.db.addQuestions(QStringLiteral("单选"), 2);
    p.openBank(QStringLiteral("单选题库"));
    FreePrintWindow *w = p.exportBank();
    click(w, QStringLiteral("全选选择框")); // the box starts unticked: ticks all
    click(w, QStringLiteral("全选选择框")); // unticks all
    click(w, QStringLiteral("打印按钮"));
    QCOMPARE(p.platform.lastMessage(),
             (Message{QStringLiteral("当前没有可打印的内容，请选择要打印的列。"), QStringLiteral("温馨提示"),
                      Message::Icon::None}));
    QVERIFY(w->isVisible());
    QVERIFY(!w->previewDialog());
    QVERIFY(!control<QLabel>(w, QStringLiteral("标签7"))->isVisible());
}

void FreePrintWindowTest::saveKeepsEverySettingOrReportsTheFailure()
{
    Program p;
    p.db.addQuestions(QStringLiteral("判断"), 2);
    p.openBank(QStringLiteral("判断题库"));
    FreePrintWindow *w = p.exportBank();
    p.platform.setNextFont(FontChoice{QStringLiteral("宋体"), 12});
    click(w, QStringLiteral("按钮3"));
    QCOMPARE(control<QLineEdit>(w, QStringLiteral("字体编辑框"))->text(), QStringLiteral("宋体,12"));
    click(w, QStringLiteral("按钮3")); // cancelled
    QCOMPARE(control<QLineEdit>(w, QStringLiteral("字体编辑框"))->text(), QStringLiteral("宋体,12"));
    QCOMPARE(p.platform.fontDialogs, 2);
    control<QLineEdit>(w, QStringLiteral("标题编辑框"))->setText(QStringLiteral("判断题"));
    control<QComboBox>(w, QStringLiteral("纸型组合框"))->setCurrentIndex(0);
    control<QComboBox>(w, QStringLiteral("打印方向组合框"))->setCurrentIndex(0);
    control<QLineEdit>(w, QStringLiteral("行数编辑框"))->setText(QStringLiteral("20"));
    click(w, QStringLiteral("线型3"));
    control<QLineEdit>(w, QStringLiteral("字体大小"))->setText(QStringLiteral("35"));
    click(w, QStringLiteral("序号"));
    click(w, QStringLiteral("保存配置按钮"));
    QTRY_VERIFY(!p.main.printHandOver().window());
    QVERIFY(p.platform.messages.isEmpty());

    w = p.exportBank();
    PrintSettings expected;
    expected.title = QStringLiteral("判断题");
    expected.fieldList = QStringLiteral("1,2,3,4,5,6");
    expected.titleFont = QStringLiteral("宋体,12");
    expected.paper = 0;
    expected.orientation = 0;
    expected.rowsPerPage = QStringLiteral("20");
    expected.lineStyle = 3;
    expected.bodyFontSize = QStringLiteral("35");
    expected.serialColumn = true;
    expected.keep = true;
    QCOMPARE(w->settingsShown(), expected);
    QVERIFY(control<QRadioButton>(w, QStringLiteral("线型3"))->isChecked());

    // A settings file that cannot be replaced: the failure is shown, the window stays.
    const QString path = QDir(p.db.programDir()).filePath(QStringLiteral("题库.ini"));
    QVERIFY(QFile::remove(path));
    QVERIFY(QDir().mkpath(path));
    click(w, QStringLiteral("保存配置按钮"));
    QCOMPARE(p.platform.lastMessage().caption, QStringLiteral("失败"));
    QVERIFY(p.platform.lastMessage().text.startsWith(QStringLiteral("打印设置没有保存到")));
    QVERIFY(w->isVisible());
    QCOMPARE(p.main.printHandOver().window(), w);
    // The preview is still shown after saying so.
    p.platform.clear();
    click(w, QStringLiteral("打印按钮"));
    QCOMPARE(p.platform.messages.size(), 1);
    QCOMPARE(p.platform.lastMessage().caption, QStringLiteral("失败"));
    QVERIFY(w->previewDialog());
}

void FreePrintWindowTest::aSettingsFileThatCannotBeReadIsLeftAsItIs()
{
    Program p;
    p.db.addQuestions(QStringLiteral("单选"), 2);
    const QString path = QDir(p.db.programDir()).filePath(QStringLiteral("题库.ini"));
    const QByteArray damaged("[高级表格打印]\n标题=成绩\xff单\n保存配置=真\n");
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(damaged);
    file.close();
    p.openBank(QStringLiteral("单选题库"));
    FreePrintWindow *w = p.exportBank();
    QCOMPARE(p.platform.lastMessage().caption, QStringLiteral("失败"));
    QVERIFY(p.platform.lastMessage().text.contains(QDir::toNativeSeparators(path)));
    QCOMPARE(w->settingsShown(), (PrintSettings{QString(), QStringLiteral("1,2,3,4,5,6")}));
    // Keeping the settings is refused and said; the file stays as it was.
    p.platform.clear();
    click(w, QStringLiteral("保存配置按钮"));
    QCOMPARE(p.platform.lastMessage().caption, QStringLiteral("失败"));
    QVERIFY(w->isVisible());
    click(w, QStringLiteral("打印按钮"));
    QVERIFY(w->previewDialog());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), damaged);
}

void FreePrintWindowTest::exportWritesAWorkbookAndOpensIt()
{
    Program p;
    p.db.addQuestions(QStringLiteral("单选"), 3);
    p.openBank(QStringLiteral("单选题库"));
    FreePrintWindow *w = p.exportBank();
    toggleTick(w, 3); // 解析
    clickRow(w, 6);
    for (int i = 0; i < 5; ++i)
        click(w, QStringLiteral("上移按钮")); // 题号 first

    click(w, QStringLiteral("导出按钮"));
    QVERIFY(p.platform.messages.isEmpty());
    QCOMPARE(p.platform.openedFiles.size(), 1);
    const QString workbook = p.platform.openedFiles.first();
    // Kept in 导出 of the program's folder, made when missing.
    QCOMPARE(QFileInfo(workbook).absolutePath(), QDir(p.db.programDir()).filePath(QStringLiteral("导出")));
    QVERIFY(workbook.endsWith(QStringLiteral(".xlsx")));
    const QMap<QString, QString> cells = worksheetCells(workbook);
    QCOMPARE(cells.value("A1"), QStringLiteral("题号"));
    QCOMPARE(cells.value("B1"), QStringLiteral("题目"));
    QCOMPARE(cells.value("C1"), QStringLiteral("标准答案"));
    QCOMPARE(cells.value("D1"), QStringLiteral("分值"));
    QCOMPARE(cells.value("E1"), QStringLiteral("章节"));
    QCOMPARE(cells.value("B4"), QStringLiteral("单选题3"));
    QCOMPARE(cells.value("A4"), QStringLiteral("3"));
    QVERIFY(!cells.contains("F1"));
    // 题号 and 分值 are numbers; titles and texts are text.
    const QSet<QString> numbers = numberCells(workbook);
    QVERIFY(numbers.contains("A4"));
    QVERIFY(numbers.contains("D4"));
    QVERIFY(!numbers.contains("A1"));
    QVERIFY(!numbers.contains("B4"));
    QTRY_VERIFY(!p.main.printHandOver().window());

    // No program opens it: a notice names the file and offers its folder.
    w = p.exportBank();
    p.platform.setNextOpenResult(false);
    p.platform.setNextAnswer(true);
    click(w, QStringLiteral("导出按钮"));
    QCOMPARE(p.platform.messages.size(), 1);
    const Message notice = p.platform.lastMessage();
    QCOMPARE(notice.caption, QStringLiteral("系统消息"));
    QCOMPARE(notice.okText, QStringLiteral("打开文件夹"));
    QCOMPARE(p.platform.openedFiles.size(), 3);
    QVERIFY(notice.text.contains(QDir::toNativeSeparators(p.platform.openedFiles[1])));
    QCOMPARE(p.platform.openedFiles[2], QDir(p.db.programDir()).filePath(QStringLiteral("导出")));
    QVERIFY(QFile::exists(p.platform.openedFiles[1]));
    QTRY_VERIFY(!p.main.printHandOver().window());

    // The folder cannot be made: the failure names it, the window stays.
    QVERIFY(QDir(QDir(p.db.programDir()).filePath(QStringLiteral("导出"))).removeRecursively());
    QFile blocker(QDir(p.db.programDir()).filePath(QStringLiteral("导出")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    w = p.exportBank();
    p.platform.clear();
    click(w, QStringLiteral("导出按钮"));
    QCOMPARE(p.platform.lastMessage().caption, QStringLiteral("失败"));
    QCOMPARE(p.platform.lastMessage().icon, Message::Icon::Warning);
    QVERIFY(p.platform.lastMessage().text.contains(QDir::toNativeSeparators(blocker.fileName())));
    QVERIFY(p.platform.openedFiles.isEmpty());
    QVERIFY(w->isVisible());
}

void FreePrintWindowTest::aSecondHandOverChangesOnlyTheRequest()
{
    Program p;
    for (const QString &type : {"单选", "多选", "判断", "问答"})
        p.db.addQuestions(type, 2);
    p.db.store().execute(QStringLiteral("update 判断 set 标准答案='×', 练习答案='√' where 题号=2"));
    p.openBank(QStringLiteral("单选题库"));
    FreePrintWindow *w = p.exportBank();

    // The bank list closes: the print window stays, but has no list to print.
    p.main.runMenuItem(QStringLiteral("顺序练习"));
    auto *practice = qobject_cast<PracticeWindow *>(p.main.currentTaskWindow());
    QVERIFY(practice);
    QCOMPARE(p.main.printHandOver().window(), w);
    QTRY_VERIFY(!p.main.printHandOver().request().source); // the closed list is gone
    click(w, QStringLiteral("打印按钮"));
    QVERIFY(p.platform.lastMessage().text.contains(QStringLiteral("列表已经关闭")));
    QVERIFY(w->isVisible());

    // "错题" hands the wrong-question list to the open window.
    const QString bankSettings = p.settingsText();
    practice->runToolbarButton(QStringLiteral("错题"));
    QCOMPARE(p.main.printHandOver().window(), w);
    QCOMPARE(w->windowTitle(), QStringLiteral("单选题库导出"));
    QCOMPARE(offered(w), kBankColumns);
    QCOMPARE(p.main.printHandOver().request().settingsFile, QStringLiteral("错题.ini"));
    click(w, QStringLiteral("复原按钮")); // now offers the wrong list's columns
    QCOMPARE(offered(w).size(), columnGrid(w)->rowCount() - 1);
    QVERIFY(offered(w) != kBankColumns);
    click(w, QStringLiteral("打印按钮"));
    QVERIFY(w->previewDialog());
    QCOMPARE(w->reportShown()->document().bodyRowCount(), 1);
    QVERIFY(QFile::exists(QDir(p.db.programDir()).filePath(QStringLiteral("错题.ini"))));
    QCOMPARE(p.settingsText(), bankSettings);
}

void FreePrintWindowTest::reportPdfHasItsPages()
{
    QTemporaryDir dir;
    ReportOptions options;
    options.title = QStringLiteral("成绩单");
    options.serialColumn = true;
    options.lineStyle = 4;
    options.rowsPerPage = 20;
    ListGrid grid;
    fillStudents(grid, QStringLiteral("总分"), 45, [](int i) { return QString::number(60 + i % 40); });
    const PrintTable table = PrintTable::of(listPrintRequest(grid, QString(), QString()));
    const ReportDocument doc = ReportDocument::build(table, allColumns(table), options);

    const ReportPages pages(doc);
    const QString path = dir.filePath(QStringLiteral("成绩单.pdf"));
    QString error;
    QVERIFY2(writePdf(pages, path, options.title, &error), qPrintable(error));
    QCOMPARE(pdfPages(path), 3);
    if (const QByteArray keep = qgetenv("KAOSHI_KEEP_PDF"); !keep.isEmpty())
        QFile::copy(path, QString::fromLocal8Bit(keep));

    // A save that does not complete leaves the file that was there as it
    // was, and nothing else in its folder.
    QFile old(path);
    QVERIFY(old.open(QIODevice::ReadOnly));
    const QByteArray before = old.readAll();
    old.close();
    QVERIFY(!writePdf(pages, path, options.title, &error, [](int done, int) { return done < 2; }));
    QCOMPARE(error, QStringLiteral("已停止"));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), before);
    old.close();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("成绩单.pdf")});
    // A set of files is written as one: stopped in its second file, the
    // first file's old version stays as well.
    const QString second = dir.filePath(QStringLiteral("成绩单2.pdf"));
    QVERIFY(writePdfs({{&pages, second}}, options.title, &error));
    QFile secondFile(second);
    QVERIFY(secondFile.open(QIODevice::ReadOnly));
    const QByteArray secondBefore = secondFile.readAll();
    secondFile.close();
    QVERIFY(!writePdfs({{&pages, second}, {&pages, path}}, options.title, &error,
                       [](int done, int total) { return done < total - 1; }));
    QCOMPARE(error, QStringLiteral("已停止"));
    QVERIFY(secondFile.open(QIODevice::ReadOnly));
    QCOMPARE(secondFile.readAll(), secondBefore);
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), before);
    old.close();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{QStringLiteral("成绩单.pdf"), QStringLiteral("成绩单2.pdf")}));
    QVERIFY(!writePdf(pages, dir.filePath(QStringLiteral("无此文件夹/成绩单.pdf")), options.title, &error));
    QVERIFY(!error.isEmpty());
}

void FreePrintWindowTest::aPdfPaintedOnThreadsHasEveryPageInOrder()
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty())
        QSKIP("poppler's pdftotext and pdfinfo are not installed");
    QTemporaryDir dir;
    ReportOptions options;
    options.title = QStringLiteral("评语表");
    options.serialColumn = true;
    options.rowsPerPage = 4;
    ListGrid grid; // rows of one to eleven lines
    fillStudents(grid, QStringLiteral("评语"), 30,
                 [](int i) {
                     return QStringLiteral("第%1条：").arg(i) + QStringLiteral("认真完成作业。").repeated(i % 3 * 4);
                 });
    // Text as poppler reads it, its lines joined; the radicals whose glyphs
    // the font shares read as the characters.
    const auto readable = [](const QString &text) {
        return text.normalized(QString::NormalizationForm_KC).remove(QRegularExpression(QStringLiteral("\\s")));
    };
    const PrintTable table = PrintTable::of(listPrintRequest(grid, QString(), QString()));
    const ReportPages pages(ReportDocument::build(table, allColumns(table), options));
    const int count = pages.pageCount();
    QVERIFY(count >= 8); // at most 4 rows a page

    // One painter writes the file as it always did; two and three paint
    // their pages in turn into files of their own that are joined.
    QString whole;
    for (const int threads : {1, 2, 3}) {
        setPdfPainters(threads);
        const QString path = dir.filePath(QStringLiteral("评语%1.pdf").arg(threads));
        QString error;
        QVERIFY2(writePdf(pages, path, options.title, &error), qPrintable(error));
        QCOMPARE(popplerPageCount(path), count);
        const PopplerText all = pdfText(path);
        QCOMPARE(all.faults, QString());
        if (threads == 1)
            whole = all.text;
        QCOMPARE(all.text, whole);
        for (int page = 1; page <= count; ++page) {
            const QString text = readable(pdfText(path, page).text);
            // The font draws 页 with the glyph of the radical ⻚, which poppler may read back.
            const QString number = readable(QStringLiteral("第%1[页⻚]，共%2[页⻚]").arg(page).arg(count));
            QVERIFY2(text.contains(QRegularExpression(number)), qPrintable(text));
            QVERIFY(text.contains(readable(options.title)));
            const int first = pages.layout().firstRow(page - 1);
            const int after = first + pages.layout().rowCount(page - 1);
            for (int row = first; row < after; ++row)
                QVERIFY2(text.contains(readable(QStringLiteral("第%1条：").arg(row + 1))), qPrintable(text));
            QVERIFY(!text.contains(readable(QStringLiteral("第%1条：").arg(after + 1))));
        }
    }

    // Stopped while painted on threads: the file that was there stays, and
    // no part is left in the folder.
    const QString path = dir.filePath(QStringLiteral("评语3.pdf"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::ReadOnly));
    const QByteArray before = old.readAll();
    old.close();
    const QStringList files = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    QString error;
    QVERIFY(!writePdf(pages, path, options.title, &error, [](int done, int) { return done < 3; }));
    QCOMPARE(error, QStringLiteral("已停止"));
    QVERIFY(old.open(QIODevice::ReadOnly));
    QCOMPARE(old.readAll(), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), files);
    setPdfPainters(0);

    // A part that is not a PDF file is refused, with a reason.
    QFile notPdf(dir.filePath(QStringLiteral("不是.pdf")));
    QVERIFY(notPdf.open(QIODevice::WriteOnly));
    notPdf.write("%PDF-1.4\nnot a document\n");
    notPdf.close();
    QVERIFY(!interleavePdfs({path, notPdf.fileName()}, dir.filePath(QStringLiteral("合并.pdf")), &error));
    QVERIFY(!error.isEmpty());
}

void FreePrintWindowTest::theWindowIsAnnouncedByItsCaption()
{
    Program p;
    p.db.addQuestions(QStringLiteral("多选"), 1);
    p.openBank(QStringLiteral("多选题库"));
    FreePrintWindow *w = p.exportBank();
    QAccessibleInterface *window = QAccessible::queryAccessibleInterface(w);
    QVERIFY(window);
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral("多选题库导出"));
    QCOMPARE(window->role(), QAccessible::Window);
    // The caption becomes the title when the preview is built; so does the name.
    control<QLineEdit>(w, QStringLiteral("标题编辑框"))->setText(QStringLiteral("多选题"));
    click(w, QStringLiteral("打印按钮"));
    QCOMPARE(window->text(QAccessible::Name), QStringLiteral("多选题"));
    // Every control of the preview has a name a screen reader says.
    PreviewWindow *preview = w->previewDialog();
    QVERIFY(preview);
    QCOMPARE(QAccessible::queryAccessibleInterface(preview)->text(QAccessible::Name), QStringLiteral("打印预览"));
    for (QWidget *c : preview->findChildren<QWidget *>()) {
        if (c->objectName().isEmpty() || c->objectName().startsWith(QStringLiteral("qt_")))
            continue;
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(c);
        QVERIFY2(iface && !iface->text(QAccessible::Name).isEmpty(), qPrintable(c->objectName()));
    }
}

void FreePrintWindowTest::aMillionRowsShowTheirFirstPageAtOnce()
{
    ProgramState state;
    GeneratedModel model(1000000, 7);
    const PrintTable table(&model);
    ReportOptions options;
    options.title = QStringLiteral("一百万行");
    auto pages = std::make_unique<ReportPages>(ReportDocument::build(table, allColumns(table), options));
    const ReportPages *report = pages.get();
    PreviewWindow preview(state.context, std::move(pages), options.title);
    QSignalSpy painted(&preview, &PreviewWindow::pagePainted);
    preview.show();
    QVERIFY(QTest::qWaitForWindowExposed(&preview));
    QTRY_VERIFY(!painted.isEmpty());
    QCOMPARE(preview.currentPage(), 0);
    for (const QList<QVariant> &call : painted)
        QCOMPARE(call.value(0).toInt(), 0); // page 2 is never painted
    // Only the rows of the pages counted so far were read; counting goes on
    // in the background while the window answers.
    QVERIFY(!report->layout().isComplete());
    QVERIFY(model.lastRowRead < 1000000);
    auto *count = control<QLabel>(&preview, QStringLiteral("页数标签"));
    QVERIFY(count->text().contains(QStringLiteral("正在分页")));

    // The next page is painted when it is shown, and only then.
    painted.clear();
    preview.findChild<QAction *>(QStringLiteral("下一页"))->trigger();
    QTRY_VERIFY(!painted.isEmpty());
    QCOMPARE(painted.last().value(0).toInt(), 1);
    QCOMPARE(control<QSpinBox>(&preview, QStringLiteral("页码框"))->value(), 2);
}

QTEST_MAIN(FreePrintWindowTest)
#include "FreePrintWindowTest.moc"
