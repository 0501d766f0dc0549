#pragma once
// Opening a ZIP package (.xlsx, .docx) for reading under the limits that
// keep a damaged or hostile file from exhausting memory: every entry
// together may not unpack to more than kMostUnpackedBytes, and encrypted
// entries are refused.
#include <QString>

struct zip;

namespace kaoshi {

// The package, or nullptr with the reason in `error`; `kind` names the file
// in the messages ("工作簿", "Word文档").
zip *openLimitedZip(const QString &path, const QString &kind, QString *error);

// "<kind>已损坏，无法读取"
QString damagedMessage(const QString &kind);

} // namespace kaoshi
