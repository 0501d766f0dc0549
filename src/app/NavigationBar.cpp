#include "app/NavigationBar.h"

#include "ui/Controls.h"

#include <QKeyEvent>
#include <QListWidget>

namespace kaoshi {

NavigationBar::NavigationBar(QWidget *parent) : QToolBox(parent)
{
    nameControl(this, QStringLiteral("卷帘式菜单1"));
    setStyleSheet(QStringLiteral(
        "QToolBox::tab { background: #d9def2; border: 1px solid #9aa4c8; border-radius: 3px;"
        " color: #1f2a55; font-weight: bold; padding-left: 8px; min-height: 26px; }"
        "QToolBox::tab:selected { background: #b9c6f2; }"
        "QListWidget { background: white; }"));
    connect(this, &QToolBox::currentChanged, this, [this](int group) {
        if (group >= 0)
            emit groupOpened(group);
    });
}

int NavigationBar::addGroup(const QString &caption, const QStringList &items)
{
    auto *list = new QListWidget(this);
    nameControl(list, caption + QStringLiteral("组"), caption);
    list->setFrameShape(QFrame::NoFrame);
    list->setSpacing(4);
    // The chosen item stays readable: dark text on a light highlight.
    list->setStyleSheet(QStringLiteral("QListWidget::item:hover { background: #e6e6ff; }"
                                       "QListWidget::item:selected { background: #b9c6f2; color: #1f2a55; }"));
    list->setFocusPolicy(Qt::StrongFocus);
    list->addItems(items);
    connect(list, &QListWidget::itemClicked, this, [this, list](QListWidgetItem *item) {
        emit itemClicked(indexOf(list), list->row(item));
    });
    list->installEventFilter(this);
    return addItem(list, caption);
}

bool NavigationBar::eventFilter(QObject *watched, QEvent *event)
{
    // Enter on an item acts as a click, for keyboard users.
    auto *l = qobject_cast<QListWidget *>(watched);
    if (l && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && l->currentRow() >= 0) {
            emit itemClicked(indexOf(l), l->currentRow());
            return true;
        }
    }
    return QToolBox::eventFilter(watched, event);
}

QListWidget *NavigationBar::list(int group) const { return qobject_cast<QListWidget *>(widget(group)); }

int NavigationBar::groupIndex(const QString &caption) const
{
    for (int i = 0; i < count(); ++i)
        if (itemText(i) == caption)
            return i;
    return -1;
}

int NavigationBar::itemCount(int group) const
{
    QListWidget *l = list(group);
    return l ? l->count() : 0;
}

QString NavigationBar::itemCaption(int group, int item) const
{
    QListWidget *l = list(group);
    return l && item >= 0 && item < l->count() ? l->item(item)->text() : QString();
}

void NavigationBar::setItems(int group, const QStringList &items)
{
    if (QListWidget *l = list(group)) {
        l->clear();
        l->addItems(items);
    }
}

void NavigationBar::openGroup(int group) { setCurrentIndex(group); }

void NavigationBar::clickItem(int group, int item)
{
    if (item >= 0 && item < itemCount(group))
        emit itemClicked(group, item);
}

} // namespace kaoshi
