#pragma once
// The navigation bar on the main window's left edge: groups of items, one
// group open at a time. It reports indices; the shell reads the captions.
#include <QStringList>
#include <QToolBox>

class QListWidget;

namespace kaoshi {

class NavigationBar : public QToolBox
{
    Q_OBJECT
public:
    explicit NavigationBar(QWidget *parent = nullptr);

    int addGroup(const QString &caption, const QStringList &items);
    int groupIndex(const QString &caption) const;
    QString groupCaption(int group) const { return itemText(group); }
    int itemCount(int group) const;
    QString itemCaption(int group, int item) const;
    void setItems(int group, const QStringList &items);

    // Opens a group and clicks one of its items, as the user does.
    void openGroup(int group);
    void clickItem(int group, int item);

signals:
    void itemClicked(int group, int item);
    void groupOpened(int group);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QListWidget *list(int group) const;
};

} // namespace kaoshi
