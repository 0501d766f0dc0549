// 管理 > 数据库设置…, driven through its controls: it shows what 数据库.ini
// holds, 测试连接 tells a failed and a working server apart, and 确定 keeps
// the choice (without a password), or says 失败 and stays open.
#include "ProgramState.h"
#include "TestServer.h"

#include "app/DatabaseChoice.h"
#include "app/DatabaseSettingsDialog.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

using namespace kaoshi;
using namespace kaoshi::test;

class DatabaseSettingsDialogTest : public QObject
{
    Q_OBJECT

    static QLineEdit *edit(QDialog &d, const char *name) { return d.findChild<QLineEdit *>(QString::fromUtf8(name)); }
    static void type(QDialog &d, const char *name, const QString &text)
    {
        edit(d, name)->clear();
        QTest::keyClicks(edit(d, name), text);
    }

private slots:
    void testsTheConnectionAndKeepsTheChoice()
    {
        ProgramState state;
        TestServer server;
        QVERIFY2(server.isReady(), qPrintable(server.reason()));
        DatabaseSettingsDialog dialog(state.context);
        dialog.show();
        for (const char *name : {"本机文件按钮", "服务器按钮", "主机编辑框", "端口编辑框", "数据库编辑框", "用户编辑框",
                                 "服务编辑框", "测试连接按钮", "连接结果标签", "确定按钮", "取消按钮"}) {
            QWidget *control = dialog.findChild<QWidget *>(QString::fromUtf8(name));
            QVERIFY2(control && !control->accessibleName().isEmpty(), name);
        }
        auto *file = dialog.findChild<QRadioButton *>(QStringLiteral("本机文件按钮"));
        QVERIFY(file->isChecked()); // no 数据库.ini yet: the local file
        QVERIFY(!edit(dialog, "主机编辑框")->isEnabled());

        auto *serverButton = dialog.findChild<QRadioButton *>(QStringLiteral("服务器按钮"));
        QTest::mouseClick(serverButton, Qt::LeftButton, {}, QPoint(8, serverButton->height() / 2));
        QVERIFY(edit(dialog, "主机编辑框")->isEnabled());
        const ServerSettings s = server.settings();
        type(dialog, "主机编辑框", QStringLiteral("127.0.0.1"));
        type(dialog, "端口编辑框", QString::number(s.port));
        type(dialog, "数据库编辑框", QStringLiteral("kaoshi_no_such_database"));
        type(dialog, "用户编辑框", s.user);
        auto *test = dialog.findChild<QPushButton *>(QStringLiteral("测试连接按钮"));
        auto *result = dialog.findChild<QLabel *>(QStringLiteral("连接结果标签"));
        QTest::mouseClick(test, Qt::LeftButton);
        QVERIFY2(result->text().contains(QStringLiteral("服务器上没有数据库")), qPrintable(result->text()));
        QCOMPARE(result->accessibleName(), result->text());
        if (qEnvironmentVariableIsSet("KAOSHI_SCREENSHOT_DIR"))
            dialog.grab().save(QDir(qEnvironmentVariable("KAOSHI_SCREENSHOT_DIR")).filePath("failed.png"));

        type(dialog, "数据库编辑框", s.database);
        test->setFocus();
        QTest::keyClick(test, Qt::Key_Space); // the keyboard does what the mouse does
        QVERIFY2(result->text().startsWith(QStringLiteral("连接成功")), qPrintable(result->text()));
        if (qEnvironmentVariableIsSet("KAOSHI_SCREENSHOT_DIR"))
            dialog.grab().save(QDir(qEnvironmentVariable("KAOSHI_SCREENSHOT_DIR")).filePath("works.png"));

        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("确定按钮")), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(state.platform.lastMessage().caption, QStringLiteral("系统消息"));
        const DatabaseChoice kept = readDatabaseChoice(state.db.programDir());
        QCOMPARE(kept.kind, DatabaseChoice::Kind::Server);
        QCOMPARE(kept.server.port, s.port);
        QCOMPARE(kept.server.database, s.database);
        // Shown again as it was kept.
        DatabaseSettingsDialog again(state.context);
        QCOMPARE(edit(again, "数据库编辑框")->text(), s.database);
        QVERIFY(again.findChild<QRadioButton *>(QStringLiteral("服务器按钮"))->isChecked());
    }

    void aChoiceThatCannotBeWrittenSaysFailedAndStays()
    {
        ProgramState state;
        // 数据库.ini is a folder: it cannot be written.
        QVERIFY(QDir(state.db.programDir()).mkdir(kDatabaseSettingsFile));
        DatabaseSettingsDialog dialog(state.context);
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton *>(QStringLiteral("确定按钮")), Qt::LeftButton);
        QCOMPARE(state.platform.lastMessage().caption, QStringLiteral("失败"));
        QVERIFY(dialog.isVisible());
    }
};

QTEST_MAIN(DatabaseSettingsDialogTest)
#include "DatabaseSettingsDialogTest.moc"
