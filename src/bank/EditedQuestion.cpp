#include "bank/EditedQuestion.h"

#include "bank/PictureFiles.h"
#include "data/DataStore.h"
#include "data/PictureFileTable.h"

namespace kaoshi {

bool saveEditedQuestion(DataStore &store, const QString &programDir, QuestionType type, qint64 rowId,
                        const FieldValue &number, const QuestionValues &values, const QList<PictureRow> &pictures,
                        const std::function<void()> &afterCopy)
{
    Transaction unit(store);
    if (!unit.isOpen())
        return false;
    const bool stored = rowId > 0 ? bank::updateQuestion(store, type, rowId, values)
                                  : number.type() == FieldValue::Type::Integer &&
                                        bank::insertQuestions(store, type, number.toInteger(), {&values, 1});
    if (!stored) {
        if (!store.lastError().isError())
            store.noteFailure(rowId > 0 ? QStringLiteral("这道题已不在题库中") : QStringLiteral("题号无效"));
        return false;
    }
    if (!pictures::removeOfQuestion(store, type, number))
        return false;
    // The chosen files wait beside their places until the database has
    // committed, so a refused save leaves the old question's pictures as well.
    const std::unique_ptr<PictureFiles> files = pictureFilesFor(store, programDir);
    PictureWrites writes(*files);
    for (const PictureRow &row : pictures) {
        if (row.location.isEmpty())
            continue;
        if (!writes.putFile(row.location, row.source))
            return false;
        if (afterCopy)
            afterCopy();
        if (!pictures::insert(store, type, number, {{row.summary, row.location}}))
            return false;
    }
    // A picture this question no longer shows is kept no longer, unless
    // another question shows it.
    if (!pictureFiles::dropUnused(store) || !unit.commit())
        return false;
    writes.placeAll();
    return true;
}

} // namespace kaoshi
