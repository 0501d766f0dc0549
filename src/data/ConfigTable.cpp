#include "data/ConfigTable.h"

#include "data/DataStore.h"

namespace kaoshi {

namespace {
const QString kConfigTable = QStringLiteral("配置");
} // namespace

const QStringList &examConfigColumns()
{
    static const QStringList columns{QStringLiteral("单选抽题"), QStringLiteral("多选抽题"),
                                     QStringLiteral("判断抽题"), QStringLiteral("问答抽题"),
                                     QStringLiteral("计时")};
    return columns;
}

std::optional<ExamConfig> readExamConfig(DataStore &store)
{
    RecordCursor cursor = store.openCursor(kConfigTable, CursorKind::Table);
    if (!cursor.hasCurrentRow())
        return std::nullopt;
    ExamConfig config{};
    for (int i = 0; i < kExamConfigFields; ++i) {
        qint64 value = 0;
        // A NULL or non-integer cell reads as 0.
        if (cursor.readInteger(examConfigColumns()[i], value))
            config[size_t(i)] = value;
    }
    cursor.close();
    return config;
}

bool storeExamConfig(DataStore &store, const ExamConfig &config)
{
    Values values;
    for (qint64 value : config)
        values << FieldValue(value);
    Transaction unit(store);
    if (!unit.isOpen())
        return false;
    if (!store.execute(QStringLiteral("update 配置 set 单选抽题=?,多选抽题=?,判断抽题=?,问答抽题=?,计时=?"), values))
        return false;
    if (store.changes() == 0 &&
        !store.execute(QStringLiteral("insert into 配置 (单选抽题,多选抽题,判断抽题,问答抽题,计时) values (?,?,?,?,?)"),
                       values))
        return false;
    return unit.commit();
}

} // namespace kaoshi
