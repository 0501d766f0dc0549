#include "data/PrintedPaperTable.h"


namespace kaoshi {

namespace {

int variantIndex(const QString &letter)
{
    return letter.isEmpty() ? -1 : letter[0].unicode() - u'A';
}

// The questions of one variant, in printed order.
std::optional<std::vector<PrintedItem>> loadItems(DataStore &store, qint64 id, int index)
{
    std::vector<PrintedItem> items;
    RowSet rows = store.query(QStringLiteral("select 题型,题号,选项顺序 from 印卷题目 where 批号=? and 变体=? "
                                             "order by 序号"),
                              {id, variantLetter(index)});
    for (; !rows.atEnd(); rows.next()) {
        const std::optional<QuestionType> type = questionTypeOf(rows.value(1).toText());
        const std::optional<QList<int>> order = optionOrderOfText(rows.value(3).toText());
        if (!type || !order)
            return std::nullopt;
        items.push_back({*type, rows.value(2).toInteger(), *order});
    }
    if (rows.failed())
        return std::nullopt;
    return items;
}

} // namespace

QString variantLetter(int index)
{
    return QString(QChar(u'A' + index));
}

QString optionOrderText(const QList<int> &order)
{
    QString text;
    for (const int option : order)
        text += QChar(u'A' + option);
    return text;
}

std::optional<QList<int>> optionOrderOfText(const QString &text)
{
    QList<int> order;
    for (const QChar letter : text) {
        const int option = letter.unicode() - u'A';
        if (option < 0 || option >= text.size() || order.contains(option))
            return std::nullopt;
        order << option;
    }
    return order;
}

bool ensurePrintedPaperTables(DataStore &store)
{
    Transaction unit(store);
    return unit.isOpen() &&
           store.execute(QStringLiteral("create table if not exists 印卷 (批号 INTEGER, 标题 TEXT, 场次 TEXT, "
                                        "印制时间 TEXT, 变体 TEXT, 种子 INTEGER)")) &&
           store.execute(QStringLiteral("create index if not exists 印卷_批号 on 印卷 (批号, 变体)")) &&
           store.execute(QStringLiteral("create index if not exists 印卷_场次 on 印卷 (场次, 变体, 批号)")) &&
           store.execute(QStringLiteral("create table if not exists 印卷题目 (批号 INTEGER, 变体 TEXT, 序号 INTEGER, "
                                        "题型 TEXT, 题号 INTEGER, 选项顺序 TEXT)")) &&
           store.execute(QStringLiteral("create index if not exists 印卷题目_批号 on 印卷题目 (批号, 变体, 序号)")) &&
           unit.commit();
}

bool storePrintedRun(DataStore &store, PrintedRun &run)
{
    if (!ensurePrintedPaperTables(store))
        return false;
    Transaction unit(store);
    if (!unit.isOpen())
        return false;
    RowSet last = store.query(QStringLiteral("select coalesce(max(批号), 0) from 印卷"));
    if (last.failed() || last.atEnd())
        return false;
    const qint64 id = last.value(1).toInteger() + 1;
    last.close();
    for (const PrintedVariant &variant : run.variants) {
        const QString letter = variantLetter(variant.index);
        if (!store.execute(QStringLiteral("insert into 印卷 (批号,标题,场次,印制时间,变体,种子) values (?,?,?,?,?,?)"),
                           {id, run.title, run.occasion, run.printedAt, letter, variant.seed}))
            return false;
        int position = 0;
        for (const PrintedItem &item : variant.items) {
            if (!store.execute(QStringLiteral("insert into 印卷题目 (批号,变体,序号,题型,题号,选项顺序) "
                                              "values (?,?,?,?,?,?)"),
                               {id, letter, position++, typeValue(item.type), item.number,
                                optionOrderText(item.optionOrder)}))
                return false;
        }
    }
    if (!unit.commit())
        return false;
    run.id = id;
    return true;
}

std::optional<std::vector<PrintedRun>> listPrintedRuns(DataStore &store)
{
    if (!ensurePrintedPaperTables(store))
        return std::nullopt;
    std::vector<PrintedRun> runs;
    RowSet rows = store.query(QStringLiteral("select 批号,标题,场次,印制时间,变体,种子 from 印卷 "
                                             "order by 批号 desc, 变体"));
    for (; !rows.atEnd(); rows.next()) {
        const qint64 id = rows.value(1).toInteger();
        if (runs.empty() || runs.back().id != id)
            runs.push_back({id, rows.value(2).toText(), rows.value(3).toText(), rows.value(4).toText(), {}});
        runs.back().variants.push_back({variantIndex(rows.value(5).toText()), rows.value(6).toInteger(), {}});
    }
    if (rows.failed())
        return std::nullopt;
    return runs;
}

std::optional<PrintedRun> loadPrintedRun(DataStore &store, qint64 id)
{
    std::optional<std::vector<PrintedRun>> runs = listPrintedRuns(store);
    if (!runs)
        return std::nullopt;
    for (PrintedRun &run : *runs) {
        if (run.id != id)
            continue;
        for (PrintedVariant &variant : run.variants) {
            std::optional<std::vector<PrintedItem>> items = loadItems(store, id, variant.index);
            if (!items)
                return std::nullopt;
            variant.items = std::move(*items);
        }
        return std::move(run);
    }
    return std::nullopt;
}

std::optional<PrintedVariant> findPrintedVariant(DataStore &store, const QString &occasion, int index)
{
    if (!ensurePrintedPaperTables(store))
        return std::nullopt;
    RowSet rows = store.query(QStringLiteral("select 批号,种子 from 印卷 where 场次=? and 变体=? "
                                             "order by 批号 desc limit 1"),
                              {occasion, variantLetter(index)});
    if (rows.failed() || rows.atEnd())
        return std::nullopt;
    const qint64 id = rows.value(1).toInteger();
    PrintedVariant variant{index, rows.value(2).toInteger(), {}};
    rows.close();
    std::optional<std::vector<PrintedItem>> items = loadItems(store, id, index);
    if (!items)
        return std::nullopt;
    variant.items = std::move(*items);
    return variant;
}

} // namespace kaoshi
