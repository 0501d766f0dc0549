#pragma once
// The seat's own copy of a paper's answers: a file per paper (考号, 场次) in
// the data folder, appended to and flushed to the disk before the database
// is asked, so that an answer survives a lost server and a switched-off
// seat. It is emptied only once the database has committed all it held.
//
// One line per entry, UTF-8, fields separated by tabs, \ \t \n \r escaped:
//   A<tab>position<tab>answer   an answer at a position of the paper (0-based)
//   H<tab>why                   a hand-in queued while the server was gone
// A last line without its line end was cut short by a crash and is ignored.
// Positions are the 序号 of the paper's rows.
//
// Beside it, in a file of its own, the claim of the sign-in its lines were
// written under: lines of an older claim never reach the paper again.
#include "data/PaperTable.h"

#include <QFile>
#include <QString>
#include <optional>
#include <vector>

namespace kaoshi {

// The folder of the journals inside the data folder.
inline const QString kSeatJournalFolder = QStringLiteral("答卷日志");

struct JournalAnswer {
    int position = 0;
    QString answer;
    bool operator==(const JournalAnswer &) const = default;
};

struct JournalContents {
    std::vector<JournalAnswer> answers;  // in the order given
    std::optional<QString> handIn;       // why, when a hand-in is queued
    bool failed = false;                 // the file is there but could not be read
    bool isEmpty() const { return answers.empty() && !handIn; }
};

class SeatJournal
{
public:
    // dataDir: the program's data folder; the journal goes into its
    // kSeatJournalFolder.
    SeatJournal(const QString &dataDir, const PaperOwner &owner);
    ~SeatJournal();
    SeatJournal(const SeatJournal &) = delete;
    SeatJournal &operator=(const SeatJournal &) = delete;

    QString path() const { return m_path; }
    // Each appends one line and flushes it to the disk; false (with error())
    // when the line is not written.
    bool append(int position, const QString &answer);
    bool queueHandIn(const QString &why);
    JournalContents read() const;
    // Removes what the journal held; only once the database committed it.
    bool clear();
    // Keeps a journal that the database can no longer take (the paper was
    // handed in elsewhere) beside the others under a name of its own, so
    // that nothing the candidate answered is ever deleted.
    bool setAside();
    // Where the last setAside put the journal ("" before any).
    QString asidePath() const { return m_asidePath; }
    // The claim the lines are written under ("" when none is kept), and
    // keeping a new one (on the disk before it returns; false with error()
    // when not).
    QString claim() const;
    bool keepClaim(const QString &claim);
    QString claimPath() const { return m_path + QStringLiteral(".凭据"); }
    QString error() const { return m_error; }

    // The escaping of a field, and back.
    static QString escaped(const QString &text);
    static std::optional<QString> unescaped(const QString &text);

private:
    bool writeLine(const QString &line);
    void dropCutLine();

    QString m_path;
    QString m_asidePath;
    QFile m_file;
    QString m_error;
};

} // namespace kaoshi
