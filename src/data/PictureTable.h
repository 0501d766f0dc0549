#pragma once
// The statements of table 图片: the pictures of a question, found by 题型 and
// 题号, and the check whether a stored file is used elsewhere.
#include "data/DataStore.h"

#include <QList>
#include <QString>

namespace kaoshi {

struct PictureRecord {
    QString summary;  // 摘要
    QString location; // 图片, "\image\…"
};

namespace pictures {

// A scrollable cursor over the picture rows of one question.
RecordCursor ofQuestion(DataStore &store, const QString &type, const FieldValue &number);
std::optional<QList<PictureRecord>> load(DataStore &store, const QString &type, const FieldValue &number);
bool insert(DataStore &store, const QString &type, const FieldValue &number, const QList<PictureRecord> &records);
bool removeOfQuestion(DataStore &store, const QString &type, const FieldValue &number);
bool removeOfBank(DataStore &store, const QString &type);
// Every picture row of the bank numbered above n moves down by one.
bool closeGapAfter(DataStore &store, const QString &type, qint64 number);
// How many rows name this location, apart from those of the given question
// (type "" counts every row). Nothing when the table cannot be read.
std::optional<qint64> usesOfLocation(DataStore &store, const QString &location, const QString &exceptType = {},
                                     const FieldValue &exceptNumber = {});

} // namespace pictures
} // namespace kaoshi
