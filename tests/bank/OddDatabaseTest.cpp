// Odd and broken database files met through the windows: each is said once,
// nothing stored is changed, and no success message appears.
#include "BankTestSupport.h"
#include "support/ProgramState.h"
#include "bank/AddRowsDialog.h"
#include "bank/BankWindow.h"
#include "bank/QuestionEditorWindow.h"

#include <QCryptographicHash>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTextEdit>
#include <unistd.h>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

const QString kSingle = QStringLiteral("单选");

QByteArray digest(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

qint64 rowIdOf(DataStore &store, const QString &where)
{
    return store.query("select rowid from 单选 where " + where).value(1).toInteger();
}

struct EditorOn : ProgramFixture {
    std::unique_ptr<QuestionEditorWindow> editor;
    void open(const QString &where)
    {
        RowSet row = db.store().query("select rowid, * from 单选 where " + where);
        QuestionTexts texts{row.value("题号").toText(), row.value("题目").toText(), row.value("标准答案").toText(),
                            row.value("解析").toText(),  row.value("分值").toText(), row.value("章节").toText(),
                            row.value(1).toInteger()};
        editor = std::make_unique<QuestionEditorWindow>(context, QuestionType::SingleChoice, texts);
        editor->show();
    }
};

} // namespace

class OddDatabaseTest : public QObject
{
    Q_OBJECT
private slots:
    void aForeignFileIsReportedOnceAndNeverTouched();
    void aReadOnlyFileIsToldOnceAndEveryWriteSaysItWasRefused();
    void duplicateNumbersAreEditedOneRowAtATime();
    void aFractionalNumberOpensAsItselfAndKeepsIt();
    void theLargestNumberRefusesAnotherRow();
    void aNulInsideATextIsKeptWhole();
    void aPictureThatCannotBeCopiedFailsTheSave();
    void theAddRowsBoxTakesOnlyItsLimit();
};

void OddDatabaseTest::aForeignFileIsReportedOnceAndNeverTouched()
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath(kDatabaseFileName);
    {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("这不是数据库，只是一段文字。\n");
    }
    const QByteArray before = digest(path);
    ProgramRun run(dir.path());
    ScriptedPlatform &platform = run.platform;
    MainWindow main(run.context);
    main.show();
    QCOMPARE(platform.messages.size(), 1);
    const Message told = platform.messages[0];
    QCOMPARE(told.caption, QStringLiteral("失败"));
    QVERIFY(told.text.contains(QDir::toNativeSeparators(path)));
    QVERIFY(told.text.contains(QStringLiteral("不是数据库")));

    // The bank list opens on it without telling it again; practice says why it cannot start.
    main.runMenuItem(QStringLiteral("单选题库"));
    QCOMPARE(platform.messages.size(), 1);
    platform.clear();
    main.runMenuItem(QStringLiteral("顺序练习"));
    QCOMPARE(platform.messages.size(), 1);
    QVERIFY(platform.lastMessage().text.startsWith(QStringLiteral("数据库不可用")));
    QVERIFY(!platform.lastMessage().text.contains(QStringLiteral("题库是空的")));
    QCOMPARE(digest(path), before);
}

void OddDatabaseTest::aReadOnlyFileIsToldOnceAndEveryWriteSaysItWasRefused()
{
    if (::geteuid() == 0)
        QSKIP("file permissions do not bind the superuser");
    const QFileDevice::Permissions readOnly = QFileDevice::ReadOwner | QFileDevice::ExeOwner;
    for (const bool folder : {false, true}) {
        QTemporaryDir dir;
        const QString path = QDir(dir.path()).filePath(kDatabaseFileName);
        {
            DataStore made;
            QVERIFY(made.open(path));
            QVERIFY(made.execute("insert into 单选 (题号, 题目, 标准答案) values (1, '题', 'A')"));
        }
        QVERIFY(QFile::setPermissions(folder ? dir.path() : path,
                                      folder ? readOnly : QFileDevice::Permissions(QFileDevice::ReadOwner)));
        const QByteArray before = digest(path);
        ProgramRun run(dir.path());
        ScriptedPlatform &platform = run.platform;
        MainWindow main(run.context);
        main.show();
        QCOMPARE(platform.messages.size(), 1);
        QVERIFY(platform.lastMessage().text.startsWith(QStringLiteral("数据库只读")));
        main.runMenuItem(QStringLiteral("单选题库"));
        QCOMPARE(platform.messages.size(), 1); // told once
        platform.setNextAnswer(true);
        pressToolButton(main.currentTaskWindow(), QStringLiteral("清空"));
        QCOMPARE(platform.lastMessage().caption, QStringLiteral("失败"));
        QCOMPARE(digest(path), before);
        QFile::setPermissions(dir.path(), readOnly | QFileDevice::WriteOwner);
    }
}

void OddDatabaseTest::duplicateNumbersAreEditedOneRowAtATime()
{
    EditorOn f;
    f.db.addQuestions(kSingle, 8);
    QVERIFY(f.db.store().execute("insert into 单选 (题号, 题目, 标准答案) values (7, '另一道七', 'B')"));
    f.open("题目='单选题7'");
    f.editor->findChild<QTextEdit *>(QStringLiteral("题目超级编辑框"))->setPlainText(QStringLiteral("改过的七"));
    pressToolButton(f.editor.get(), QStringLiteral("保存"));
    QCOMPARE(f.platform.lastMessage().text, QStringLiteral("更新单选成功"));
    QCOMPARE(f.db.text("select group_concat(题目, '|') from (select 题目 from 单选 where 题号=7 order by rowid)"),
             QStringLiteral("改过的七|另一道七"));

    f.open("题目='另一道七'");
    pressToolButton(f.editor.get(), QStringLiteral("删除"));
    QCOMPARE(f.platform.lastMessage().text, QStringLiteral("删除单选成功"));
    QCOMPARE(f.db.text("select group_concat(题目, '|') from 单选 where 题号=7"), QStringLiteral("改过的七"));
    QCOMPARE(f.db.count(kSingle), 8);
    QCOMPARE(f.db.text("select max(题号) from 单选"), QStringLiteral("8"));

    // The bank list marks numbers that two rows share.
    QVERIFY(f.db.store().execute("insert into 单选 (题号, 题目) values (3, '另一道三')"));
    MainWindow main(f.context);
    main.show();
    main.runMenuItem(QStringLiteral("单选题库"));
    auto *bank = qobject_cast<BankWindow *>(main.currentTaskWindow());
    bank->search();
    GridModel *model = bank->grid()->gridModel();
    QVERIFY(model->isMarked(3, 0) && model->isMarked(4, 0));
    QVERIFY(!model->isMarked(2, 0) && !model->isMarked(5, 0));
    QCOMPARE(model->data(model->index(2, 0), Qt::ToolTipRole).toString(), QStringLiteral("题号重复：还有一道题用这个题号"));
}

void OddDatabaseTest::aFractionalNumberOpensAsItselfAndKeepsIt()
{
    EditorOn f;
    f.db.addQuestions(kSingle, 3);
    QVERIFY(f.db.store().execute("insert into 单选 (题号, 题目, 标准答案) values (1.5, '一点五', 'A')"));
    f.open("题号=1.5");
    QCOMPARE(f.editor->findChild<QTextEdit *>(QStringLiteral("题目超级编辑框"))->toPlainText(), QStringLiteral("一点五"));
    f.editor->findChild<QTextEdit *>(QStringLiteral("题目超级编辑框"))->setPlainText(QStringLiteral("改过"));
    pressToolButton(f.editor.get(), QStringLiteral("保存"));
    QCOMPARE(f.db.text("select 题号 from 单选 where 题目='改过'"), QStringLiteral("1.5"));
    QCOMPARE(f.db.text("select 题目 from 单选 where 题号=1"), QStringLiteral("单选题1"));
    QCOMPARE(f.db.count(kSingle), 4);
}

void OddDatabaseTest::theLargestNumberRefusesAnotherRow()
{
    ProgramFixture f;
    QVERIFY(f.db.store().execute("insert into 单选 (题号, 题目) values (9223372036854775807, '最大')"));
    const std::vector<qint64> numbers = saveNewQuestions(f.db.store(), QuestionType::SingleChoice, {{"", "新题", "A", "", "1", ""}});
    QCOMPARE(numbers, std::vector<qint64>{0});
    QVERIFY(f.db.store().errorString().contains(QStringLiteral("最大值")));
    QCOMPARE(f.db.count(kSingle), 1);
    QCOMPARE(f.db.text("select min(题号) from 单选"), QStringLiteral("9223372036854775807"));
}

void OddDatabaseTest::aNulInsideATextIsKeptWhole()
{
    EditorOn f;
    const QString text = QStringLiteral("前半") + QChar(0) + QStringLiteral("后半，不能丢");
    QVERIFY(f.db.store().execute("insert into 单选 (题号, 题目, 标准答案, 解析) values (1, ?, 'A', ?)", {text, text}));
    f.open("题号=1");
    const QString shown = f.editor->findChild<QTextEdit *>(QStringLiteral("题目超级编辑框"))->toPlainText();
    QCOMPARE(shown, QStringLiteral("前半␀后半，不能丢"));
    // 解析 edited, 题目 not: 题目 is stored back as it was read.
    f.editor->findChild<QTextEdit *>(QStringLiteral("解析超级编辑框"))->setPlainText(QStringLiteral("新解析"));
    pressToolButton(f.editor.get(), QStringLiteral("保存"));
    QCOMPARE(f.platform.lastMessage().text, QStringLiteral("更新单选成功"));
    QCOMPARE(f.db.store().query("select 题目 from 单选 where 题号=1").value(1).toText(), text);
    QCOMPARE(f.db.text("select 解析 from 单选 where 题号=1"), QStringLiteral("新解析"));
}

void OddDatabaseTest::aPictureThatCannotBeCopiedFailsTheSave()
{
    EditorOn f;
    f.db.addQuestions(kSingle, 1);
    QFile plain(QDir(f.db.programDir()).filePath(QStringLiteral("image")));
    QVERIFY(plain.open(QIODevice::WriteOnly)); // "image" is a plain file
    plain.close();
    QTemporaryDir sources;
    f.open("题号=1");
    f.platform.setNextFileName(makePicture(sources.path(), QStringLiteral("a.png"), Qt::red));
    f.editor->choosePicture(1, 2);
    f.editor->findChild<QTextEdit *>(QStringLiteral("题目超级编辑框"))->setPlainText(QStringLiteral("改过"));
    f.platform.clear();
    pressToolButton(f.editor.get(), QStringLiteral("保存"));
    QCOMPARE(f.platform.messages.size(), 1);
    QCOMPARE(f.platform.lastMessage().caption, QStringLiteral("失败"));
    QVERIFY(f.platform.lastMessage().text.contains(QStringLiteral("没能复制")));
    QVERIFY(f.editor->isVisible());
    QCOMPARE(f.db.text("select 题目 from 单选"), QStringLiteral("单选题1"));
    QCOMPARE(f.db.count(QStringLiteral("图片")), 0);
}

void OddDatabaseTest::theAddRowsBoxTakesOnlyItsLimit()
{
    AddRowsDialog dialog;
    dialog.show();
    auto *box = dialog.findChild<QLineEdit *>(QStringLiteral("行数编辑框"));
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("999999"));
    QTest::keyClick(box, Qt::Key_Return);
    QVERIFY(dialog.isVisible()); // not taken
    QCOMPARE(dialog.result(), 0);
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("100000"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.rowCount(), 100000);

    // A count written with a thousands separator is the count it reads as.
    AddRowsDialog grouped;
    grouped.show();
    box = grouped.findChild<QLineEdit *>(QStringLiteral("行数编辑框"));
    box->setText(QStringLiteral("1,000"));
    QTest::keyClick(box, Qt::Key_Return);
    QCOMPARE(grouped.result(), int(QDialog::Accepted));
    QCOMPARE(grouped.rowCount(), 1000);
}

QTEST_MAIN(OddDatabaseTest)
#include "OddDatabaseTest.moc"
