#include "app/DatabaseMaintenance.h"

#include "data/DataStore.h"
#include "data/Schema.h"
#include "data/SqlText.h"

namespace kaoshi {

void clearAllBanks(DataStore &store)
{
    for (const QString &type : questionTypes()) {
        RecordCursor cursor = store.openCursor(type, CursorKind::Table);
        cursor.deleteAll();
        cursor.close();
        // Without this a later question with the same number would show the
        // deleted question's pictures.
        store.execute("delete * from 图片 where 题型='" + sqlText(type) + "'");
    }
}

} // namespace kaoshi
