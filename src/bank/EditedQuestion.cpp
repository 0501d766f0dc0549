#include "bank/EditedQuestion.h"

#include "data/DataStore.h"
#include "data/SqlText.h"

namespace kaoshi {

bool saveEditedQuestion(DataStore &store, const QString &programDir, const QString &type, qint64 number,
                        const QuestionValues &values, const QList<PictureRow> &pictures,
                        const std::function<void()> &afterCopy)
{
    const QString n = sqlNumber(number);
    DataStore::Transaction unit(store);
    if (!store.execute(QStringLiteral("delete * from ") + type + QStringLiteral(" where 题号=") + n) ||
        !store.execute(QStringLiteral("delete * from 图片 where 题型='") + sqlText(type) +
                       QStringLiteral("' and 题号=") + n))
        return false;
    RecordCursor bank = store.openCursor(type, CursorKind::Table);
    if (!insertQuestion(bank, number, values))
        return false;
    bank.close();
    for (const PictureRow &row : pictures) {
        if (row.location.isEmpty())
            continue;
        copyPicture(programDir, row.source, row.location);
        if (afterCopy)
            afterCopy();
        if (!insertPictures(store, type, number, {{row.summary, row.location}}))
            return false;
    }
    return unit.commit();
}

} // namespace kaoshi
