#pragma once
// What a menu item or navigation item asks of the window it opens.
#include <QString>

namespace kaoshi {

struct TaskRequest {
    QString questionType; // the bank a bank list shows
    QString chapter;      // the chapter a chapter item chose
};

} // namespace kaoshi
