#pragma once
// Driving the practice layout (practice windows, chapter practice, exam
// paper) by the controls' object names, as a learner or candidate does.
#include <QAbstractButton>
#include <QAction>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>

namespace kaoshi::test {

template <typename T>
T *control(QWidget *window, const QString &name)
{
    T *found = window->findChild<T *>(name);
    if (!found)
        qFatal("no control %s", qPrintable(name));
    return found;
}

// The number box of a type's answer page.
inline QLineEdit *box(QWidget *w, const QString &type)
{
    return control<QLineEdit>(w, type + QStringLiteral("题号编辑框"));
}

inline QString question(QWidget *w) { return control<QTextEdit>(w, QStringLiteral("题目超级编辑框"))->toPlainText(); }

// The letter the question shown gives the option whose text is body, as a
// candidate reads it ("乙" shown as "A.乙" → "A"); "" when none shows it.
inline QString shownLetterOf(QWidget *w, const QString &body)
{
    for (const QString &line : question(w).split(u'\n'))
        if (line.size() > 2 && line.mid(2) == body)
            return line.left(1);
    return QString();
}

// A toolbar button, by its caption.
inline void press(QWidget *window, const QString &caption)
{
    for (QAction *action : control<QToolBar>(window, QStringLiteral("工具条1"))->actions())
        if (action->text() == caption) {
            action->trigger();
            return;
        }
    qFatal("no toolbar button %s", qPrintable(caption));
}

inline void showPage(QWidget *window, const QString &tabs, int page)
{
    control<QTabWidget>(window, tabs)->setCurrentIndex(page);
}

inline void click(QWidget *window, const QString &name)
{
    QTest::mouseClick(control<QAbstractButton>(window, name), Qt::LeftButton);
}

} // namespace kaoshi::test
