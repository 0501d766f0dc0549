// 考试 > 打印试卷 driven through its controls: counts from 配置 changed for
// one paper only, variants written to PDF (read back with pdftotext), each
// run kept before it is printed, a refused write reported, the preview paged
// through and exported as one PDF or one per kind, and the reprint of a
// stored run.
#include "support/ProgramState.h"
#include "support/TestDatabase.h"

#include "app/MainWindow.h"
#include "data/ConfigTable.h"
#include "data/PrintedPaperTable.h"
#include "exam/PrintPaperDialog.h"
#include "print/PreviewWindow.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QToolButton>
#include <QtTest>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

struct Program : ProgramState {
    MainWindow main{context};

    Program()
    {
        for (int n = 1; n <= 6; ++n)
            db.addQuestion(QStringLiteral("单选"), {n, QStringLiteral("单选第%1题的说法A.甲%1B.乙%1C.丙%1D.丁%1").arg(n),
                                                    QStringLiteral("A"), QStringLiteral("解析%1").arg(n), 2});
        for (int n = 1; n <= 3; ++n)
            db.addQuestion(QStringLiteral("判断"), {n, QStringLiteral("判断第%1题").arg(n), QStringLiteral("√"), {}, 1});
        db.addQuestion(QStringLiteral("问答"), {1, QStringLiteral("简述问答题"), QStringLiteral("要点一"), {}, 10});
        // A picture with the first question.
        QDir(db.programDir()).mkpath(QStringLiteral("image"));
        QImage picture(400, 200, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        picture.save(QDir(db.programDir()).filePath(QStringLiteral("image/p1.png")));
        db.addPicture(QStringLiteral("单选"), 1, QStringLiteral("图"), QStringLiteral("\\image\\p1.png"));
        storeExamSettings(db.store(), {{3, 0, 2, 1}, 60});
        main.show();
        QVERIFY(QTest::qWaitForWindowExposed(&main));
    }
    PrintPaperDialog *open()
    {
        main.runMenuItem(QStringLiteral("打印试卷"));
        return qobject_cast<PrintPaperDialog *>(main.currentTaskWindow());
    }
    QString out(const QString &name) const { return QDir(db.programDir()).filePath(name); }
};

template <typename W>
W *control(QWidget *dialog, const QString &name)
{
    W *found = dialog->findChild<W *>(name);
    if (!found)
        qWarning() << "no control" << name;
    return found;
}

void click(QWidget *dialog, const QString &button)
{
    QTest::mouseClick(control<QPushButton>(dialog, button + QStringLiteral("按钮")), Qt::LeftButton);
}

// A button of the preview's toolbar.
void press(PreviewWindow *preview, const QString &button)
{
    QTest::mouseClick(control<QToolButton>(preview, button), Qt::LeftButton);
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of a PDF without spaces. Qt writes the shared glyphs of the Noto
// faces with the code of a radical (⼀ for 一, ⻚ for 页); NFKC turns most
// back, and page numbers are matched without the 页.
QString pdfText(const QString &file)
{
    return run(QStringLiteral("pdftotext"), {file, QStringLiteral("-")})
        .normalized(QString::NormalizationForm_KC)
        .remove(QRegularExpression(QStringLiteral("\\s")));
}

int pageNumbers(const QString &text, int page = 0)
{
    const QString number = page > 0 ? QString::number(page) : QStringLiteral("\\d+");
    return int(text.count(QRegularExpression(QStringLiteral("第%1\\S共\\d+\\S").arg(number))));
}

bool holds(const QString &text, const char *expected)
{
    return text.contains(QString::fromUtf8(expected).normalized(QString::NormalizationForm_KC).remove(QLatin1Char(' ')).remove(QChar(0x3000)));
}

int pdfPages(const QString &file)
{
    const QRegularExpressionMatch match =
        QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(run(QStringLiteral("pdfinfo"), {file}));
    return match.hasMatch() ? match.captured(1).toInt() : -1;
}

} // namespace

class PrintPaperDialogTest : public QObject
{
    Q_OBJECT
private slots:
    void countsComeFromConfigAndStayThere()
    {
        Program p;
        PrintPaperDialog *dialog = p.open();
        QVERIFY(dialog);
        QCOMPARE(dialog->windowTitle(), QStringLiteral("打印试卷"));
        // Every control is found by its name and read out by a screen reader.
        for (QWidget *child : dialog->findChildren<QWidget *>()) {
            if (!qobject_cast<QAbstractButton *>(child) && !qobject_cast<QLineEdit *>(child) &&
                !qobject_cast<QAbstractSpinBox *>(child) && !qobject_cast<QComboBox *>(child))
                continue;
            if (child->parentWidget() && qobject_cast<QAbstractSpinBox *>(child->parentWidget()))
                continue; // the spin box's own line edit
            if (child->parentWidget() && qobject_cast<QComboBox *>(child->parentWidget()))
                continue;
            QVERIFY2(!child->objectName().isEmpty(), child->metaObject()->className());
            QVERIFY2(!child->accessibleName().isEmpty(), qPrintable(child->objectName()));
        }
        QCOMPARE(control<QLineEdit>(dialog, "标题编辑框")->text(), QStringLiteral("考试试卷"));
        QCOMPARE(control<QSpinBox>(dialog, "单选题数编辑框")->value(), 3);
        QCOMPARE(control<QSpinBox>(dialog, "判断题数编辑框")->value(), 2);
        control<QSpinBox>(dialog, "单选题数编辑框")->setValue(5);
        QCOMPARE(dialog->plan().counts, (std::array<qint64, 4>{5, 0, 2, 1}));
        dialog->close();
        QCOMPARE(readExamSettings(p.db.store())->draws[0], 3);
    }

    void variantsGoIntoOnePdfWithHeaderSectionsQuestionsAndKeys()
    {
        Program p;
        PrintPaperDialog *dialog = p.open();
        QVERIFY(dialog);
        control<QSpinBox>(dialog, "变体数编辑框")->setValue(2);
        control<QLineEdit>(dialog, "场次编辑框")->setText(QStringLiteral("第一场"));
        p.platform.setNextFileName(p.out("卷.pdf"));
        click(dialog, "导出PDF");
        QCOMPARE(p.platform.lastMessage().caption, QStringLiteral("系统消息"));
        QVERIFY(p.platform.lastMessage().text.contains(QStringLiteral("卷.pdf")));

        const QString text = pdfText(p.out("卷.pdf"));
        for (const char *expected : {"考试试卷", "A卷", "场次：第一场", "B卷", "考号：", "一、单项选择题（每题2分，共6分）",
                                     "二、判断题（每题1分，共2分）", "三、问答题（每题10分，共10分）", "的说法", "考试试卷 答题卡",
                                     "考试试卷 答案", "6.（10分）要点一"})
            QVERIFY2(holds(text, expected), qPrintable(QString::fromUtf8(expected) + QStringLiteral(" in ") + text.left(300)));
        // The key of the 判断 section: numbers go on through the paper.
        QVERIFY(text.contains(QRegularExpression(QStringLiteral("4\\.[√×]\\(1分\\)5\\.[√×]\\(1分\\)"))));
        // Paper, sheet and key of two variants, each numbered on its own.
        QCOMPARE(pageNumbers(text, 1), 6);
        QCOMPARE(pdfPages(p.out("卷.pdf")), pageNumbers(text));

        // Both variants were kept before they were printed.
        QCOMPARE(p.db.count(QStringLiteral("印卷")), 2);
        QCOMPARE(p.db.count(QStringLiteral("印卷题目")), 12);
        QCOMPARE(control<QComboBox>(dialog, "已印试卷组合框")->count(), 1);
    }

    void onePdfPerKind()
    {
        Program p;
        PrintPaperDialog *dialog = p.open();
        QVERIFY(dialog);
        control<QSpinBox>(dialog, "变体数编辑框")->setValue(3);
        control<QComboBox>(dialog, "PDF文件组合框")->setCurrentIndex(1);
        control<QComboBox>(dialog, "答案位置组合框")->setCurrentIndex(1);
        p.platform.setNextFileName(p.out("期末.pdf"));
        click(dialog, "导出PDF");
        for (const char *kind : {"试卷", "答题卡", "教师用卷"}) {
            const QString file = p.out(QStringLiteral("期末-%1.pdf").arg(QString::fromUtf8(kind)));
            QVERIFY2(QFile::exists(file), kind);
            QCOMPARE(pageNumbers(pdfText(file), 1), 3);
        }
        QVERIFY(holds(pdfText(p.out("期末-教师用卷.pdf")), "【答案】"));
        QVERIFY(!QFile::exists(p.out("期末.pdf")));
    }

    void refusedStoreIsReportedAndNothingPrinted()
    {
        Program p;
        QVERIFY(ensurePrintedPaperTables(p.db.store()));
        p.db.refuse(QStringLiteral("印卷"), QStringLiteral("insert"));
        PrintPaperDialog *dialog = p.open();
        QVERIFY(dialog);
        p.platform.setNextFileName(p.out("不该有.pdf"));
        click(dialog, "导出PDF");
        QCOMPARE(p.platform.lastMessage().caption, QStringLiteral("失败"));
        QVERIFY(p.platform.lastMessage().text.contains(QStringLiteral("拒绝写入")));
        QVERIFY(!QFile::exists(p.out("不该有.pdf")));
        click(dialog, "打印预览");
        QVERIFY(!dialog->previewWindow());
        QVERIFY(dialog->isVisible());
    }

    void previewPagesThroughAndExportsOneOrOnePdfPerKind()
    {
        Program p;
        PrintPaperDialog *dialog = p.open();
        QVERIFY(dialog);
        // Nothing to print is said, not done.
        for (const char *kind : {"试卷", "答题卡", "答案"})
            control<QCheckBox>(dialog, QString::fromUtf8(kind))->setChecked(false);
        click(dialog, "打印预览");
        QVERIFY(p.platform.lastMessage().text.contains(QStringLiteral("请选择")));
        QVERIFY(!dialog->findChild<PreviewWindow *>());
        for (const char *kind : {"试卷", "答题卡", "答案"})
            control<QCheckBox>(dialog, QString::fromUtf8(kind))->setChecked(true);
        control<QSpinBox>(dialog, "变体数编辑框")->setValue(2);

        click(dialog, "打印预览");
        auto *preview = control<PreviewWindow>(dialog, "打印预览");
        QVERIFY(preview);
        QSignalSpy painted(preview, &PreviewWindow::pagePainted);
        QVERIFY(QTest::qWaitForWindowExposed(preview));
        QCOMPARE(preview->windowTitle(), QStringLiteral("打印预览"));
        QTRY_VERIFY(!painted.isEmpty());
        const int pages = preview->source().pageCount();
        QVERIFY(pages >= 6); // paper, sheet and key of each variant
        painted.clear();
        press(preview, "下一页");
        QCOMPARE(preview->currentPage(), 1);
        QTRY_VERIFY(painted.contains(QList<QVariant>{1}));
        press(preview, "末页");
        QCOMPARE(preview->currentPage(), pages - 1);
        press(preview, "首页");
        QCOMPARE(preview->currentPage(), 0);

        // One PDF: every page shown, in one file.
        p.platform.setNextFileName(p.out("预览.pdf"));
        press(preview, "保存PDF");
        QCOMPARE(pdfPages(p.out("预览.pdf")), pages);
        const QString whole = pdfText(p.out("预览.pdf"));
        for (const char *expected : {"A卷", "B卷", "一、单项选择题", "考试试卷 答题卡", "考试试卷 答案"})
            QVERIFY2(holds(whole, expected), expected);
        preview->close();
        QTRY_VERIFY(!dialog->findChild<PreviewWindow *>());

        // One PDF per kind, from the preview's own 导出PDF: three files named
        // after the one chosen, which is not written itself.
        control<QComboBox>(dialog, "PDF文件组合框")->setCurrentIndex(1);
        click(dialog, "打印预览");
        preview = control<PreviewWindow>(dialog, "打印预览");
        QVERIFY(preview);
        p.platform.setNextFileName(p.out("分开.pdf"));
        press(preview, "保存PDF");
        QVERIFY(!QFile::exists(p.out("分开.pdf")));
        const QString paper = pdfText(p.out("分开-试卷.pdf"));
        const QString sheet = pdfText(p.out("分开-答题卡.pdf"));
        const QString key = pdfText(p.out("分开-答案.pdf"));
        QVERIFY(holds(paper, "的说法") && !holds(paper, "考试试卷 答题卡") && !holds(paper, "考试试卷 答案"));
        QVERIFY(holds(sheet, "考试试卷 答题卡") && !holds(sheet, "的说法") && !holds(sheet, "考试试卷 答案"));
        QVERIFY(holds(key, "考试试卷 答案") && !holds(key, "的说法") && !holds(key, "考试试卷 答题卡"));
        QCOMPARE(pdfPages(p.out("分开-试卷.pdf")) + pdfPages(p.out("分开-答题卡.pdf")) +
                     pdfPages(p.out("分开-答案.pdf")),
                 pages);
        QVERIFY(p.platform.lastMessage().text.contains(QStringLiteral("分开-答题卡.pdf")));
        preview->close();
    }

    void reprintOfAStoredRunGivesTheSameKey()
    {
        Program p;
        PrintPaperDialog *dialog = p.open();
        QVERIFY(dialog);
        control<QCheckBox>(dialog, "试卷")->setChecked(false);
        control<QCheckBox>(dialog, "答题卡")->setChecked(false);
        click(dialog, "打印预览");
        QVERIFY(dialog->previewWindow());
        p.platform.setNextFileName(p.out("预览.pdf"));
        dialog->previewWindow()->savePdfAction()->trigger();
        QVERIFY(holds(pdfText(p.out("预览.pdf")), "考试试卷 答案"));
        dialog->previewWindow()->close();

        // The stored run printed again: no new run is kept, the key is the same.
        QVERIFY(loadPrintedRun(p.db.store(), 1));
        click(dialog, "重印");
        QVERIFY(dialog->previewWindow());
        QCOMPARE(p.db.count(QStringLiteral("印卷")), 1);
        p.platform.setNextFileName(p.out("重印.pdf"));
        dialog->previewWindow()->savePdfAction()->trigger();
        QCOMPARE(pdfText(p.out("重印.pdf")), pdfText(p.out("预览.pdf")));
    }
};

QTEST_MAIN(PrintPaperDialogTest)
#include "PrintPaperDialogTest.moc"
