// The import dialog driven through its controls by object name, with the
// file chosen through the scripted file dialog.
#include "DocxFiles.h"
#include "ImportFiles.h"
#include "bank/BankTestSupport.h"
#include "bank/BankWindow.h"
#include "import/ImportDialog.h"
#include "import/PreviewModel.h"

#include <QAccessible>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextEdit>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

const QString kSingle = QStringLiteral("单选");

// Ready, already in the bank, refused, and a remark on an empty score.
const QString kMixed = QStringLiteral("题目,A,B,C,标准答案,分值,章节\n"
                                      "我国的首都是哪座城市？,上海,北京,广州,b,1,地理\n"
                                      "已有的题,是,否,,A,1,\n"
                                      "答案不在选项中,甲,乙,,D,1,\n"
                                      "分值写错了,甲,乙,,A,很多,\n"
                                      "没有分值,甲,乙,,ａ,,历史\n");

struct DialogFixture : ProgramFixture {
    ImportFiles files;

    template <typename W>
    static W *control(QWidget *dialog, const char *name)
    {
        W *widget = dialog->findChild<W *>(QString::fromUtf8(name));
        if (!widget)
            qWarning("no control %s", name);
        return widget;
    }
    // Chooses the file through the dialog's button and waits until it is read.
    static bool chooseAndRead(ImportDialog &dialog, ScriptedPlatform &platform, const QString &path)
    {
        platform.setNextFileName(path);
        QTest::mouseClick(control<QPushButton>(&dialog, "选择文件按钮"), Qt::LeftButton);
        return QTest::qWaitFor([&] { return !dialog.isReading(); }, 20000);
    }
    static QStringList column(QWidget *dialog, int c)
    {
        QAbstractItemModel *model = control<QTableView>(dialog, "预览表格")->model();
        QStringList cells;
        for (int r = 0; r < model->rowCount(); ++r)
            cells << model->data(model->index(r, c), Qt::DisplayRole).toString();
        return cells;
    }
};

} // namespace

class ImportDialogTest : public QObject
{
    Q_OBJECT
private slots:
    void previewShowsEveryRowWithItsStatus();
    void importStoresReadyRowsAndTheListShowsThem();
    void duplicatesAreStoredWhenTicked();
    void cancelStoresNothing();
    void refusedStoreSaysWhyAndKeepsTheDialog();
    void unreadableFileIsReportedAndNothingCanBeStored();
    void readingCanBeStopped();
    void blankRowsNeitherFreezeTheDialogNorOutlastStop();
    void menuItemOpensTheDialogOnTheCurrentBank();
    void realQuestionsAreListedAndPractised();
    void documentFillsEveryBankFromItsHeadings();
    void documentMadeByLibreOfficeIsPreviewed();
    void bankListWritesAWordDocumentThatImportsBack();
};

void ImportDialogTest::previewShowsEveryRowWithItsStatus()
{
    DialogFixture f;
    f.db.addQuestion(kSingle, {1, QStringLiteral("已有的题A.是B.否"), "A"});
    ImportDialog dialog(f.context, QuestionType::SingleChoice);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(DialogFixture::control<QComboBox>(&dialog, "题库组合框")->currentText(), kSingle);
    QVERIFY(!DialogFixture::control<QPushButton>(&dialog, "导入按钮")->isEnabled());

    QVERIFY(DialogFixture::chooseAndRead(dialog, f.platform, f.files.writeText("mixed.csv", kMixed)));
    QCOMPARE(f.platform.fileDialogTitles.size(), 1);
    QCOMPARE(DialogFixture::column(&dialog, 6),
             (QStringList{"可导入", "题库中已有", "不导入：答案D不在题目的选项中", "不导入：分值“很多”不是不小于0的数",
                          "可导入（分值为空，记为0）"}));
    // 题目 as the practice window lays it out, the answer as it will be stored.
    QCOMPARE(DialogFixture::column(&dialog, 1)[0], QStringLiteral("我国的首都是哪座城市？\n\nA.上海\nB.北京\nC.广州"));
    QCOMPARE(DialogFixture::column(&dialog, 2), (QStringList{"B", "A", "D", "A", "A"}));
    QCOMPARE(DialogFixture::column(&dialog, 4), (QStringList{"1", "1", "1", "很多", "0"}));
    QCOMPARE(DialogFixture::column(&dialog, 0), (QStringList{"2", "3", "4", "5", "6"}));
    auto *summary = DialogFixture::control<QLabel>(&dialog, "摘要标签");
    QCOMPARE(summary->text(), QStringLiteral("可导入2行，题库中已有1行，不导入2行（已有的跳过）"));
    // Screen readers hear what the label shows.
    QCOMPARE(QAccessible::queryAccessibleInterface(summary)->text(QAccessible::Name), summary->text());
    QVERIFY(DialogFixture::control<QPushButton>(&dialog, "导入按钮")->isEnabled());
    // The whole question of the current row shows below the table.
    QCOMPARE(DialogFixture::control<QTextEdit>(&dialog, "题目预览编辑框")->toPlainText(),
             QStringLiteral("我国的首都是哪座城市？\n\nA.上海\nB.北京\nC.广州"));

    // Another bank checks the rows again: for 判断 the letters are refused.
    DialogFixture::control<QComboBox>(&dialog, "题库组合框")->setCurrentText(QStringLiteral("判断"));
    QVERIFY(QTest::qWaitFor([&] { return !dialog.isReading(); }));
    QCOMPARE(dialog.currentPreview()->count(RowStatus::Refused), 5);
    QVERIFY(!DialogFixture::control<QPushButton>(&dialog, "导入按钮")->isEnabled());

    if (const QByteArray folder = qgetenv("KAOSHI_SHOT_DIR"); !folder.isEmpty()) {
        DialogFixture::control<QComboBox>(&dialog, "题库组合框")->setCurrentText(kSingle);
        QVERIFY(QTest::qWaitFor([&] { return !dialog.isReading(); }));
        dialog.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/import-dialog.png"));
    }
}

void ImportDialogTest::importStoresReadyRowsAndTheListShowsThem()
{
    DialogFixture f;
    f.db.addQuestion(kSingle, {1, QStringLiteral("已有的题A.是B.否"), "A"});
    MainWindow main(f.context);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.runMenuItem(QStringLiteral("单选题库"));
    auto *bank = qobject_cast<BankWindow *>(main.currentTaskWindow());
    QVERIFY(bank);
    const QString path = f.files.writeText("mixed.csv", kMixed);

    whenModalOpens([&](QWidget *modal) {
        auto *dialog = qobject_cast<ImportDialog *>(modal);
        QVERIFY(dialog);
        QVERIFY(DialogFixture::chooseAndRead(*dialog, f.platform, path));
        QTest::mouseClick(DialogFixture::control<QPushButton>(dialog, "导入按钮"), Qt::LeftButton);
    });
    // "导入" comes after "导出" in the toolbar.
    QStringList captions;
    for (QAction *action : bank->findChild<QToolBar *>(QStringLiteral("工具条1"))->actions())
        captions << action->text();
    QCOMPARE(captions, (QStringList{"添加", "保存", "导出", "导出Word", "导入", "清空", "搜索"}));
    pressToolButton(bank, QStringLiteral("导入"));

    QCOMPARE(f.platform.lastMessage(),
             (Message{QStringLiteral("已导入2题，跳过3行"), QStringLiteral("系统消息"), Message::Icon::Information}));
    QCOMPARE(f.db.count(kSingle), 3);
    QCOMPARE(f.db.text("select 题目||'|'||标准答案||'|'||分值||'|'||章节 from 单选 where 题号=2"),
             QStringLiteral("我国的首都是哪座城市？A.上海B.北京C.广州|B|1|地理"));
    QCOMPARE(f.db.text("select 题目||'|'||标准答案||'|'||分值||'|'||章节 from 单选 where 题号=3"),
             QStringLiteral("没有分值A.甲B.乙|A|0|历史"));
    // The bank list shows the bank with the new rows.
    ListGrid *grid = bank->grid();
    QCOMPARE(grid->rowCount(), 4);
    QCOMPARE(grid->text(3, 1), QStringLiteral("没有分值A.甲B.乙"));
}

void ImportDialogTest::duplicatesAreStoredWhenTicked()
{
    DialogFixture f;
    f.db.addQuestion(kSingle, {1, QStringLiteral("已有的题A.是B.否"), "A"});
    ImportDialog dialog(f.context, QuestionType::SingleChoice);
    dialog.show();
    QVERIFY(DialogFixture::chooseAndRead(dialog, f.platform, f.files.writeText("mixed.csv", kMixed)));
    DialogFixture::control<QCheckBox>(&dialog, "重复导入选择框")->setChecked(true);
    QVERIFY(DialogFixture::control<QLabel>(&dialog, "摘要标签")->text().endsWith(QStringLiteral("（已有的也导入）")));
    QTest::mouseClick(DialogFixture::control<QPushButton>(&dialog, "导入按钮"), Qt::LeftButton);
    QCOMPARE(f.platform.lastMessage().text, QStringLiteral("已导入3题，跳过2行"));
    QCOMPARE(f.db.count(kSingle), 4);
    QCOMPARE(dialog.result().stored, 3);
}

void ImportDialogTest::cancelStoresNothing()
{
    DialogFixture f;
    ImportDialog dialog(f.context, QuestionType::SingleChoice);
    dialog.show();
    QVERIFY(DialogFixture::chooseAndRead(dialog, f.platform, f.files.writeText("mixed.csv", kMixed)));
    QTest::mouseClick(DialogFixture::control<QPushButton>(&dialog, "取消按钮"), Qt::LeftButton);
    QVERIFY(!dialog.isVisible());
    QCOMPARE(dialog.result().stored, 0);
    QCOMPARE(f.db.count(kSingle), 0);
    QVERIFY(f.platform.messages.isEmpty());
}

void ImportDialogTest::refusedStoreSaysWhyAndKeepsTheDialog()
{
    DialogFixture f;
    QVERIFY(f.db.store().execute(QStringLiteral("create trigger refuse before insert on 单选 "
                                                "begin select raise(abort,'拒绝写入'); end")));
    ImportDialog dialog(f.context, QuestionType::SingleChoice);
    dialog.show();
    QVERIFY(DialogFixture::chooseAndRead(dialog, f.platform, f.files.writeText("mixed.csv", kMixed)));
    QTest::mouseClick(DialogFixture::control<QPushButton>(&dialog, "导入按钮"), Qt::LeftButton);
    const Message shown = f.platform.lastMessage();
    QCOMPARE(shown.caption, QStringLiteral("失败"));
    QCOMPARE(shown.icon, Message::Icon::Warning);
    QVERIFY(shown.text.startsWith(QStringLiteral("导入失败，单选题库没有改变\n")));
    QVERIFY2(shown.text.contains(QStringLiteral("拒绝写入")), qPrintable(shown.text));
    QVERIFY(dialog.isVisible());
    QCOMPARE(f.db.count(kSingle), 0);
}

void ImportDialogTest::unreadableFileIsReportedAndNothingCanBeStored()
{
    DialogFixture f;
    ImportDialog dialog(f.context, QuestionType::SingleChoice);
    dialog.show();
    // Rows before the failure stay shown, but the file cannot be imported.
    const QString path = f.files.writeText("broken.csv", QStringLiteral("题目,答案\n第一题A.是B.否,A\n\"") +
                                                            QString(kMostRowBytes + 1, u'x'));
    QVERIFY(DialogFixture::chooseAndRead(dialog, f.platform, path));
    const Message shown = f.platform.lastMessage();
    QCOMPARE(shown.caption, QStringLiteral("失败"));
    QVERIFY(shown.text.startsWith(QStringLiteral("无法读取文件broken.csv\n第3行超过1 MB")));
    QCOMPARE(DialogFixture::column(&dialog, 6), QStringList{"可导入（分值为空，记为0）"});
    QVERIFY(!DialogFixture::control<QPushButton>(&dialog, "导入按钮")->isEnabled());
    QVERIFY(DialogFixture::control<QLabel>(&dialog, "摘要标签")->text().startsWith(QStringLiteral("无法导入：")));
    if (const QByteArray folder = qgetenv("KAOSHI_SHOT_DIR"); !folder.isEmpty())
        dialog.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/import-dialog-failed.png"));

    // A workbook with several sheets asks which one; the choice is read.
    const QString book = f.files.writeXlsx("two.xlsx", {{"题目", "答案"}, {"一A.是B.否", "A"}},
                                           [](lxw_workbook *workbook, lxw_worksheet *) {
                                               lxw_worksheet *second = workbook_add_worksheet(workbook, "判断题");
                                               worksheet_write_string(second, 0, 0, "题目", nullptr);
                                               worksheet_write_string(second, 0, 1, "答案", nullptr);
                                               worksheet_write_string(second, 1, 0, "二A.是B.否", nullptr);
                                               worksheet_write_string(second, 1, 1, "B", nullptr);
                                           });
    QVERIFY(DialogFixture::chooseAndRead(dialog, f.platform, book));
    auto *sheet = DialogFixture::control<QComboBox>(&dialog, "工作表组合框");
    QVERIFY(sheet->isVisible());
    QCOMPARE(sheet->count(), 2);
    sheet->setCurrentIndex(1);
    QVERIFY(QTest::qWaitFor([&] { return !dialog.isReading(); }));
    QCOMPARE(DialogFixture::column(&dialog, 1), QStringList{"二\n\nA.是\nB.否"});
    QVERIFY(DialogFixture::control<QPushButton>(&dialog, "导入按钮")->isEnabled());
}

void ImportDialogTest::readingCanBeStopped()
{
    DialogFixture f;
    QString big = QStringLiteral("题目,答案\n");
    for (int i = 0; i < 300000; ++i)
        big += QStringLiteral("第%1题A.是B.否,A\n").arg(i);
    const QString path = f.files.writeText("big.csv", big);
    ImportDialog dialog(f.context, QuestionType::SingleChoice);
    dialog.show();
    f.platform.setNextFileName(path);
    QTest::mouseClick(DialogFixture::control<QPushButton>(&dialog, "选择文件按钮"), Qt::LeftButton);
    QVERIFY(dialog.isReading());
    // Rows appear while the file is read, with progress in the status bar.
    QVERIFY(QTest::qWaitFor([&] { return DialogFixture::column(&dialog, 0).size() > 0; }));
    QVERIFY(DialogFixture::control<QLabel>(&dialog, "进度标签")->text().startsWith(QStringLiteral("正在读取")));
    QTest::mouseClick(DialogFixture::control<QPushButton>(&dialog, "停止按钮"), Qt::LeftButton);
    QVERIFY(!dialog.isReading());
    QVERIFY(dialog.currentPreview()->rows().size() < 300000);
    QVERIFY(!DialogFixture::control<QPushButton>(&dialog, "导入按钮")->isEnabled());
    QVERIFY(DialogFixture::control<QLabel>(&dialog, "摘要标签")->text().endsWith(QStringLiteral("文件没有读完，不能导入")));
}

void ImportDialogTest::blankRowsNeitherFreezeTheDialogNorOutlastStop()
{
    DialogFixture f;
    // Tens of millions of blank lines, then a question: read far longer than a moment.
    const QString path = f.files.writeBytes("blank.csv", "题目,答案\n" + QByteArray(40 * 1024 * 1024, '\n') + "最后A.是B.否,A\n");
    ImportDialog dialog(f.context, QuestionType::SingleChoice);
    dialog.show();
    f.platform.setNextFileName(path);
    QTest::mouseClick(DialogFixture::control<QPushButton>(&dialog, "选择文件按钮"), Qt::LeftButton);
    // The dialog keeps answering while the blank rows pass.
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer answered;
        answered.start();
        QTest::qWait(50);
        QVERIFY2(answered.elapsed() < 250, qPrintable(QString::number(answered.elapsed())));
    }
    QVERIFY(dialog.isReading());
    QElapsedTimer stopped;
    stopped.start();
    QTest::mouseClick(DialogFixture::control<QPushButton>(&dialog, "停止按钮"), Qt::LeftButton);
    QVERIFY(!dialog.isReading());
    // Cancelling ends the reading thread at once.
    QTest::mouseClick(DialogFixture::control<QPushButton>(&dialog, "取消按钮"), Qt::LeftButton);
    QVERIFY2(stopped.elapsed() < 500, qPrintable(QString::number(stopped.elapsed())));
    QVERIFY(DialogFixture::control<QLabel>(&dialog, "摘要标签")->text().endsWith(QStringLiteral("文件没有读完，不能导入")));
}

void ImportDialogTest::menuItemOpensTheDialogOnTheCurrentBank()
{
    DialogFixture f;
    MainWindow main(f.context);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.runMenuItem(QStringLiteral("问答题库"));
    QAction *item = main.findChild<QAction *>(QStringLiteral("导入题库…菜单项"));
    QVERIFY(item);
    QString shownBank;
    whenModalOpens([&](QWidget *modal) {
        QCOMPARE(modal->objectName(), QStringLiteral("导入题库"));
        shownBank = DialogFixture::control<QComboBox>(modal, "题库组合框")->currentText();
        QCOMPARE(DialogFixture::control<QPushButton>(modal, "导入按钮")->accessibleName(), QStringLiteral("导入"));
        modal->close();
    });
    item->trigger();
    QCOMPARE(shownBank, QStringLiteral("问答"));
}

void ImportDialogTest::realQuestionsAreListedAndPractised()
{
    const QString path = QStringLiteral(KAOSHI_SHARED_DATA "/cmmlu-single-choice.csv");
    if (!QFile::exists(path))
        QSKIP("shared data missing");
    DialogFixture f;
    MainWindow main(f.context);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.runMenuItem(QStringLiteral("单选题库"));
    auto *bank = qobject_cast<BankWindow *>(main.currentTaskWindow());
    QVERIFY(bank);
    whenModalOpens([&](QWidget *modal) {
        auto *dialog = qobject_cast<ImportDialog *>(modal);
        QVERIFY(DialogFixture::chooseAndRead(*dialog, f.platform, path));
        QCOMPARE(dialog->currentPreview()->count(RowStatus::Refused), 0);
        QTest::mouseClick(DialogFixture::control<QPushButton>(dialog, "导入按钮"), Qt::LeftButton);
    });
    pressToolButton(bank, QStringLiteral("导入"));
    const QList<RealQuestion> real = loadRealQuestions();
    QCOMPARE(f.platform.lastMessage().text, QStringLiteral("已导入%1题，跳过0行").arg(real.size()));
    // Listed whole, in the file's order.
    QCOMPARE(bank->grid()->rowCount(), real.size() + 1);
    QCOMPARE(bank->grid()->text(1, 1), real.first().text);
    QCOMPARE(bank->grid()->text(real.size(), 2), real.last().answer);
    if (const QByteArray folder = qgetenv("KAOSHI_SHOT_DIR"); !folder.isEmpty())
        main.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/bank-after-import.png"));

    // Practised: the first question shows laid out with its options (the
    // practice window wants every bank to hold a question).
    for (const char *other : {"多选", "判断", "问答"})
        f.db.addQuestions(QString::fromUtf8(other), 1);
    main.runMenuItem(QStringLiteral("顺序练习"));
    QWidget *practice = main.currentTaskWindow();
    QVERIFY(practice);
    auto *question = practice->findChild<QTextEdit *>(QStringLiteral("题目超级编辑框"));
    QVERIFY(question);
    QVERIFY2(question->toPlainText().contains(QStringLiteral("\nA.")), qPrintable(question->toPlainText()));
}

void ImportDialogTest::documentFillsEveryBankFromItsHeadings()
{
    DialogFixture f;
    f.db.addQuestion(QStringLiteral("判断"), {1, QStringLiteral("已有的判断题"), "√"});
    const QString path = f.files.path("paper.docx");
    const QString body = paragraphs({"期末试卷", "一、单项选择题（每题2分）", "1. 看图A.甲B.乙"}) +
                         paragraph(pictureRun("rId1", "图")) +
                         paragraphs({"答案：A", "二、多项选择题", "1. 多A.一B.二C.三", "答案：AC", "三、判断题", "1. 已有的判断题",
                                     "答案：对", "2. 新的判断题", "答案：错", "四、问答题", "1. 为什么？", "答案：因为。"});
    QVERIFY(writeDocx(path, body,
                      {{"word/_rels/document.xml.rels", relationsXml({{"rId1", "media/a.png"}})},
                       {"word/media/a.png", tinyPng()}}));
    ImportDialog dialog(f.context, QuestionType::FreeAnswer);
    dialog.show();
    QVERIFY(DialogFixture::chooseAndRead(dialog, f.platform, path));
    QCOMPARE(DialogFixture::column(&dialog, PreviewModel::Bank),
             (QStringList{"", "单选", "多选", "判断", "判断", "问答"}));
    QCOMPARE(DialogFixture::column(&dialog, PreviewModel::Status),
             (QStringList{"不导入：不属于任何题目：前面没有题号", "可导入（1张图片）", "可导入（分值为空，记为0）", "题库中已有（分值为空，记为0）",
                          "可导入（分值为空，记为0）", "可导入（分值为空，记为0）"}));
    // The paragraph's number, and the column title says so.
    QCOMPARE(DialogFixture::column(&dialog, PreviewModel::Line), (QStringList{"1", "3", "7", "10", "12", "15"}));
    QTableView *table = DialogFixture::control<QTableView>(&dialog, "预览表格");
    QCOMPARE(table->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("段号"));

    QTest::mouseClick(DialogFixture::control<QPushButton>(&dialog, "导入按钮"), Qt::LeftButton);
    QCOMPARE(f.platform.lastMessage().text, QStringLiteral("已导入4题，跳过2行"));
    QCOMPARE(f.db.count(QStringLiteral("单选")), 1);
    QCOMPARE(f.db.count(QStringLiteral("多选")), 1);
    QCOMPARE(f.db.count(QStringLiteral("判断")), 2);
    QCOMPARE(f.db.count(QStringLiteral("问答")), 1);
    QCOMPARE(f.db.text("select 题目||'|'||标准答案||'|'||分值 from 判断 where 题号=2"), QStringLiteral("新的判断题|×|0"));
    const QString location = f.db.text("select 图片 from 图片 where 题型='单选' and 题号=1");
    QVERIFY2(location.startsWith(QStringLiteral("\\image\\")), qPrintable(location));
    QVERIFY(QFile::exists(QDir(f.db.programDir()).filePath(location.mid(1).replace(u'\\', u'/'))));
}

void ImportDialogTest::documentMadeByLibreOfficeIsPreviewed()
{
    DialogFixture f;
    ImportDialog dialog(f.context, QuestionType::SingleChoice);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(DialogFixture::chooseAndRead(dialog, f.platform, QStringLiteral(KAOSHI_IMPORT_FIXTURES "/questions.docx")));
    QCOMPARE(DialogFixture::column(&dialog, PreviewModel::Bank), (QStringList{"", "单选", "单选", "判断", "判断", "问答"}));
    QCOMPARE(dialog.currentPreview()->count(RowStatus::Ready), 5);
    QCOMPARE(DialogFixture::control<QLabel>(&dialog, "摘要标签")->text(),
             QStringLiteral("可导入5行，题库中已有0行，不导入1行"));
    if (const QByteArray folder = qgetenv("KAOSHI_SHOT_DIR"); !folder.isEmpty()) {
        dialog.resize(1280, 720);
        QTest::qWait(50);
        dialog.grab().save(QString::fromLocal8Bit(folder) + QStringLiteral("/import-docx-libreoffice.png"));
    }
    QTest::mouseClick(DialogFixture::control<QPushButton>(&dialog, "导入按钮"), Qt::LeftButton);
    QCOMPARE(f.db.count(QStringLiteral("图片")), 1);
}

void ImportDialogTest::bankListWritesAWordDocumentThatImportsBack()
{
    DialogFixture f;
    QDir(f.db.programDir()).mkpath("image");
    const QString picture = makePicture(f.db.programDir() + "/image", "p.png", Qt::red);
    f.db.addQuestion(kSingle, {1, QStringLiteral("请选择：我国的首都是哪座城市？A.上海B.北京"), "B", QStringLiteral("北京是首都。"), 2,
                               QStringLiteral("地理")});
    f.db.addQuestion(kSingle, {2, QStringLiteral("看图选择A.红B.蓝"), "A", "", 3, ""});
    f.db.addQuestion(kSingle, {3, QStringLiteral("另一道题A.甲B.乙"), "A", "", 3, ""});
    f.db.addPicture(kSingle, 2, QStringLiteral("颜色"), QStringLiteral("\\image\\p.png"));
    f.platform.setClock(0, QDateTime(QDate(2026, 12, 10), QTime(9, 30, 0)));
    MainWindow main(f.context);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    main.runMenuItem(QStringLiteral("单选题库"));
    auto *bank = qobject_cast<BankWindow *>(main.currentTaskWindow());
    QVERIFY(bank);
    // The search result is what is written.
    bank->findChild<QLineEdit *>(QStringLiteral("查询编辑框"))->setText(QStringLiteral("选择"));
    pressToolButton(bank, QStringLiteral("搜索"));
    QCOMPARE(bank->grid()->rowCount(), 3);
    pressToolButton(bank, QStringLiteral("导出Word"));
    const QString written = QDir(f.db.programDir()).filePath(QStringLiteral("导出/单选题库-20261210-093000.docx"));
    QCOMPARE(f.platform.lastMessage(),
             (Message{QStringLiteral("已导出2题到Word文档：\n") + written, QStringLiteral("系统消息"), Message::Icon::Information}));
    QVERIFY(QFile::exists(written));

    // Imported into another program folder: the same questions and picture.
    DialogFixture other;
    ImportDialog dialog(other.context, QuestionType::FreeAnswer);
    dialog.show();
    QVERIFY(DialogFixture::chooseAndRead(dialog, other.platform, written));
    QTest::mouseClick(DialogFixture::control<QPushButton>(&dialog, "导入按钮"), Qt::LeftButton);
    const QString columns = QStringLiteral("select group_concat(题目||'|'||标准答案||'|'||解析||'|'||分值||'|'||章节, '#') from "
                                           "(select * from 单选 where 题目 like '%选择%' order by 题号)");
    QCOMPARE(other.db.text(columns), f.db.text(columns));
    const QString location = other.db.text("select 图片 from 图片 where 题型='单选' and 题号=2");
    QCOMPARE(other.db.text("select 摘要 from 图片"), QStringLiteral("颜色"));
    QFile original(picture), copied(QDir(other.db.programDir()).filePath(location.mid(1).replace(u'\\', u'/')));
    QVERIFY(original.open(QIODevice::ReadOnly) && copied.open(QIODevice::ReadOnly));
    QCOMPARE(copied.readAll(), original.readAll());

    // A folder 导出 that cannot be made is said, and nothing is written.
    QDir(f.db.programDir()).rename(QStringLiteral("导出"), QStringLiteral("旧的导出"));
    QFile blocker(QDir(f.db.programDir()).filePath(QStringLiteral("导出")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    pressToolButton(bank, QStringLiteral("导出Word"));
    QCOMPARE(f.platform.lastMessage().caption, QStringLiteral("失败"));
    QVERIFY(f.platform.lastMessage().text.startsWith(QStringLiteral("没有导出Word：无法建立文件夹")));
}

QTEST_MAIN(ImportDialogTest)
#include "ImportDialogTest.moc"
