#pragma once
// Storing the question of the editor: the question row and its pictures are
// replaced as one unit, so a failure leaves the old question as it was.
#include "bank/QuestionBank.h"
#include "bank/QuestionPictures.h"

#include <QList>
#include <functional>

namespace kaoshi {

class DataStore;

// Stores the question of the editor. rowId names the stored row the editor
// was opened on; its 题号 (number) stays. With rowId 0 a new question is added
// with that number. For each picture row with a location, in order: the chosen
// file is copied beside its place (a stored picture without a new source keeps
// its file), afterCopy runs, and the record is added; the copies take their
// places once the database has committed. false: nothing was changed, and the
// store's lastError() tells why.
bool saveEditedQuestion(DataStore &store, const QString &programDir, QuestionType type, qint64 rowId,
                        const FieldValue &number, const QuestionValues &values, const QList<PictureRow> &pictures,
                        const std::function<void()> &afterCopy);

} // namespace kaoshi
