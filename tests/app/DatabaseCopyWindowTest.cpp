// 管理 > 复制到服务器 and 复制到文件 through the main window: the counts of
// both sides after a copy, a server holding questions replaced only when the
// user agrees, 停止 and refused writes keeping nothing, and a backup file
// that is new or not written at all.
#include "ProgramState.h"
#include "TestDatabase.h"

#include "app/DatabaseChoice.h"
#include "app/DatabaseCopyTask.h"
#include "app/MainWindow.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

const QByteArray kPicture("\x89PNG\r\n\x1a\npicture", 15);

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A run on the local file of its data folder, whose 数据库.ini names a
// fresh database on the test server.
struct CopyRun : ProgramState {
    TestDatabase server{TestEngine::Server};
    MainWindow main{context};
    // What the progress dialog showed while the copy ran.
    QStringList progressNames;

    explicit CopyRun(bool withServer = true)
    {
        if (withServer) {
            DatabaseChoice choice;
            choice.server = server.serverSettings();
            writeDatabaseChoice(context.dataDir, choice); // the file stays in use; the server is named
        }
        main.show();
    }
    void fillLocal(int questions)
    {
        db.addQuestions(QuestionType::SingleChoice, questions);
        db.addQuestions(QuestionType::TrueFalse, 2);
        db.addPicture(QuestionType::SingleChoice, 1, QStringLiteral("图一"), QStringLiteral("\\image\\一.png"));
        writeFile(QDir(context.dataDir).filePath(QStringLiteral("image/一.png")), kPicture);
        db.store().execute(QStringLiteral("insert into 评分 (考号, 场次, 姓名, 题号, 题型, 考生答案) "
                                          "values ('A01', '一', '张三', 1, '单选', 'A')"));
    }
    // Runs a menu item; stopAfter > 0 presses 停止 once the dialog shows that many done.
    void run(const QString &item, int stopAt = 0)
    {
        QTimer watch;
        watch.setInterval(0);
        QObject::connect(&watch, &QTimer::timeout, [&] {
            auto *dialog = main.findChild<CopyProgressDialog *>(QStringLiteral("复制进度对话框"));
            if (!dialog || !dialog->isVisible())
                return;
            auto *stop = dialog->findChild<QPushButton *>(QStringLiteral("停止按钮"));
            const QString seen = dialog->accessibleName() + QLatin1Char('|') + (stop ? stop->accessibleName() : QString());
            if (!progressNames.contains(seen))
                progressNames << seen;
            if (stopAt > 0 && dialog->value() >= stopAt && !dialog->wasCanceled())
                QTest::mouseClick(stop, Qt::LeftButton);
        });
        watch.start();
        main.runMenuItem(item);
    }
};

} // namespace

class DatabaseCopyWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void copiesToTheServerAndReplacesOnlyWhenAsked()
    {
        CopyRun r;
        QVERIFY2(r.server.isReady(), qPrintable(r.server.reason()));
        r.fillLocal(300);
        r.run(QStringLiteral("复制到服务器"));
        const Message done = r.platform.lastMessage();
        QCOMPARE(done.caption, QStringLiteral("系统消息"));
        const QString where = r.server.serverSettings().describe();
        QVERIFY2(done.text.startsWith(QStringLiteral("已复制到服务器 %1，两边的行数相同：\n").arg(where)), qPrintable(done.text));
        for (const QString &line : {QStringLiteral("单选：300 → 300"), QStringLiteral("判断：2 → 2"), QStringLiteral("图片：1 → 1"),
                                    QStringLiteral("评分：1 → 1"), QStringLiteral("配置：1 → 1"), QStringLiteral("图片文件：1 → 1")})
            QVERIFY2(done.text.split(u'\n').contains(line), qPrintable(line));
        QCOMPARE(r.server.count("单选"), 300);
        QCOMPARE(r.server.text("select count(*) from 图片文件"), QStringLiteral("1"));
        QCOMPARE(r.progressNames, QStringList{QStringLiteral("复制到服务器|停止")});

        // The server holds questions now: nothing changes unless the user agrees.
        r.db.addQuestion(QuestionType::SingleChoice, {301, QStringLiteral("新题"), QStringLiteral("B")});
        r.platform.clear();
        r.platform.setNextAnswer(false);
        r.run(QStringLiteral("复制到服务器"));
        QCOMPARE(r.platform.messages,
                 (QList<Message>{{QStringLiteral("服务器 %1 上已经有题目、图片或答案。\n用本机文件的数据替换它们吗？").arg(where),
                                  QStringLiteral("注意"), Message::Icon::Warning},
                                 {QStringLiteral("没有复制，服务器上的数据没有改变"), QStringLiteral("系统消息"),
                                  Message::Icon::Information}}));
        QCOMPARE(r.server.count("单选"), 300);

        // Agreed, but the server refuses a row: the old data stays whole.
        r.server.refuse(QStringLiteral("评分"), QStringLiteral("insert"));
        r.platform.setNextAnswer(true);
        r.run(QStringLiteral("复制到服务器"));
        QCOMPARE(r.platform.lastMessage(),
                 (Message{QStringLiteral("数据没有复制到服务器，服务器上的数据没有改变\n没能写入表 评分：拒绝写入"),
                          QStringLiteral("失败"), Message::Icon::Warning}));
        QCOMPARE(r.server.count("单选"), 300);
        QCOMPARE(r.server.count("评分"), 1);
    }

    void stopKeepsNothingAndNoServerIsSaid()
    {
        {
            CopyRun none(false);
            none.run(QStringLiteral("复制到服务器"));
            QCOMPARE(none.platform.lastMessage(),
                     (Message{QStringLiteral("数据没有复制到服务器\n数据库设置中没有服务器：请先在 管理 > 数据库设置… 中填写服务器。"),
                              QStringLiteral("失败"), Message::Icon::Warning}));
        }
        CopyRun r;
        QVERIFY2(r.server.isReady(), qPrintable(r.server.reason()));
        r.fillLocal(2000);
        r.run(QStringLiteral("复制到服务器"), 100);
        QCOMPARE(r.platform.lastMessage(), (Message{QStringLiteral("已停止复制，服务器上的数据没有改变"),
                                                    QStringLiteral("系统消息"), Message::Icon::Information}));
        QCOMPARE(r.server.count("单选"), 0);
        QCOMPARE(r.server.text("select count(*) from 图片文件"), QStringLiteral("0"));
    }

    void copiesTheServerIntoANewFileOrWritesNothing()
    {
        CopyRun r;
        QVERIFY2(r.server.isReady(), qPrintable(r.server.reason()));
        r.server.addQuestions(QuestionType::MultipleChoice, 5);
        r.server.addPicture(QuestionType::MultipleChoice, 2, QStringLiteral("图"), QStringLiteral("\\image\\二.png"));
        QVERIFY(r.server.store().execute(QStringLiteral("insert into 图片文件 (文件名, 内容) values (?, ?)"),
                                         {QStringLiteral("\\image\\二.png"), FieldValue::blob(kPicture)}));
        QTemporaryDir backups;
        const QString backup = QDir(backups.path()).filePath(QStringLiteral("备份.mdb"));
        r.platform.setNextFileName(backup);
        r.run(QStringLiteral("复制到文件"));
        QVERIFY2(r.platform.lastMessage().text.startsWith(QStringLiteral("已复制到文件 %1，两边的行数相同：\n").arg(backup)),
                 qPrintable(r.platform.lastMessage().text));
        QVERIFY(r.platform.lastMessage().text.split(u'\n').contains(QStringLiteral("多选：5 → 5")));
        QCOMPARE(readFile(QDir(backups.path()).filePath(QStringLiteral("image/二.png"))), kPicture);
        {
            DataStore copy;
            QVERIFY(copy.open(backup));
            QCOMPARE(copy.query(QStringLiteral("select count(*) from 多选")).value(1).toInteger(), 5);
        }

        // Only a new file is written.
        r.platform.setNextFileName(backup);
        r.run(QStringLiteral("复制到文件"));
        QCOMPARE(r.platform.lastMessage(),
                 (Message{QStringLiteral("数据没有复制到文件\n文件已经存在：%1\n复制到文件只写新的文件，请换一个文件名。").arg(backup),
                          QStringLiteral("失败"), Message::Icon::Warning}));

        // A picture file of other bytes beside the new file is never
        // replaced; the copy then leaves no file behind.
        QTemporaryDir other;
        const QString theirs = QDir(other.path()).filePath(QStringLiteral("image/二.png"));
        writeFile(theirs, "other bytes");
        const QString refused = QDir(other.path()).filePath(QStringLiteral("备份.mdb"));
        r.platform.setNextFileName(refused);
        r.run(QStringLiteral("复制到文件"));
        QCOMPARE(r.platform.lastMessage(),
                 (Message{QStringLiteral("数据没有复制到文件，没有写出文件\n图片文件 \\image\\二.png 已经存在，内容不同"),
                          QStringLiteral("失败"), Message::Icon::Warning}));
        QVERIFY(!QFileInfo::exists(refused));
        QCOMPARE(readFile(theirs), QByteArray("other bytes"));
        QCOMPARE(QDir(other.path()).entryList(QDir::Files), QStringList());
    }
};

QTEST_MAIN(DatabaseCopyWindowTest)
#include "DatabaseCopyWindowTest.moc"
