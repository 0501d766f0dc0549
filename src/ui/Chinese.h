#pragma once
class QApplication;

namespace kaoshi {

// Loads Qt's own zh_CN translations (standard buttons "确定"/"取消", the file,
// font and print-preview dialogs), maps the faces 宋体 and 黑体 onto the Noto
// CJK faces and sets a CJK font for the whole program.
void installChinese(QApplication &app);

} // namespace kaoshi
