#pragma once
// What the database engine said when something failed.
#include <QString>

namespace kaoshi {

struct DataError {
    int code = 0;     // the engine's result code; 0 when nothing failed
    QString message;  // the engine's own words

    bool isError() const { return code != 0; }
};

} // namespace kaoshi
