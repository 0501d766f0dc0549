#pragma once
// "添加行数": asks how many blank rows the bank list offers for typing.
#include <QDialog>

class QLineEdit;

namespace kaoshi {

class AddRowsDialog final : public QDialog
{
    Q_OBJECT
public:
    explicit AddRowsDialog(QWidget *parent = nullptr);

    // The number in the box; 0 when it holds none.
    int rowCount() const;
    // Enter and 确定: closes only with a count the box accepts.
    void acceptCount();

protected:
    void showEvent(QShowEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QLineEdit *m_rows;
};

} // namespace kaoshi
