// Pictures through the windows on both engines: the editor keeps a chosen
// picture's bytes and its row in one unit, and a second seat on the same
// server shows the picture in practice and follows a change to it.
#include "BankTestSupport.h"
#include "support/PracticeDriving.h"
#include "bank/QuestionEditorWindow.h"
#include "practice/PictureBox.h"
#include "practice/PracticeWindow.h"

#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

const QString kSingle = QStringLiteral("单选");
const QString kLocation = QStringLiteral("\\image\\20260305090702.png");

struct EditorSeat : ProgramFixture {
    QTemporaryDir sources;
    std::unique_ptr<QuestionEditorWindow> editor;

    explicit EditorSeat(TestEngine engine) : ProgramFixture(engine)
    {
        platform.setClock(0, QDateTime(QDate(2026, 3, 5), QTime(9, 7, 2)));
    }
    void openQuestion(qint64 number)
    {
        const qint64 rowId =
            db.store().query("select rowid from 单选 where 题号=?", {number}).value(1).toInteger();
        editor = std::make_unique<QuestionEditorWindow>(
            context, QuestionType::SingleChoice,
            QuestionTexts{QString::number(number), QStringLiteral("单选题%1").arg(number), "A", {}, {}, {}, rowId});
        editor->show();
    }
    // Chooses a picture of this colour for the first picture row and saves.
    QString saveWithPicture(QColor colour)
    {
        const QString file = makePicture(sources.path(), colour.name().mid(1) + ".png", colour);
        platform.setNextFileName(file);
        auto *pictures = editor->findChild<ListGrid *>(QStringLiteral("高级表格1"));
        doubleClickCell(pictures, 1, 2);
        pictures->setText(1, 1, QStringLiteral("图"));
        platform.clear();
        pressToolButton(editor.get(), QStringLiteral("保存"));
        return file;
    }
    QByteArray storedBytes()
    {
        return db.store().query("select 内容 from 图片文件 where 文件名=?", {kLocation}).value(1).toBytes();
    }
};

// Another seat of the room: its own data folder and connection.
struct OtherSeat {
    QTemporaryDir dir;
    ScriptedPlatform platform;
    std::unique_ptr<DataStore> store;
    AppContext context;
    MainWindow main{context};
    explicit OtherSeat(const TestDatabase &db)
        : store(db.anotherStore()), context{dir.path(), *store, platform.platform()}
    {
        main.show();
    }
};

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class PictureWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void editorKeepsBytesAndRowInOneUnit_data();
    void editorKeepsBytesAndRowInOneUnit();
    void secondSeatShowsThePictureAndFollowsAChange();
};

void PictureWindowTest::editorKeepsBytesAndRowInOneUnit_data()
{
    QTest::addColumn<bool>("server");
    QTest::addColumn<QString>("refused");
    QTest::newRow("file, 图片 refused") << false << QStringLiteral("图片");
    QTest::newRow("server, 图片 refused") << true << QStringLiteral("图片");
    QTest::newRow("server, 图片文件 refused") << true << QStringLiteral("图片文件");
}

void PictureWindowTest::editorKeepsBytesAndRowInOneUnit()
{
    QFETCH(bool, server);
    QFETCH(QString, refused);
    EditorSeat f(server ? TestEngine::Server : TestEngine::File);
    QVERIFY2(f.db.isReady(), qPrintable(f.db.reason()));
    f.db.addQuestions(kSingle, 1);
    f.db.refuse(refused, QStringLiteral("insert"));
    f.openQuestion(1);
    f.saveWithPicture(Qt::red);
    QCOMPARE(f.platform.messages,
             (QList<Message>{{QStringLiteral("更新单选失败\n拒绝写入"), QStringLiteral("失败"), Message::Icon::Warning}}));
    QVERIFY(f.editor->isVisible());
    QCOMPARE(f.db.count(QStringLiteral("图片")), 0);
    if (server)
        QCOMPARE(f.db.count(QStringLiteral("图片文件")), 0);
    QCOMPARE(QDir(f.db.programDir() + "/image").entryList(QDir::Files), QStringList());

    QVERIFY(f.db.store().execute(server ? QStringLiteral("drop trigger refuse_%1_insert on %1").arg(refused)
                                        : QStringLiteral("drop trigger refuse_%1_insert").arg(refused)));
    const QString chosen = f.saveWithPicture(Qt::red);
    QCOMPARE(f.platform.lastMessage().text, QStringLiteral("更新单选成功"));
    QCOMPARE(f.db.text("select 图片 from 图片"), kLocation);
    QCOMPARE(bytesOf(QDir(f.db.programDir()).filePath("image/20260305090702.png")), bytesOf(chosen));
    if (server)
        QCOMPARE(f.storedBytes(), bytesOf(chosen));
}

void PictureWindowTest::secondSeatShowsThePictureAndFollowsAChange()
{
    EditorSeat first(TestEngine::Server);
    QVERIFY2(first.db.isReady(), qPrintable(first.db.reason()));
    first.db.addQuestions(kSingle, 2);
    first.openQuestion(1);
    first.saveWithPicture(Qt::red);
    QCOMPARE(first.platform.lastMessage().text, QStringLiteral("更新单选成功"));

    OtherSeat second(first.db);
    second.main.runMenuItem(QStringLiteral("顺序练习"));
    QWidget *practice = second.main.currentTaskWindow();
    QVERIFY(qobject_cast<PracticeWindow *>(practice));
    showPage(practice, QStringLiteral("题目区高级选择夹"), 1);
    auto *summary = control<QLabel>(practice, QStringLiteral("摘要透明标签"));
    auto *picture = control<PictureBox>(practice, QStringLiteral("图片框1"));
    QCOMPARE(summary->text(), QStringLiteral("图"));
    QCOMPARE(picture->image().pixelColor(0, 0), QColor(Qt::red));
    const QString copy = QDir(second.dir.path()).filePath("image/20260305090702.png");
    QCOMPARE(bytesOf(copy), first.storedBytes());

    // The first seat replaces the picture in its place; the second shows
    // the new one the next time it comes to the question.
    first.openQuestion(1);
    first.saveWithPicture(Qt::blue);
    QCOMPARE(first.platform.lastMessage().text, QStringLiteral("更新单选成功"));
    press(practice, QStringLiteral("下题"));
    press(practice, QStringLiteral("上题"));
    QCOMPARE(picture->image().pixelColor(0, 0), QColor(Qt::blue));
    QCOMPARE(bytesOf(copy), first.storedBytes());

    // A picture the server lost shows as missing; nothing opens.
    QVERIFY(first.db.store().execute(QStringLiteral("delete from 图片文件")));
    press(practice, QStringLiteral("下题"));
    press(practice, QStringLiteral("上题"));
    QCOMPARE(summary->text(), QStringLiteral("图"));
    QVERIFY(picture->image().isNull());
    QCOMPARE(picture->note(), QStringLiteral("图片无法显示"));
    QTest::mouseDClick(picture, Qt::LeftButton);
    QVERIFY(second.platform.openedFiles.isEmpty());
}

QTEST_MAIN(PictureWindowTest)
#include "PictureWindowTest.moc"
