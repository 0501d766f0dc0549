#pragma once
// 模拟组卷 as a candidate goes through it: the menu item, then the sign-in
// dialog filled in and "开始考试" pressed.
#include "app/MainWindow.h"
#include "data/PaperTable.h"
#include "exam/CandidateDialog.h"
#include "exam/ExamPaperWindow.h"
#include "ui/DropDownBox.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace kaoshi::test {

// The paper window that opened for the candidate; null when none did.
inline ExamPaperWindow *signInPaper(MainWindow &main, const PaperOwner &candidate)
{
    QTimer::singleShot(0, [candidate] {
        auto *dialog = qobject_cast<CandidateDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->findChild<DropDownBox *>(QStringLiteral("考号组合框"))->setEditText(candidate.number);
        dialog->findChild<DropDownBox *>(QStringLiteral("场次组合框"))->setEditText(candidate.occasion);
        dialog->findChild<QLineEdit *>(QStringLiteral("姓名编辑框"))->setText(candidate.name);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("开始考试按钮")), Qt::LeftButton);
        if (QApplication::activeModalWidget() == dialog)
            dialog->close();
    });
    main.runMenuItem(QStringLiteral("模拟组卷"));
    return qobject_cast<ExamPaperWindow *>(main.currentTaskWindow());
}

} // namespace kaoshi::test
