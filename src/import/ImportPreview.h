#pragma once
// The rows of a file as they will be stored in one bank, each with its
// status: ready, already in the bank, or refused with the reason.
#include "data/BankTable.h"
#include "import/QuestionSource.h"

#include <QSet>
#include <vector>

namespace kaoshi {

enum class RowStatus { Ready, Duplicate, Refused };

struct PreviewRow {
    qint64 line = 0;
    QuestionValues values; // as stored: answer normalised, score a number
    RowStatus status = RowStatus::Ready;
    QString note; // the refusal, or a remark on a usable row ("分值为空，记为0")
    QString shownScore; // the score as stored, or as written when it is refused
};

class ImportPreview
{
public:
    // existingTexts: the trimmed 题目 of the questions already in the bank.
    ImportPreview(QuestionType type, QSet<QString> existingTexts);

    QuestionType type() const { return m_type; }
    // Checks a question read from the file and appends its row.
    const PreviewRow &add(const RawQuestion &question);
    const std::vector<PreviewRow> &rows() const { return m_rows; }
    int count(RowStatus status) const { return m_counts[size_t(status)]; }

    // What "导入" stores: the ready rows, and those already in the bank too
    // when the user asks for them.
    std::vector<QuestionValues> questionsToStore(bool includeDuplicates) const;

    // The status column: "可导入", "题库中已有" or "不导入：…", with a remark.
    static QString statusText(const PreviewRow &row);

private:
    QuestionType m_type;
    QSet<QString> m_existing;
    std::vector<PreviewRow> m_rows;
    std::array<int, 3> m_counts{};
};

} // namespace kaoshi
