#include "data/PaperTable.h"

#include "data/ServerReach.h"

#include <optional>

namespace kaoshi {

namespace {

// One kept paper per (考号, 场次), held by the database. A file where two
// copies of the program already kept two papers for one candidate cannot
// take the indexes; the claim of keepNewPaper still holds there.
bool ensureOnePaperPerCandidate(DataStore &store)
{
    {
        Transaction unit(store);
        if (unit.isOpen() &&
            store.execute(QStringLiteral("create unique index if not exists 答卷计时_考号_场次 on 答卷计时 (考号, 场次)")) &&
            store.execute(QStringLiteral("create unique index if not exists 答卷_考号_场次_序号 on 答卷 (考号, 场次, 序号)")) &&
            store.execute(QStringLiteral("drop index if exists 答卷_考号_场次")) && unit.commit())
            return true;
    }
    // Without the unique indexes the papers are still found by an index.
    store.execute(QStringLiteral("create index if not exists 答卷_考号_场次 on 答卷 (考号, 场次, 序号)"));
    return true;
}

} // namespace

std::vector<int> rowsOf(const KeptPaper &paper)
{
    if (!paper.rows.empty())
        return paper.rows;
    std::vector<int> rows(paper.items.size());
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i] = int(i);
    return rows;
}

bool indexesPresent(DataStore &store, const QStringList &names)
{
    if (!isOnServer(store) || names.isEmpty())
        return false;
    Values values;
    for (const QString &name : names)
        values << name;
    const QString marks = QStringLiteral("?,").repeated(names.size()).chopped(1);
    RowSet row = store.query(QStringLiteral("select count(*) from pg_catalog.pg_indexes where schemaname = current_schema() "
                                            "and indexname in (%1)")
                                 .arg(marks),
                             values);
    return !row.failed() && !row.atEnd() && row.value(1).toInteger() == names.size();
}

bool ensurePaperTables(DataStore &store)
{
    if (indexesPresent(store, {QStringLiteral("答卷计时_考号_场次"), QStringLiteral("答卷_考号_场次_序号")}))
        return true;
    const QString text = store.engine().textType();
    const QString integer = store.engine().integerType();
    Transaction unit(store);
    return unit.isOpen() &&
           store.execute(QStringLiteral("create table if not exists 答卷 (考号 %1, 场次 %1, 姓名 %1, "
                                        "序号 %2, 题型 %1, 题号 %2, 考生答案 %1)")
                             .arg(text, integer)) &&
           store.execute(QStringLiteral("create table if not exists 答卷计时 (考号 %1, 场次 %1, 剩余秒数 %2)").arg(text, integer)) &&
           unit.commit() && ensureOnePaperPerCandidate(store);
}

PaperLookup findKeptPaper(DataStore &store, const QString &number, const QString &occasion)
{
    PaperLookup lookup;
    RowSet rows = store.query(QStringLiteral("select 题型,题号,考生答案,序号 from 答卷 where 考号=? and 场次=? order by 序号"),
                              {number, occasion});
    KeptPaper paper;
    for (; !rows.atEnd(); rows.next())
        if (const std::optional<QuestionType> type = questionTypeOf(rows.value(1).toText())) {
            paper.items.push_back({*type, rows.value(2).toInteger(), rows.value(3).toText()});
            paper.rows.push_back(int(rows.value(4).toInteger()));
        }
    if (rows.failed()) {
        lookup.failed = true;
        return lookup;
    }
    if (paper.items.empty())
        return lookup;
    RowSet time = store.query(QStringLiteral("select 剩余秒数 from 答卷计时 where 考号=? and 场次=?"), {number, occasion});
    if (time.failed()) {
        lookup.failed = true;
        return lookup;
    }
    paper.secondsLeft = time.atEnd() ? 0 : time.value(1).toInteger();
    lookup.paper = std::move(paper);
    return lookup;
}

KeepOutcome keepNewPaper(DataStore &store, const PaperOwner &owner, const KeptPaper &paper)
{
    Transaction unit(store);
    if (!unit.isOpen())
        return KeepOutcome::Failed;
    // The claim comes first: its statement takes the write lock before it
    // looks, so a second copy waits here and then finds the paper taken.
    if (!store.execute(QStringLiteral("insert into 答卷计时 (考号,场次,剩余秒数) select ?,?,? where not exists "
                                      "(select 1 from 答卷计时 where 考号=? and 场次=?)"),
                       {owner.number, owner.occasion, paper.secondsLeft, owner.number, owner.occasion}))
        return KeepOutcome::Failed;
    if (store.changes() == 0)
        return KeepOutcome::Taken;
    int position = 0;
    for (const PaperItem &item : paper.items) {
        if (!store.execute(QStringLiteral("insert into 答卷 (考号,场次,姓名,序号,题型,题号,考生答案) values (?,?,?,?,?,?,?)"),
                           {owner.number, owner.occasion, owner.name, position++, typeValue(item.type), item.number,
                            item.answer}))
            return KeepOutcome::Failed;
    }
    return unit.commit() ? KeepOutcome::Kept : KeepOutcome::Failed;
}

bool keepPaperAnswer(DataStore &store, const PaperOwner &owner, int position, const QString &answer)
{
    return store.execute(QStringLiteral("update 答卷 set 考生答案=? where 考号=? and 场次=? and 序号=?"),
                         {answer, owner.number, owner.occasion, position}) &&
           store.changes() == 1;
}

AnswersOutcome keepPaperAnswers(DataStore &store, const PaperOwner &owner,
                                const std::vector<std::pair<int, QString>> &answers)
{
    // One answer is one statement, a unit already.
    std::optional<Transaction> unit;
    if (answers.size() > 1 && !unit.emplace(store).isOpen())
        return AnswersOutcome::Failed;
    for (const auto &[position, answer] : answers) {
        if (!store.execute(QStringLiteral("update 答卷 set 考生答案=? where 考号=? and 场次=? and 序号=?"),
                           {answer, owner.number, owner.occasion, position}))
            return AnswersOutcome::Failed;
        if (store.changes() != 1)
            return AnswersOutcome::NotKept;
    }
    return !unit || unit->commit() ? AnswersOutcome::Kept : AnswersOutcome::Failed;
}

bool keepSecondsLeft(DataStore &store, const PaperOwner &owner, qint64 secondsLeft)
{
    return store.execute(QStringLiteral("update 答卷计时 set 剩余秒数=? where 考号=? and 场次=?"),
                         {secondsLeft, owner.number, owner.occasion});
}

HandInOutcome handInPaper(DataStore &store, const PaperOwner &owner, const std::vector<PaperItem> &items)
{
    std::vector<StoredAnswer> rows;
    rows.reserve(items.size());
    for (const PaperItem &item : items)
        rows.push_back({owner.number, owner.occasion, owner.name, item.number, item.type, item.answer});
    Transaction unit(store);
    if (!unit.isOpen())
        return HandInOutcome::Failed;
    // Giving up the claim takes the write lock: a hand-in of the same paper
    // elsewhere has then either happened (no claim left) or waits for this one.
    if (!store.execute(QStringLiteral("delete from 答卷计时 where 考号=? and 场次=?"), {owner.number, owner.occasion}))
        return HandInOutcome::Failed;
    if (store.changes() == 0)
        return HandInOutcome::NotKept;
    RowSet graded = store.query(QStringLiteral("select count(*) from 评分 where 考号=? and 场次=?"),
                                {owner.number, owner.occasion});
    if (graded.failed())
        return HandInOutcome::Failed;
    if (graded.value(1).toInteger() > 0)
        return HandInOutcome::AlreadyGraded;
    graded.close();
    return insertAnswers(store, rows) &&
                   store.execute(QStringLiteral("delete from 答卷 where 考号=? and 场次=?"),
                                 {owner.number, owner.occasion}) &&
                   unit.commit()
               ? HandInOutcome::HandedIn
               : HandInOutcome::Failed;
}

} // namespace kaoshi
