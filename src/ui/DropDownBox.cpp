#include "ui/DropDownBox.h"

namespace kaoshi {

DropDownBox::DropDownBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    // Typed text stays text: Enter neither adds it to the list nor picks an item.
    setInsertPolicy(QComboBox::NoInsert);
    setCompleter(nullptr);
}

void DropDownBox::setList(const QStringList &items)
{
    const QString typed = currentText();
    clear();
    addItems(items);
    // Adding to an empty list would choose its first item.
    setCurrentIndex(-1);
    setEditText(typed);
}

void DropDownBox::showPopup()
{
    emit listAboutToOpen();
    QComboBox::showPopup();
}

} // namespace kaoshi
