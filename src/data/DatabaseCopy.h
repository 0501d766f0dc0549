#pragma once
// Moving a room's data between a database file and a database server: the
// four banks, the picture rows and their files, 配置, 评分 and the hand scores
// of 阅卷, copied as one unit of work on the receiving side, row for row in
// the order the source keeps them. The counts of both sides are compared before the unit is
// committed; when they differ nothing is kept.
#include "data/DataError.h"
#include "data/DataStore.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace kaoshi {

// One side of a copy. A file's pictures are files in the folder image of
// its program directory; a server keeps them in its table 图片文件
// (programDir empty).
struct CopySide {
    DataStore &store;
    QString programDir;
    bool keepsPictureFiles() const { return programDir.isEmpty(); }
};

struct CopyCount {
    QString table;
    qint64 source = 0;
    qint64 target = 0;
};

struct CopyResult {
    enum class Outcome { Done, TargetHoldsData, Stopped, Failed };
    Outcome outcome = Outcome::Failed;
    DataError error;           // why it failed
    QList<CopyCount> counts;   // per table, and the picture files
    QStringList missingPictures; // picture rows whose file the source does not have
};

// done and total count rows and picture files.
using CopyProgress = std::function<void(qint64 done, qint64 total)>;
// Asked after every step; true stops the copy, and nothing of it is kept.
using CopyStop = std::function<bool()>;

// Copies from into to. A target that already holds questions, pictures or
// answers is refused unless replace is set; then they are replaced. A picture
// file the target folder already holds is kept when its bytes are the same,
// and refuses the copy when they differ.
CopyResult copyDatabase(const CopySide &from, const CopySide &to, bool replace, const CopyProgress &progress = {},
                        const CopyStop &stop = {});

// The counts of both sides, one line per table: "单选：100 → 100".
QString copyCountsText(const CopyResult &result);

} // namespace kaoshi
