// The question editor driven through its controls.
#include "BankTestSupport.h"
#include "bank/QuestionEditorWindow.h"
#include "ui/ListGrid.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextEdit>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

const QString kSingle = QStringLiteral("单选");
const QString kMultiple = QStringLiteral("多选");
const QDateTime kMoment(QDate(2026, 3, 5), QTime(9, 7, 2));

struct EditorFixture : ProgramFixture {
    QTemporaryDir sources;
    std::unique_ptr<QuestionEditorWindow> editor;

    EditorFixture() { platform.setClock(0, kMoment); }

    // Opens the editor on a list row; a row with a 题号 stands for the first stored row of that number.
    QuestionEditorWindow *open(const QString &type, QuestionTexts row = {})
    {
        if (!row.number.isEmpty() && row.rowId == 0)
            row.rowId = db.store()
                            .query("select rowid from " + type + " where 题号=? order by rowid", {row.number.toLongLong()})
                            .value(1)
                            .toInteger();
        editor = std::make_unique<QuestionEditorWindow>(context, questionTypeOf(type).value(), row);
        editor->show();
        return editor.get();
    }
    template <typename W>
    W *control(const QString &name)
    {
        W *widget = editor->findChild<W *>(name);
        if (!widget)
            qFatal("no control %s", qPrintable(name));
        return widget;
    }
    ListGrid *pictures() { return control<ListGrid>(QStringLiteral("高级表格1")); }
    void setText(const QString &text) { control<QTextEdit>(QStringLiteral("题目超级编辑框"))->setPlainText(text); }
    void tick(const QString &name) { QTest::mouseClick(control<QAbstractButton>(name), Qt::LeftButton); }
    void save() { pressToolButton(editor.get(), QStringLiteral("保存")); }
    // Double-clicks the picture cell of a row and chooses the file.
    void choose(int row, const QString &file)
    {
        platform.setNextFileName(file);
        doubleClickCell(pictures(), row, 2);
    }
    QStringList pictureColumn(int column)
    {
        QStringList cells;
        for (int row = 1; row < pictures()->rowCount(); ++row)
            cells << pictures()->text(row, column);
        return cells;
    }
    QString picture(const QString &name, QColor colour) { return makePicture(sources.path(), name, colour); }
    void storePicture(qint64 number, const QString &summary, const QString &file)
    {
        QDir(db.programDir()).mkpath(QStringLiteral("image"));
        QFile::copy(picture(file, Qt::red), QDir(db.programDir()).filePath("image/" + file));
        db.addPicture(kSingle, number, summary, "\\image\\" + file);
    }
};

} // namespace

class QuestionEditorTest : public QObject
{
    Q_OBJECT
private slots:
    void fillsFromTheListRowAndShowsOnlyItsAnswerPage();
    void blankRowOffersTheNextNumber();
    void savesTickedLettersWithoutCarryOver();
    void composesEachAnswerKind();
    void emptyQuestionIsRefused();
    void refusedSaveOrDeleteIsReportedAndKeepsTheEditorOpen();
    void pressesDuringThePictureWaitDoNothing();
    void fourChosenPicturesAreCopiedShownAndStored();
    void storedPictureIsReplacedInItsOwnFile();
    void moreThanFourStoredPicturesAreCutToFour();
    void deleteMovesLaterQuestionsAndPicturesDown();
    void timeStampFollowsTheClock();
};

void QuestionEditorTest::fillsFromTheListRowAndShowsOnlyItsAnswerPage()
{
    EditorFixture f;
    f.db.addQuestion(kSingle, {4, QStringLiteral("数据库中的题"), "A"});
    f.open(kSingle, {"4", QStringLiteral("列表中的题"), "C", QStringLiteral("解析"), "2", QStringLiteral("第一章")});
    QCOMPARE(f.editor->windowTitle(), QStringLiteral("题目编辑"));
    QCOMPARE(f.control<QLineEdit>("题号编辑框")->text(), QStringLiteral("4"));
    QCOMPARE(f.control<QTextEdit>("题目超级编辑框")->toPlainText(), QStringLiteral("列表中的题"));
    QCOMPARE(f.control<QTextEdit>("解析超级编辑框")->toPlainText(), QStringLiteral("解析"));
    QCOMPARE(f.control<QLineEdit>("分值编辑框")->text(), QStringLiteral("2"));
    QCOMPARE(f.control<QTextEdit>("章节超级编辑框")->toPlainText(), QStringLiteral("第一章"));
    QVERIFY(f.control<QRadioButton>("C单选框")->isChecked());
    QCOMPARE(f.control<QRadioButton>("C单选框")->property("tag").toInt(), 3);
    QCOMPARE(f.control<QCheckBox>("G选择框")->property("tag").toInt(), 17);

    auto *answers = f.control<QTabWidget>("答题区高级选择夹");
    QList<bool> visible;
    for (int page = 0; page < answers->count(); ++page)
        visible << answers->isTabVisible(page);
    QCOMPARE(visible, (QList<bool>{true, false, false, false}));
    QCOMPARE(f.pictures()->rowCount(), 5);
}

void QuestionEditorTest::blankRowOffersTheNextNumber()
{
    EditorFixture f;
    f.open(kMultiple);
    QCOMPARE(f.control<QLineEdit>("题号编辑框")->text(), QStringLiteral("1"));
    f.db.addQuestions(kSingle, 7);
    f.open(kSingle, {QString(), QStringLiteral("typed but unsaved")});
    QCOMPARE(f.control<QLineEdit>("题号编辑框")->text(), QStringLiteral("8"));
    QCOMPARE(f.control<QTextEdit>("题目超级编辑框")->toPlainText(), QString());
}

void QuestionEditorTest::savesTickedLettersWithoutCarryOver()
{
    EditorFixture f;
    f.open(kMultiple);
    f.setText(QStringLiteral("  第一题 "));
    for (const char *box : {"A选择框", "C选择框", "D选择框"})
        f.tick(QString::fromUtf8(box));
    f.save();
    QCOMPARE(f.platform.lastMessage(),
             (Message{QStringLiteral("更新多选成功"), QStringLiteral("系统消息"), Message::Icon::Information}));
    QVERIFY(!f.editor->isVisible());

    f.open(kMultiple);
    QCOMPARE(f.control<QLineEdit>("题号编辑框")->text(), QStringLiteral("2"));
    f.setText(QStringLiteral("第二题"));
    f.tick(QStringLiteral("B选择框"));
    f.save();
    QCOMPARE(f.db.text("select group_concat(题号 || ':' || 题目 || ':' || 标准答案, ',') from 多选"),
             QStringLiteral("1:第一题:ACD,2:第二题:B"));

    // Reopening question 1 from its list row shows its letters and saving
    // replaces it under the same number.
    f.open(kMultiple, {"1", QStringLiteral("第一题"), "ACD"});
    QVERIFY(f.control<QCheckBox>("D选择框")->isChecked());
    QVERIFY(!f.control<QCheckBox>("B选择框")->isChecked());
    f.tick(QStringLiteral("D选择框"));
    f.save();
    QCOMPARE(f.db.count(kMultiple), 2);
    QCOMPARE(f.db.text("select 标准答案 from 多选 where 题号=1"), QStringLiteral("AC"));
}

void QuestionEditorTest::composesEachAnswerKind()
{
    const struct {
        QString type;
        const char *control; // "" selects nothing
        QString stored;
    } cases[] = {
        {kSingle, "", ""},
        {kSingle, "B单选框", "B"},
        {QStringLiteral("判断"), "对单选框", QStringLiteral("√")},
        {QStringLiteral("判断"), "错单选框", QStringLiteral("×")},
    };
    for (const auto &c : cases) {
        EditorFixture f;
        f.open(c.type);
        f.setText(QStringLiteral("It's a question"));
        if (*c.control)
            f.tick(QString::fromUtf8(c.control));
        f.save();
        QCOMPARE(f.db.text("select 标准答案 from " + c.type + " where 题号=1"), c.stored);
        QCOMPARE(f.db.text("select 题目 from " + c.type + " where 题号=1"), QStringLiteral("It's a question"));
    }

    EditorFixture f;
    f.open(QStringLiteral("问答"), {"1", "Q", QStringLiteral("old")});
    QCOMPARE(f.control<QTextEdit>("问答超级编辑框")->toPlainText(), QStringLiteral("old"));
    f.control<QTextEdit>("问答超级编辑框")->setPlainText(QStringLiteral(" free answer "));
    f.save();
    QCOMPARE(f.db.text("select 标准答案 from 问答 where 题号=1"), QStringLiteral(" free answer "));
}

void QuestionEditorTest::emptyQuestionIsRefused()
{
    EditorFixture f;
    f.db.addQuestions(kSingle, 2);
    f.open(kSingle, {"2", QString(), "A"});
    f.save();
    QCOMPARE(f.platform.lastMessage(),
             (Message{QStringLiteral("题目未添"), QStringLiteral("系统消息"), Message::Icon::Information}));
    QVERIFY(f.editor->isVisible());
    QCOMPARE(f.db.text("select 题目 from 单选 where 题号=2"), QStringLiteral("单选题2"));
}

void QuestionEditorTest::refusedSaveOrDeleteIsReportedAndKeepsTheEditorOpen()
{
    EditorFixture f;
    f.db.addQuestions(kSingle, 2);
    f.open(kSingle, {"2", QStringLiteral("改过的题目"), "A"});
    f.db.store().close(); // the database can no longer be reached
    f.save();
    QCOMPARE(f.platform.lastMessage().caption, QStringLiteral("失败"));
    QCOMPARE(f.platform.lastMessage().icon, Message::Icon::Warning);
    QVERIFY(f.platform.lastMessage().text.startsWith(QStringLiteral("更新单选失败\n")));
    QVERIFY(f.editor->isVisible());
    QCOMPARE(f.control<QTextEdit>("题目超级编辑框")->toPlainText(), QStringLiteral("改过的题目"));
    pressToolButton(f.editor.get(), QStringLiteral("删除"));
    QVERIFY(f.platform.lastMessage().text.startsWith(QStringLiteral("删除单选失败\n")));
    QCOMPARE(f.platform.lastMessage().caption, QStringLiteral("失败"));
    QVERIFY(f.editor->isVisible());
    QVERIFY(f.db.store().open(f.db.path()));
    QCOMPARE(f.db.text("select 题目 from 单选 where 题号=2"), QStringLiteral("单选题2"));

    // A database that refuses the change: its reason is shown, nothing changes.
    f.db.refuse(kSingle, QStringLiteral("update"));
    f.db.refuse(kSingle, QStringLiteral("delete"));
    f.platform.clear();
    f.save();
    QCOMPARE(f.platform.messages,
             (QList<Message>{{QStringLiteral("更新单选失败\n拒绝写入"), QStringLiteral("失败"), Message::Icon::Warning}}));
    pressToolButton(f.editor.get(), QStringLiteral("删除"));
    QCOMPARE(f.platform.lastMessage().text, QStringLiteral("删除单选失败\n拒绝写入"));
    QVERIFY(f.editor->isVisible());
    QCOMPARE(f.db.text("select group_concat(题目, '|') from 单选"), QStringLiteral("单选题1|单选题2"));
}

void QuestionEditorTest::pressesDuringThePictureWaitDoNothing()
{
    EditorFixture f;
    f.db.addQuestions(kSingle, 3);
    f.open(kSingle, {"2", QStringLiteral("第二题"), "A"});
    f.choose(1, f.picture("a.png", Qt::red));
    f.choose(2, f.picture("b.png", Qt::blue));
    int presses = 0;
    f.platform.duringWait = [&] {
        ++presses;
        pressToolButton(f.editor.get(), QStringLiteral("保存"));
        pressToolButton(f.editor.get(), QStringLiteral("删除"));
    };
    f.save();
    f.platform.duringWait = nullptr;
    QCOMPARE(presses, 2);
    QCOMPARE(f.db.count(kSingle), 3);
    QCOMPARE(f.db.text("select count(*) from 图片 where 题型='单选' and 题号=2"), QStringLiteral("2"));
    QCOMPARE(f.db.count("图片"), 2);
    QCOMPARE(f.platform.lastMessage().text, QStringLiteral("更新单选成功"));
}

void QuestionEditorTest::fourChosenPicturesAreCopiedShownAndStored()
{
    EditorFixture f;
    QVERIFY(!QDir(f.db.programDir()).exists(QStringLiteral("image")));
    f.open(kSingle);
    f.setText(QStringLiteral("看图"));
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    const QString names[] = {"a.png", "b.png", "c.bmp", "d.png"};
    for (int row = 1; row <= 4; ++row) {
        f.choose(row, f.picture(names[row - 1], colours[row - 1]));
        f.pictures()->setText(row, 1, QStringLiteral(" 图%1 ").arg(row));
    }
    QCOMPARE(f.platform.fileDialogTitles, QStringList(4, QStringLiteral("选择打开文件：")));
    for (int row = 1; row <= 4; ++row)
        QVERIFY(!f.pictures()->image(row, 2).isNull());
    QCOMPARE(f.pictureColumn(3)[2], f.sources.filePath("c.bmp"));
    // Chosen within one second, yet every picture gets its own file.
    const QStringList locations{"\\image\\20260305090702.png", "\\image\\20260305090702-2.png",
                                "\\image\\20260305090702.bmp", "\\image\\20260305090702-3.png"};
    QCOMPARE(f.pictureColumn(4), locations);

    f.save();
    QCOMPARE(f.platform.waitedMilliseconds, 4 * 2000);
    QCOMPARE(f.db.text("select group_concat(摘要 || '|' || 图片, ',') from 图片 where 题型='单选' and 题号=1"),
             QStringLiteral("图1|%1,图2|%2,图3|%3,图4|%4").arg(locations[0], locations[1], locations[2], locations[3]));
    for (int i = 0; i < 4; ++i) {
        const QImage copy(QDir(f.db.programDir()).filePath("image/" + locations[i].mid(7)));
        QCOMPARE(copy.pixelColor(0, 0), colours[i]);
    }
}

void QuestionEditorTest::storedPictureIsReplacedInItsOwnFile()
{
    EditorFixture f;
    f.db.addQuestions(kSingle, 1);
    f.storePicture(1, QStringLiteral("旧图"), QStringLiteral("20260305090702.png"));
    const QString stored = QDir(f.db.programDir()).filePath("image/20260305090702.png");

    // Another question choosing a picture in the same second gets a new name.
    f.open(kSingle);
    f.setText(QStringLiteral("第二题"));
    f.choose(1, f.picture("green.png", Qt::green));
    QCOMPARE(f.pictures()->text(1, 4), QStringLiteral("\\image\\20260305090702-2.png"));
    f.save();
    QCOMPARE(QImage(stored).pixelColor(0, 0), QColor(Qt::red));

    // Question 1 replaces its own picture and keeps its location.
    f.open(kSingle, {"1", QStringLiteral("第一题"), "A"});
    QCOMPARE(f.pictureColumn(1)[0], QStringLiteral("旧图"));
    QVERIFY(!f.pictures()->image(1, 2).isNull());
    f.choose(1, f.picture("blue.png", Qt::blue));
    QCOMPARE(f.pictures()->text(1, 4), QStringLiteral("\\image\\20260305090702.png"));
    f.save();
    QCOMPARE(QImage(stored).pixelColor(0, 0), QColor(Qt::blue));
    QCOMPARE(f.db.count("图片"), 2);
}

void QuestionEditorTest::moreThanFourStoredPicturesAreCutToFour()
{
    EditorFixture f;
    f.db.addQuestions(kSingle, 1);
    for (int i = 1; i <= 5; ++i)
        f.storePicture(1, QStringLiteral("图%1").arg(i), QStringLiteral("p%1.png").arg(i));
    f.open(kSingle, {"1", QStringLiteral("第一题"), "A"});
    QCOMPARE(f.pictures()->rowCount(), 5);
    QCOMPARE(f.pictureColumn(1), (QStringList{"图1", "图2", "图3", "图4"}));
    QCOMPARE(f.pictureColumn(3), QStringList(4, QString()));
    f.save();
    QCOMPARE(f.db.text("select group_concat(图片, ',') from 图片"),
             QStringLiteral("\\image\\p1.png,\\image\\p2.png,\\image\\p3.png,\\image\\p4.png"));
}

void QuestionEditorTest::deleteMovesLaterQuestionsAndPicturesDown()
{
    EditorFixture f;
    f.db.addQuestions(kSingle, 5);
    f.storePicture(3, QStringLiteral("三"), QStringLiteral("3.png"));
    f.storePicture(4, QStringLiteral("四"), QStringLiteral("4.png"));
    f.storePicture(5, QStringLiteral("五"), QStringLiteral("5.png"));
    f.open(kSingle, {"3", QStringLiteral("单选题3"), "A"});
    pressToolButton(f.editor.get(), QStringLiteral("删除"));
    QCOMPARE(f.platform.lastMessage(),
             (Message{QStringLiteral("删除单选成功"), QStringLiteral("系统消息"), Message::Icon::Information}));
    QCOMPARE(f.db.text("select group_concat(题号 || ':' || 题目, ',') from (select * from 单选 order by 题号)"),
             QStringLiteral("1:单选题1,2:单选题2,3:单选题4,4:单选题5"));
    QCOMPARE(f.db.text("select group_concat(摘要 || ':' || 题号, ',') from (select * from 图片 order by 题号)"),
             QStringLiteral("四:3,五:4"));
    QVERIFY(QFile::exists(QDir(f.db.programDir()).filePath("image/3.png")));
}

void QuestionEditorTest::timeStampFollowsTheClock()
{
    EditorFixture f;
    f.open(kSingle);
    auto *stamp = f.control<QLineEdit>("编辑框1");
    QVERIFY(!stamp->isVisible());
    QCOMPARE(stamp->text(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(stamp->text(), QStringLiteral("20260305090702"), 3000);
    f.platform.setClock(0, kMoment.addSecs(1));
    QTRY_COMPARE_WITH_TIMEOUT(stamp->text(), QStringLiteral("20260305090703"), 3000);
}

QTEST_MAIN(QuestionEditorTest)
#include "QuestionEditorTest.moc"
