// The import dialog driven through its controls by object name, with the
// file chosen through the scripted file dialog.
#include "ImportFiles.h"
#include "bank/BankTestSupport.h"
#include "bank/BankWindow.h"
#include "import/ImportDialog.h"

#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
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
    void menuItemOpensTheDialogOnTheCurrentBank();
    void realQuestionsAreListedAndPractised();
};

void ImportDialogTest::previewShowsEveryRowWithItsStatus()
{
    DialogFixture f;
    f.db.addQuestion(kSingle, {1, QStringLiteral("已有的题A.是B.否"), "A"});
    ImportDialog dialog(f.context, kSingle);
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
    ImportDialog dialog(f.context, kSingle);
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
    ImportDialog dialog(f.context, kSingle);
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
    ImportDialog dialog(f.context, kSingle);
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
    ImportDialog dialog(f.context, kSingle);
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
    ImportDialog dialog(f.context, kSingle);
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

QTEST_MAIN(ImportDialogTest)
#include "ImportDialogTest.moc"
