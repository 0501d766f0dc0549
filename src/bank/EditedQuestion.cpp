#include "bank/EditedQuestion.h"

#include "data/DataStore.h"

#include <QFile>
#include <QScopeGuard>

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
        const std::optional<QString> file = stagePicture(programDir, row.source, row.location);
        if (!file) {
            store.noteFailure(QStringLiteral("图片“%1”没能复制到 %2").arg(row.source, row.location));
            return false;
        }
        if (!file->isEmpty())
            staged.append({*file, row.location});
        if (afterCopy)
            afterCopy();
        if (!pictures::insert(store, type, number, {{row.summary, row.location}}))
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
