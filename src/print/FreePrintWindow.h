#pragma once
// The print window "自由打印", opened by every list: the user ticks and
// orders the columns, sets the layout of the printout, and previews and
// prints it, or copies the columns into a spreadsheet workbook. The settings
// are kept per kind of list in a settings file of the program directory.
#include "print/ColumnChoice.h"
#include "print/PrintRequest.h"
#include "print/PrintSettings.h"

#include <QPointer>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace kaoshi {

struct AppContext;
class ListGrid;
class PreviewWindow;
class ReportPages;

class FreePrintWindow final : public QWidget
{
    Q_OBJECT
public:
    // Takes its caption from the hand-over, offers the list's columns and
    // loads the settings file. request: the hand-over's request, which a
    // later hand-over replaces while the window is open.
    FreePrintWindow(AppContext &context, const PrintRequest &request);

    // "复原": every column of the list but the first, in order, all ticked.
    void buildColumnList();
    void loadSettings();
    // The stored columns in their order; all columns when none is stored.
    void applyFieldList(const QString &fieldList);
    void moveUp();
    void moveDown();
    void tickAll(bool ticked);
    // ">>": the font dialog sets the title font box to "name,size".
    void chooseTitleFont();
    // Writes the settings (all of them when "保存配置" is ticked, else only
    // that flag). A file that could not be written while the settings were
    // to be kept is reported; false then.
    bool storeSettings();
    // "保存配置": keeps every setting and closes, unless the file could not be written.
    void saveAndClose();
    // "打印预览": stores the settings, builds the report and shows the preview;
    // the window hides meanwhile and closes when the preview is closed.
    void preview();
    // "导出excel": stores the settings, writes the ticked columns of every
    // row into a new workbook in the folder 导出 of the data folder, opens it
    // with the desktop's spreadsheet program and closes; a workbook that could
    // not be written is reported and the window stays.
    void exportWorkbook();

    ColumnList columnList() const;
    PrintSettings settingsShown() const;
    PreviewWindow *previewDialog() const;
    // The report its preview shows, while the preview is open.
    const ReportPages *reportShown() const;

signals:
    // The window was closed; a later hand-over opens a new one.
    void closedForGood();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildControls();
    void showColumnList(const ColumnList &columns, int cursorIndex = -1, int cursorColumn = 1);
    void showSettings(const PrintSettings &settings);
    QString settingsPath() const;
    bool listIsAvailable();
    // A workbook that no program opened: says where it is and offers its folder.
    void offerFolder(const QString &path);

    AppContext &m_context;
    const PrintRequest &m_request;
    ListGrid *m_columns = nullptr;
    QCheckBox *m_tickAll = nullptr;
    QCheckBox *m_keep = nullptr;
    QLineEdit *m_title = nullptr;
    QLineEdit *m_titleFont = nullptr;
    QComboBox *m_paper = nullptr;
    QComboBox *m_orientation = nullptr;
    QLineEdit *m_rowsPerPage = nullptr;
    std::array<QRadioButton *, 4> m_lineStyles{};
    QLineEdit *m_bodyFontSize = nullptr;
    QCheckBox *m_serial = nullptr;
    QLabel *m_progress = nullptr;
    QPointer<PreviewWindow> m_preview;
    const ReportPages *m_report = nullptr; // the rows' pages of the preview
};

} // namespace kaoshi
