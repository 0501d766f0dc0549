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

namespace {

const QString kShuffleQuestions = QStringLiteral("打乱题序");
const QString kShuffleOptions = QStringLiteral("打乱选项");

bool ensureSettingKeys(DataStore &store)
{
    return store.execute(QStringLiteral("create table if not exists 配置项 (名称 %1, 值 %2)")
                             .arg(store.engine().textType(), store.engine().integerType())) &&
           store.execute(QStringLiteral("create unique index if not exists 配置项_名称 on 配置项 (名称)"));
}

bool storeSettingKey(DataStore &store, const QString &key, bool on)
{
    return store.execute(QStringLiteral("delete from 配置项 where 名称=?"), {key}) &&
           store.execute(QStringLiteral("insert into 配置项 (名称, 值) values (?, ?)"), {key, qint64(on ? 1 : 0)});
}

} // namespace

std::optional<PaperShuffle> readPaperShuffle(DataStore &store)
{
    PaperShuffle shuffle;
    RowSet rows = store.query(QStringLiteral("select 名称, 值 from 配置项"));
    if (rows.failed()) {
        // A file from before the table: the defaults. One that has the table
        // but cannot read it decides nothing.
        Transaction unit(store);
        const bool made = unit.isOpen() && ensureSettingKeys(store) && unit.commit();
        return made ? std::optional<PaperShuffle>(shuffle) : std::nullopt;
    }
    for (; !rows.atEnd(); rows.next()) {
        const QString key = rows.value(1).toText();
        const bool on = rows.value(2).toInteger() != 0;
        if (key == kShuffleQuestions)
            shuffle.questions = on;
        else if (key == kShuffleOptions)
            shuffle.options = on;
    }
    if (rows.failed())
        return std::nullopt;
    return shuffle;
}

bool storePaperShuffle(DataStore &store, const PaperShuffle &shuffle)
{
    Transaction unit(store);
    return unit.isOpen() && ensureSettingKeys(store) && storeSettingKey(store, kShuffleQuestions, shuffle.questions) &&
           storeSettingKey(store, kShuffleOptions, shuffle.options) && unit.commit();
}

} // namespace kaoshi
