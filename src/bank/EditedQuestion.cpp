#include "bank/EditedQuestion.h"

#include "data/DataStore.h"
#include "data/SqlText.h"

#include <QFile>
#include <QScopeGuard>

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
    // The copied files wait beside their places until the database has
    // committed, so a refused save leaves the old question's pictures as well.
    QList<QPair<QString, QString>> staged; // staged file, location
    const auto discardStaged = qScopeGuard([&staged] {
        for (const auto &file : staged)
            QFile::remove(file.first);
    });
    for (const PictureRow &row : pictures) {
        if (row.location.isEmpty())
            continue;
        if (const QString file = stagePicture(programDir, row.source, row.location); !file.isEmpty())
            staged.append({file, row.location});
        if (afterCopy)
            afterCopy();
        if (!insertPictures(store, type, number, {{row.summary, row.location}}))
            return false;
    }
    if (!unit.commit())
        return false;
    for (const auto &file : staged)
        placeStagedPicture(file.first, programDir, file.second);
    staged.clear();
    return true;
}

} // namespace kaoshi
