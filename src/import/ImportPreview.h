#pragma once
// The rows of a file as they will be stored, each with its bank and status:
// ready, already in the bank, or refused with the reason. A file of any
// length is counted whole, but only its first rows (and the unusable rows
// after them, up to a limit) are kept for showing, so that the preview of
// ten million rows takes the memory of a few thousand.
#include "data/BankTable.h"
#include "import/QuestionSource.h"

#include <array>
#include <vector>

namespace kaoshi {

enum class RowStatus { Ready, Duplicate, Refused };

struct PreviewRow {
    qint64 line = 0;
    QuestionValues values; // as stored: answer normalised, score a number
    RowStatus status = RowStatus::Refused;
    QString note; // the refusal, or a remark on a usable row ("分值为空，记为0")
    QString shownScore; // the score as stored, or as written when it is refused
    std::optional<QuestionType> type; // the bank it goes into; nothing for a paragraph that is no question
    QList<RawPicture> pictures; // those that will be stored, at most kMostPictures
};

// A question keeps at most this many pictures, as the editor offers.
inline constexpr int kMostPictures = 4;

// Checks a question read from the file: Ready or Refused. It goes into the
// bank a section heading of the file named, else into `chosen`. Whether the
// bank already holds it is for the caller to ask the database.
PreviewRow checkQuestion(QuestionType chosen, const RawQuestion &question);

class ImportPreview
{
public:
    explicit ImportPreview(QuestionType type) : m_type(type) {}

    // The bank chosen for rows that no heading places.
    QuestionType type() const { return m_type; }
    // Counts a checked row, and keeps it when it is to be shown.
    void add(PreviewRow row);
    // The rows kept for showing, in the file's order.
    const std::vector<PreviewRow> &rows() const { return m_rows; }
    // Every row of the file read so far.
    qint64 total() const { return m_total; }
    qint64 count(RowStatus status) const { return m_counts[size_t(status)]; }
    // The usable rows (ready or already present) of one bank.
    qint64 count(RowStatus status, QuestionType type) const;
    bool keptEveryRow() const { return qint64(m_rows.size()) == m_total; }
    // Two reads of a file that give the same counts.
    bool sameCounts(const ImportPreview &other) const
    {
        return m_counts == other.m_counts && m_usable == other.m_usable;
    }
    // The banks that "导入" would store into, in processing order.
    QList<QuestionType> banksToStore(bool includeDuplicates) const;

    // Why rows are refused: each reason once, in the order first met, with
    // its count and first line.
    struct Reason {
        QString text;
        qint64 count = 0;
        qint64 firstLine = 0;
    };
    const std::vector<Reason> &reasons() const { return m_reasons; }

    // The status column: "可导入", "题库中已有" or "不导入：…", with a remark.
    static QString statusText(const PreviewRow &row);
    // What "导入" stores: the ready rows, and those already in the bank too
    // when the user asks for them.
    static bool isStored(const PreviewRow &row, bool includeDuplicates)
    {
        return row.status == RowStatus::Ready || (includeDuplicates && row.status == RowStatus::Duplicate);
    }

    static constexpr size_t kFirstRows = 1000;     // rows shown from the start of the file
    static constexpr size_t kMoreUnusable = 1000;  // refused or present rows shown after them
    static constexpr size_t kMostReasons = 50;     // reasons told apart; the rest count as one

private:
    void countReason(const PreviewRow &row);

    QuestionType m_type;
    std::vector<PreviewRow> m_rows;
    qint64 m_total = 0;
    std::array<qint64, 3> m_counts{};
    // Ready and present rows per bank.
    std::array<std::array<qint64, 2>, kQuestionTypeCount> m_usable{};
    std::vector<Reason> m_reasons;
};

} // namespace kaoshi
