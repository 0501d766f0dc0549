#include "ui/DatabaseStatus.h"

#include "data/DataStore.h"
#include "ui/Platform.h"

#include <QDir>

namespace kaoshi {

namespace {

QString reasonOf(const DataStore &store)
{
    using A = DataStore::Availability;
    const QString engine = store.lastError().message;
    switch (store.availability()) {
    case A::Usable: return QString();
    case A::Missing: return QStringLiteral("找不到这个文件，也不能在这里新建。");
    case A::NotADatabase: return QStringLiteral("这个文件不是数据库。");
    case A::NotOurs: return QStringLiteral("这个文件不是考试系统的数据库。");
    case A::MissingTable:
    case A::MissingColumn: return QStringLiteral("数据库不完整：") + engine + QStringLiteral("。");
    case A::Locked: return QStringLiteral("数据库被其他程序锁定，请关闭那个程序后再试。");
    case A::Other: break;
    }
    return engine;
}

} // namespace

Message databaseProblem(const DataStore &store)
{
    const QString path = QDir::toNativeSeparators(store.path());
    if (!store.isOpen())
        return {QStringLiteral("数据库不能使用，题库、练习和评分都无法进行。\n%1\n%2").arg(path, reasonOf(store)),
                QStringLiteral("失败"), Message::Icon::Warning};
    if (store.isReadOnly())
        return {QStringLiteral("数据库只读，可以查看和练习，但任何修改都不能保存。\n%1").arg(path),
                QStringLiteral("系统消息"), Message::Icon::Warning};
    return {};
}

} // namespace kaoshi
