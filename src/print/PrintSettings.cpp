#include "print/PrintSettings.h"

#include "data/TextRules.h"
#include "print/IniFile.h"

namespace kaoshi {

namespace {

const QString kTrue = QStringLiteral("真");
const QString kFalse = QStringLiteral("假");

// An item index read from the file: its leading number, 0 when that names no item.
int itemIndex(const QString &text, int count)
{
    // Compared as a number first: a huge value does not fit an int.
    const double number = textToNumber(text);
    return number >= 0 && number < count ? int(number) : 0;
}

QString flag(bool on) { return on ? kTrue : kFalse; }

} // namespace

PrintSettings readPrintSettings(const QString &path, QString *problem)
{
    const IniFile file(path);
    if (problem)
        *problem = file.readProblem();
    const auto read = [&](const QString &key, const QString &fallback) {
        return file.value(kPrintSettingsSection, key, fallback);
    };
    PrintSettings s;
    s.title = read(QStringLiteral("标题"), QString());
    s.titleFont = read(QStringLiteral("字体"), QStringLiteral("黑体,22"));
    s.paper = itemIndex(read(QStringLiteral("纸型"), QStringLiteral(" 1")), kPaperCount);
    s.orientation = itemIndex(read(QStringLiteral("打印方向"), QStringLiteral("1")), kOrientationCount);
    s.rowsPerPage = read(QStringLiteral("行数"), QString());
    const QString lineStyle = read(QStringLiteral("线型"), QStringLiteral("1"));
    s.lineStyle = 1;
    for (int style = 1; style <= kLineStyleCount; ++style)
        if (lineStyle == QString::number(style))
            s.lineStyle = style;
    s.bodyFontSize = read(QStringLiteral("字体大小"), QString());
    s.serialColumn = read(QStringLiteral("是否序号"), kFalse) == kTrue;
    s.keep = read(QStringLiteral("保存配置"), kFalse) == kTrue;
    s.fieldList = read(QStringLiteral("打印字段"), QString());
    return s;
}

bool storePrintSettings(const QString &path, const PrintSettings &s, QString *error)
{
    IniFile file(path);
    const auto write = [&](const QString &key, const QString &value) {
        file.setValue(kPrintSettingsSection, key, value);
    };
    if (s.keep) {
        write(QStringLiteral("标题"), trimSpaces(s.title));
        write(QStringLiteral("打印字段"), s.fieldList);
        write(QStringLiteral("字体"), trimSpaces(s.titleFont));
        write(QStringLiteral("纸型"), QString::number(s.paper));
        write(QStringLiteral("打印方向"), QString::number(s.orientation));
        write(QStringLiteral("行数"), trimSpaces(s.rowsPerPage));
        write(QStringLiteral("线型"), QString::number(s.lineStyle));
        write(QStringLiteral("字体大小"), trimSpaces(s.bodyFontSize));
        write(QStringLiteral("是否序号"), flag(s.serialColumn));
    }
    write(QStringLiteral("保存配置"), flag(s.keep));
    return file.save(error);
}

} // namespace kaoshi
