// A database server that stops in the middle of a hand-in, as a crash or a
// power cut stops it (pg_ctl stop -m immediate, on a cluster of the test's
// own): the hand-in says 失败 with the reason and reports nothing done; once
// the server runs again the database holds the paper as it was before the
// hand-in, and the same window hands it in.
#include "OwnServerRun.h"
#include "PaperSignIn.h"
#include "PracticeDriving.h"

#include "app/MainWindow.h"
#include "data/ConfigTable.h"
#include "data/PostgresEngine.h"
#include "exam/CandidateDialog.h"
#include "exam/ExamPaperWindow.h"
#include "ui/AppContext.h"
#include "ui/DropDownBox.h"
#include "ui/ScriptedPlatform.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <atomic>
#include <thread>

using namespace kaoshi;
using namespace kaoshi::test;

namespace {

qint64 countOn(const ServerSettings &settings, const QString &sql)
{
    DataStore store(std::make_unique<PostgresEngine>(settings));
    if (!store.open(settings.describe()))
        return -1;
    return store.query(sql).value(1).toInteger();
}

} // namespace

class ServerStopTest : public QObject
{
    Q_OBJECT
private slots:
    void aServerStoppedDuringAHandInLosesNothingAndServesAgain()
    {
        OwnServerRun run(OwnServerRun::Reach::Socket);
        QVERIFY2(run.isReady(), qPrintable(run.failure));
        for (int n = 1; n <= 4; ++n)
            QVERIFY(run.store.execute(QStringLiteral("insert into 单选 (题号, 题目, 标准答案, 分值) values (?, ?, 'A', 1)"),
                                  {n, QStringLiteral("单选题%1").arg(n)}));
        ExamSettings exam;
        exam.draws = {2, 0, 0, 0};
        QVERIFY(storeExamSettings(run.store, exam));

        MainWindow main(run.context);
        main.show();
        ExamPaperWindow *paper =
            signInPaper(main, {QStringLiteral("A01"), QStringLiteral("一"), QStringLiteral("张三")});
        QVERIFY2(paper, qPrintable(run.platform.lastMessage().text));
        click(paper, QStringLiteral("A单选框"));
        QCOMPARE(countOn(run.settings, QStringLiteral("select count(*) from 答卷 where 考生答案='A'")), 1);

        // The hand-in's first row waits in the server; the server stops then.
        QCOMPARE(run.own.admin(QStringLiteral("create function 慢() returns trigger language plpgsql as "
                                          "$$ begin perform pg_sleep(60); return new; end $$"),
                           QStringLiteral("kaoshi")),
                 QString());
        QCOMPARE(run.own.admin(QStringLiteral("create trigger 慢 before insert on 评分 for each row execute function 慢()"),
                           QStringLiteral("kaoshi")),
                 QString());
        std::atomic<bool> halted = false;
        std::thread stopper([&] {
            for (int i = 0; i < 400 && !halted; ++i) {
                const QString waiting = run.own.admin(QStringLiteral(
                    "do $$ begin if not exists (select 1 from pg_stat_activity where wait_event = 'PgSleep') "
                    "then raise exception 'not yet'; end if; end $$"));
                if (waiting.isEmpty())
                    halted = run.own.halt();
                else
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
        });
        run.platform.clear();
        run.platform.setNextAnswer(true);
        for (QAction *a : main.findChildren<QAction *>())
            if (a->text() == QStringLiteral("交卷"))
                a->trigger();
        stopper.join();
        QVERIFY(halted);
        // The seat keeps the hand-in and says so; it is not done yet.
        QCOMPARE(run.platform.lastMessage().text,
                 QStringLiteral("网络中断：交卷已记在本机，连上服务器后自动交上，请不要关机"));
        QCOMPARE(main.statusText(4), QStringLiteral("网络中断，交卷已记在本机"));
        for (const Message &shown : run.platform.messages)
            QVERIFY2(!shown.text.contains(QStringLiteral("交卷完毕")), qPrintable(shown.text));
        QVERIFY(paper->isVisible());

        // Started again: nothing of the hand-in was kept, the paper is whole.
        QVERIFY(run.own.resume());
        QCOMPARE(countOn(run.settings, QStringLiteral("select count(*) from 评分")), 0);
        QCOMPARE(countOn(run.settings, QStringLiteral("select count(*) from 答卷")), 2);
        QCOMPARE(countOn(run.settings, QStringLiteral("select count(*) from 答卷 where 考生答案='A'")), 1);
        QCOMPARE(run.own.admin(QStringLiteral("drop trigger 慢 on 评分"), QStringLiteral("kaoshi")), QString());

        // The next heartbeat finds the server back and sends the same paper once.
        paper->heartbeat();
        QTRY_COMPARE_WITH_TIMEOUT(run.platform.lastMessage().text, QStringLiteral("交卷完毕,共 2 题,已答 1 题"), 15000);
        QCOMPARE(main.statusText(4), QString());
        QCOMPARE(countOn(run.settings, QStringLiteral("select count(*) from 评分 where 考号='A01'")), 2);
        QCOMPARE(countOn(run.settings, QStringLiteral("select count(*) from 答卷")), 0);
    }
};

QTEST_MAIN(ServerStopTest)
#include "ServerStopTest.moc"
