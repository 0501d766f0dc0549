#include "bank/AddRowsDialog.h"

#include "ui/DialogPlacement.h"
#include "ui/Controls.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace kaoshi {

namespace {
constexpr int kMostRows = 100000;
}

AddRowsDialog::AddRowsDialog(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("添加行数"));
    m_rows = named(new QLineEdit(QStringLiteral("30"), this), QStringLiteral("行数编辑框"));
    m_rows->setValidator(new QIntValidator(0, kMostRows, m_rows));
    auto *ok = named(new QPushButton(QStringLiteral("确定"), this), QStringLiteral("确定按钮"), QStringLiteral("确定"));
    ok->setAutoDefault(false);

    auto *layout = new QHBoxLayout(this);
    layout->addWidget(m_rows);
    layout->addWidget(ok);

    connect(ok, &QPushButton::clicked, this, &AddRowsDialog::acceptCount);
    m_rows->selectAll();
    m_rows->setFocus();
}

void AddRowsDialog::keyPressEvent(QKeyEvent *event)
{
    // Enter confirms like the button, also when the box is empty (0 rows).
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        acceptCount();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AddRowsDialog::acceptCount()
{
    // A count above the limit is never taken; the box keeps it for correction.
    if (m_rows->text().isEmpty() || m_rows->hasAcceptableInput()) {
        accept();
        return;
    }
    m_rows->selectAll();
    m_rows->setFocus();
}

int AddRowsDialog::rowCount() const
{
    // The box takes what its validator takes, thousands separators ("1,000") included.
    bool ok = false;
    const int count = m_rows->validator()->locale().toInt(m_rows->text(), &ok);
    return ok ? count : m_rows->text().toInt();
}

void AddRowsDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
}

} // namespace kaoshi
