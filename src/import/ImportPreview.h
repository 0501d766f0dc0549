#pragma once
// The rows of a file as they will be stored in one bank, each with its
// status: ready, already in the bank, or refused with the reason.
#include "data/BankTable.h"
#include "import/ImportStore.h"
#include "import/QuestionSource.h"

#include <QSet>
#include <functional>
#include <vector>

namespace kaoshi {

enum class RowStatus { Ready, Duplicate, Refused };

struct PreviewRow {
    qint64 line = 0;
    QuestionValues values; // as stored: answer normalised, score a number
    RowStatus status = RowStatus::Ready;
    QString note; // the refusal, or a remark on a usable row ("分值为空，记为0")
    QString shownScore; // the score as stored, or as written when it is refused
    std::optional<QuestionType> type; // the bank it goes into; nothing for a paragraph that is no question
    QList<RawPicture> pictures; // those that will be stored, at most kMostPictures
};

// A question keeps at most this many pictures, as the editor offers.
inline constexpr int kMostPictures = 4;

class ImportPreview
{
public:
    // existingTexts: the trimmed 题目 of the questions already in the bank.
    ImportPreview(QuestionType type, QSet<QString> existingTexts);

    QuestionType type() const { return m_type; }
    // How the texts of another bank are read when a section heading of the
    // file names it; nothing: that bank cannot be read, and its rows are refused.
    using BankTexts = std::function<std::optional<QSet<QString>>(QuestionType type)>;
    void setOtherBanks(BankTexts read) { m_readOther = std::move(read); }
    // Checks a question read from the file and appends its row.
    const PreviewRow &add(const RawQuestion &question);
    const std::vector<PreviewRow> &rows() const { return m_rows; }
    int count(RowStatus status) const { return m_counts[size_t(status)]; }

    // What "导入" stores: the ready rows, and those already in the bank too
    // when the user asks for them; questionsToStore gives those of the
    // preview's own bank, importBatch those of every bank with their pictures.
    std::vector<QuestionValues> questionsToStore(bool includeDuplicates) const;
    std::vector<ImportedQuestion> importBatch(bool includeDuplicates) const;

    // The status column: "可导入", "题库中已有" or "不导入：…", with a remark.
    static QString statusText(const PreviewRow &row);

private:
    const QSet<QString> *existingTexts(QuestionType type);
    static bool isStored(const PreviewRow &row, bool includeDuplicates);

    QuestionType m_type;
    // Per bank: not read yet, or read (nothing when it could not be).
    std::array<std::optional<std::optional<QSet<QString>>>, kQuestionTypeCount> m_existing;
    BankTexts m_readOther;
    std::vector<PreviewRow> m_rows;
    std::array<int, 3> m_counts{};
};

} // namespace kaoshi
