#pragma once
// Storing the question of the editor: the question row and its pictures are
// replaced as one unit, so a failure leaves the old question as it was.
#include "bank/QuestionBank.h"
#include "bank/QuestionPictures.h"

#include <QList>
#include <functional>

namespace kaoshi {

class DataStore;

// Replaces question n of the bank and its picture records. For each picture
// row with a location, in order: the chosen file is copied there (a stored
// picture without a new source keeps its file), afterCopy runs, and the
// record is added. false: nothing was changed in the database.
bool saveEditedQuestion(DataStore &store, const QString &programDir, const QString &type, qint64 number,
                        const QuestionValues &values, const QList<PictureRow> &pictures,
                        const std::function<void()> &afterCopy);

} // namespace kaoshi
