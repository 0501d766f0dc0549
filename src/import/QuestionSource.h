#pragma once
// A file being read for import, one question at a time. Every reader (.xlsx,
// .xls, .csv and numbered text) turns its file into these raw questions; the
// preview then checks and normalises them for the chosen bank.
#include <QString>
#include <QStringList>
#include "data/QuestionType.h"
#include <atomic>
#include <memory>
#include <optional>

namespace kaoshi {

// A picture of a question in a Word document: the part of the package that
// holds it, its description, and why it cannot be taken ("" when it can).
struct RawPicture {
    QString entry;     // "word/media/image1.png"
    QString extension; // ".png", from the picture's own bytes
    QString summary;
    QString problem;
};

// One question as the file gives it: every value as text, nothing checked yet.
struct RawQuestion {
    qint64 line = 0; // the row, line or paragraph where it starts (1-based)
    QString text;    // 题目 with its options joined in as "A.…B.…"
    QString answer;
    QString explanation;
    QString score;
    QString chapter;
    // The bank a section heading of the document put it in; nothing for the
    // bank the user chose.
    std::optional<QuestionType> type;
    QList<RawPicture> pictures; // in document order
    // A paragraph that is no part of any question: `text` holds it and this
    // says why it was not placed.
    QString unplaced;
};

class QuestionSource
{
public:
    virtual ~QuestionSource() = default;
    // The next question; false at the end of the file or when reading failed
    // (then error() says why, and nothing of the file may be stored).
    virtual bool next(RawQuestion &question) = 0;
    virtual QString error() const = 0;
    // How far reading has got, 0 … 1.
    virtual double progress() const = 0;
};

// The first bytes of a workbook, which tell its format; nothing (and the
// reason in error) when the file cannot be read or is empty.
std::optional<QByteArray> fileSignature(const QString &path, QString *error);
// A ZIP archive (.xlsx) and a compound file (.xls, or an encrypted workbook).
bool isZipSignature(const QByteArray &head);
bool isCompoundFileSignature(const QByteArray &head);

// Rows of cells of a sheet or a CSV file, read in order.
class TableReader
{
public:
    virtual ~TableReader() = default;
    // The next row; false at the end or on failure (error() is then set).
    // `row` is the 1-based row number in the file.
    virtual bool nextRow(QStringList &cells, qint64 &row) = 0;
    virtual QString error() const = 0;
    virtual double progress() const = 0;
};

// Reading on a worker thread can be stopped: while a StopWhen lives on a
// thread, the long loops of the readers on that thread (blank rows, a
// workbook's texts and merges, the check of a text file's encoding) ask
// readingStopped() and give up with kStoppedReading as their error.
class StopWhen
{
public:
    explicit StopWhen(const std::atomic<bool> &flag);
    ~StopWhen();
    StopWhen(const StopWhen &) = delete;
    StopWhen &operator=(const StopWhen &) = delete;
};
bool readingStopped();
inline const QString kStoppedReading = QStringLiteral("已停止读取");

// The most a single row or question may hold, and the most that a workbook
// may unpack to: larger ones are refused as damaged or hostile files.
inline constexpr qint64 kMostRowBytes = 1024 * 1024;
inline constexpr qint64 kMostUnpackedBytes = qint64(1024) * 1024 * 1024;

struct OpenedSource {
    std::unique_ptr<QuestionSource> source;
    QString error; // why the file cannot be read; "" when source is set
};

// The worksheets of a workbook (.xlsx or .xls) in their order; empty for
// other files. On failure `error` says why.
QStringList worksheetNames(const QString &path, QString *error = nullptr);

// Opens a file by its extension: .xlsx, .xls, .csv, .txt or .docx. `sheet` picks the
// worksheet of a workbook (0: the first).
OpenedSource openQuestionSource(const QString &path, int sheet = 0);

} // namespace kaoshi
