#include "data/ConfigTable.h"

#include "data/DataStore.h"

namespace kaoshi {

std::array<qint64, ExamSettings::kFields> ExamSettings::fields() const
{
    return {draws[0], draws[1], draws[2], draws[3], minutes};
}

ExamSettings ExamSettings::fromFields(const std::array<qint64, kFields> &fields)
{
    return {{fields[0], fields[1], fields[2], fields[3]}, fields[4]};
}

const QStringList &examSettingsCaptions()
{
    static const QStringList captions{QStringLiteral("单选抽题"), QStringLiteral("多选抽题"),
                                      QStringLiteral("判断抽题"), QStringLiteral("问答抽题"),
                                      QStringLiteral("计时")};
    return captions;
}

std::optional<ExamSettings> readExamSettings(DataStore &store)
{
    RowSet row = store.query(QStringLiteral("select 单选抽题,多选抽题,判断抽题,问答抽题,计时 from 配置"));
    if (row.failed() || row.atEnd())
        return std::nullopt;
    std::array<qint64, ExamSettings::kFields> fields{};
    for (int i = 0; i < ExamSettings::kFields; ++i) {
        const FieldValue value = row.value(i + 1);
        const bool number = value.type() == FieldValue::Type::Integer || value.type() == FieldValue::Type::Real;
        fields[size_t(i)] = number ? value.toInteger() : 0;
    }
    return ExamSettings::fromFields(fields);
}

bool storeExamSettings(DataStore &store, const ExamSettings &settings)
{
    Values values;
    for (qint64 value : settings.fields())
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
