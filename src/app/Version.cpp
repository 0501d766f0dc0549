#include "app/Version.h"

namespace kaoshi {

QString programVersion() { return QStringLiteral(KAOSHI_VERSION); }

} // namespace kaoshi
