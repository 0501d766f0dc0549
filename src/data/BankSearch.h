#pragma once
// A search through one bank that runs a slice at a time, so that the window
// stays responsive and shows the first matches at once while the rest are
// found; it can be stopped between any two slices. The bank is read in list
// order (rows without a 题号 first, then by 题号), so the matches come in the
// order they are listed. Numbers that two rows carry are noticed on the way.
#include "data/BankTable.h"

#include <QElapsedTimer>
#include <QSet>
#include <optional>
#include <vector>

namespace kaoshi {

class BankSearch
{
public:
    // An empty text matches every row.
    BankSearch(DataStore &store, QuestionType type, QString text);

    // Reads on for about `budget` milliseconds (at least one slice), and
    // until `enough` matches are found in all when that is given. false when
    // the bank could not be read (the store's last error says why).
    bool advance(qint64 budgetMs, qint64 enough = -1);
    bool finished() const { return m_finished; }

    // The row identities found since the last call, in list order.
    std::vector<qint64> takeMatches();
    qint64 matchCount() const { return m_matchCount; }
    // The 题号 texts met twice so far.
    const QSet<QString> &duplicateNumbers() const { return m_duplicates; }

private:
    // The rows read; nothing on failure.
    std::optional<qint64> scanSlice();

    DataStore &m_store;
    QuestionType m_type;
    QString m_text;
    bool m_numbered = false; // the rows without a 题号 come first
    std::optional<ListPosition> m_position;
    qint64 m_slice;
    bool m_finished = false;
    std::vector<qint64> m_found;
    qint64 m_matchCount = 0;
    QSet<QString> m_duplicates;
};

} // namespace kaoshi
