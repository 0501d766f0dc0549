#pragma once
// An editable drop-down combo box that tells when its list is about to open,
// so that the list can be filled from the database just before it shows.
#include <QComboBox>

namespace kaoshi {

class DropDownBox final : public QComboBox
{
    Q_OBJECT
public:
    explicit DropDownBox(QWidget *parent = nullptr);

    // Replaces the items of the list; no item is chosen and the typed text
    // stays as it is.
    void setList(const QStringList &items);

    void showPopup() override;

signals:
    void listAboutToOpen();
};

} // namespace kaoshi
