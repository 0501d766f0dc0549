#pragma once
// The rows of a list as a list grid shows them: a count known at once and
// the cells of any row, read when asked for. A listing of a million rows
// costs only what is on screen.
#include <QStringList>
#include <QtGlobal>

namespace kaoshi {

class RowSource
{
public:
    virtual ~RowSource() = default;
    virtual qint64 size() const = 0;
    // The cells of row index (0-based); empty cells when it cannot be read.
    virtual QStringList cells(qint64 index) = 0;
    // The identity of the stored row behind row index; 0 when there is none.
    virtual qint64 rowId(qint64 index) const = 0;
    // Row index stands out (its 题号 is carried by another row too).
    virtual bool marked(qint64) const { return false; }
    virtual void remove(qint64 index) = 0;
    virtual void truncate(qint64 size) = 0;
    // Forgets cells read so far: the next read sees the stored rows as they are now.
    virtual void forget() = 0;
};

} // namespace kaoshi
