#pragma once
#include <QString>

namespace kaoshi {

// The program's version: the project version the build was configured with.
QString programVersion();

} // namespace kaoshi
