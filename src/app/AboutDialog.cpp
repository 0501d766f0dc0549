#include "app/AboutDialog.h"

#include "app/Version.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace kaoshi {

namespace {

// A caption and its value in one row; the value can be selected and copied,
// so that a technician can pass a path on.
void addRow(QGridLayout *grid, const QString &caption, const QString &value)
{
    auto *parent = grid->parentWidget();
    const int row = grid->rowCount();
    auto *label = named(new QLabel(caption + QStringLiteral("："), parent), caption + QStringLiteral("标签"));
    auto *shown = named(new QLabel(value, parent), caption + QStringLiteral("内容"));
    shown->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    shown->setFocusPolicy(Qt::StrongFocus);
    label->setBuddy(shown);
    grid->addWidget(label, row, 0, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(shown, row, 1, Qt::AlignLeft | Qt::AlignTop);
}

} // namespace

AboutDialog::AboutDialog(const AppContext &context, QWidget *owner) : QDialog(owner)
{
    nameControl(this, QStringLiteral("关于对话框"), QStringLiteral("关于"));
    setWindowTitle(QStringLiteral("关于"));

    auto *layout = new QVBoxLayout(this);
    auto *head = new QHBoxLayout;
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull()) {
        auto *picture = named(new QLabel(this), QStringLiteral("图标"), QStringLiteral("考试系统图标"));
        picture->setPixmap(icon.pixmap(64, 64));
        head->addWidget(picture);
    }
    auto *title = named(new QLabel(QStringLiteral("考试系统"), this), QStringLiteral("名称标签"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 1.6);
    big.setBold(true);
    title->setFont(big);
    head->addWidget(title);
    head->addStretch();
    layout->addLayout(head);

    auto *grid = new QGridLayout;
    layout->addLayout(grid);
    grid->setColumnStretch(1, 1);
    addRow(grid, QStringLiteral("版本"), programVersion());
    addRow(grid, QStringLiteral("数据文件夹"), QDir::toNativeSeparators(context.dataDir));
    addRow(grid, QStringLiteral("数据库"), QDir::toNativeSeparators(context.store.path()));

    auto *buttons = named(new QDialogButtonBox(QDialogButtonBox::Ok, this), QStringLiteral("按钮栏"));
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    nameControl(ok, QStringLiteral("确定按钮"), ok->text());
    ok->setDefault(true);
    ok->setFocus();
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

} // namespace kaoshi
