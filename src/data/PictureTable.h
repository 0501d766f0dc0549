#pragma once
// The statements of table 图片: the pictures of a question, found by 题型 and
// 题号, and the check whether a stored file is used elsewhere.
#include "data/DataStore.h"
#include "data/PaperParts.h"
#include "data/QuestionType.h"

#include <QList>
#include <QString>
#include <optional>

namespace kaoshi {

struct PictureRecord {
    QString summary;  // 摘要
    QString location; // 图片, "\image\…"
};

namespace pictures {

// The picture rows of one question, in the order they were stored.
std::optional<QList<PictureRecord>> load(DataStore &store, QuestionType type, const FieldValue &number);
// The picture rows of a paper's questions, every bank in one statement:
// bank by bank, each question's rows in the order they were stored.
struct PartPicture {
    QuestionType type = QuestionType::SingleChoice;
    qint64 number = 0; // 题号
    PictureRecord picture;
};
std::optional<std::vector<PartPicture>> loadOfParts(DataStore &store, const PartNumbers &parts);
bool insert(DataStore &store, QuestionType type, const FieldValue &number, const QList<PictureRecord> &records);
bool removeOfQuestion(DataStore &store, QuestionType type, const FieldValue &number);
bool removeOfBank(DataStore &store, QuestionType type);
// Every picture row of the bank numbered above n moves down by one.
bool closeGapAfter(DataStore &store, QuestionType type, qint64 number);
// How many rows name this location, apart from those of the given question
// (without one, every row counts). Nothing when the table cannot be read.
struct QuestionRef {
    QuestionType type;
    FieldValue number;
};
std::optional<qint64> usesOfLocation(DataStore &store, const QString &location,
                                     const std::optional<QuestionRef> &except = std::nullopt);

} // namespace pictures
} // namespace kaoshi
