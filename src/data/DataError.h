#pragma once
// What the database engine said when something failed.
#include <QString>

namespace kaoshi {

struct DataError {
    DataError() = default;
    DataError(int code, QString message, QString state = {})
        : code(code), message(std::move(message)), state(std::move(state))
    {
    }

    int code = 0;     // the engine's result code; 0 when nothing failed
    QString message;  // the engine's own words
    QString state;    // a database server's SQLSTATE ("40001"); empty for a file

    bool isError() const { return code != 0; }
};

} // namespace kaoshi
