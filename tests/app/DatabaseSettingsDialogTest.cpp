// 管理 > 数据库设置…, driven through its controls: it shows what 数据库.ini
// holds, 测试连接 tells a failed and a working server apart, and 确定 keeps
// the choice (without a password), or says 失败 and stays open.
#include "ProgramState.h"
#include "TestServer.h"

#include "app/DatabaseChoice.h"
#include "app/DatabaseSettingsDialog.h"
#include "app/StartUpDialogs.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
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

    // The start's windows: each button named as it reads and answering as
    // pressed (Esc: the local file); the password typed unseen; at start a
    // saved choice is used at once, without "restart" advice.
    void theStartUpWindowsAnswerAsPressed()
    {
        const struct {
            const char *button;
            AfterServerFailure choice;
        } cases[] = {{"重试按钮", AfterServerFailure::Retry},
                     {"更改设置按钮", AfterServerFailure::ChangeSettings},
                     {"使用本机文件按钮", AfterServerFailure::UseLocalFile},
                     {nullptr, AfterServerFailure::UseLocalFile}};
        for (const auto &c : cases) {
            ServerFailureBox box(QStringLiteral("连接不上服务器 kaoshi@考场:5432/kaoshi：原因"));
            QTimer::singleShot(0, [&] {
                if (!c.button) {
                    QTest::keyClick(&box, Qt::Key_Escape);
                    return;
                }
                auto *button = box.findChild<QPushButton *>(QString::fromUtf8(c.button));
                QVERIFY(button);
                QCOMPARE(button->accessibleName(), button->text());
                button->click();
            });
            box.exec();
            QCOMPARE(box.choice(), c.choice);
        }
        ServerSettings server;
        server.host = QStringLiteral("考场");
        PasswordDialog password(server, QString());
        auto *edit = password.findChild<QLineEdit *>(QStringLiteral("密码编辑框"));
        QVERIFY(edit && !edit->accessibleName().isEmpty());
        QCOMPARE(edit->echoMode(), QLineEdit::Password);

        ProgramState state;
        DatabaseSettingsDialog atStart(state.context.dataDir, state.platform, DatabaseSettingsDialog::When::AtStart);
        atStart.show();
        QTest::mouseClick(atStart.findChild<QPushButton *>(QStringLiteral("确定按钮")), Qt::LeftButton);
        QCOMPARE(atStart.result(), int(QDialog::Accepted));
        QVERIFY(state.platform.messages.isEmpty());
    }
};

QTEST_MAIN(DatabaseSettingsDialogTest)
#include "DatabaseSettingsDialogTest.moc"
