#pragma once
// 管理 > 关于: the program's name and version, the data folder it uses and
// the database file in use.
#include <QDialog>

namespace kaoshi {

struct AppContext;

class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    AboutDialog(const AppContext &context, QWidget *owner);
};

} // namespace kaoshi
