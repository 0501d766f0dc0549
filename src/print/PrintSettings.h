#pragma once
// The layout settings of the print window and the column choice, kept per
// kind of list in a settings file of the program directory ("题库.ini",
// "错题.ini"), section "高级表格打印".
#include <QString>

namespace kaoshi {

inline const QString kPrintSettingsSection = QStringLiteral("高级表格打印");

struct PrintSettings {
    QString title;                                   // 标题
    QString fieldList;                               // 打印字段: ticked columns in order, "5,1,2"
    QString titleFont = QStringLiteral("黑体,22");   // 字体: name and size joined by ","
    int paper = 1;                                   // 纸型: index in the paper list, 0 … 7
    int orientation = 1;                             // 打印方向: 0 portrait, 1 landscape
    QString rowsPerPage;                             // 行数: may be empty
    int lineStyle = 1;                               // 线型: 1 … 4
    QString bodyFontSize;                            // 字体大小: may be empty
    bool serialColumn = false;                       // 是否序号
    bool keep = false;                               // 保存配置: whether the settings are written
    bool operator==(const PrintSettings &) const = default;
};

inline constexpr int kPaperCount = 8;
inline constexpr int kOrientationCount = 2;
inline constexpr int kLineStyleCount = 4;

// Reads the settings; a missing file or key gives the defaults above. A
// paper or orientation that is not a number, or names no item, reads as 0; a
// line style other than "1" … "4" reads as 1. A file that exists but cannot
// be read faithfully gives the defaults, with the reason in *problem.
PrintSettings readPrintSettings(const QString &path, QString *problem = nullptr);

// With settings.keep, writes every key (texts trimmed) and 保存配置=真;
// without it, only 保存配置=假, leaving the other keys as the file holds them.
// Other sections and keys of the file stay. false, with the reason in
// *error, when the file could not be written.
bool storePrintSettings(const QString &path, const PrintSettings &settings, QString *error = nullptr);

} // namespace kaoshi
