#pragma once
// The bank list "题库": the questions of the current bank in a grid, where
// new questions are typed into blank rows and stored, the bank is searched or
// emptied, and a row opens the question editor.
#include "bank/QuestionBank.h"
#include "ui/GridSizing.h"
#include "ui/TaskWindow.h"


class QAction;
class QLineEdit;
class QToolBar;

namespace kaoshi {

struct AppContext;
class ListGrid;

class BankWindow final : public TaskWindow
{
    Q_OBJECT
public:
    BankWindow(AppContext &context, QuestionType type, QWidget *host);

    QuestionType questionType() const { return m_type; }
    ListGrid *grid() const { return m_grid; }

    // Toolbar "添加", "保存", "导出", "导出Word", "导入", "清空", "搜索".
    void addRows();
    void saveNewRows();
    void exportList();
    // Toolbar "导出Word": the listed questions (the whole bank, or the search
    // result) as a Word document in the folder 导出.
    void exportWord();
    // Toolbar "导入": the import dialog for this bank; the list then shows what was stored.
    void importQuestions();
    void clearBank();
    void search();
    // Lists the questions of the bank, or those containing the search text.
    void listQuestions(const QString &searchText);
    // Double-click on a data row.
    void openEditor();

protected:
    QString mainCaption() const override;
    bool startTask() override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void onToolbarAction(QAction *action);
    void setUpGrid();
    void removeBlankRows();
    QuestionTexts rowTexts(int row) const;
    void showSavedQuestion(int row, const QuestionTexts &question);
    void dropDeletedQuestion(int deletedRow, qint64 number);

    QuestionType m_type;
    QString m_listedSearch; // the search text of the questions listed
    QToolBar *m_toolbar;
    QLineEdit *m_searchBox;
    ListGrid *m_grid;
    // One width proportion per column, captured when the grid is set up.
    ColumnProportions m_proportions;
};

} // namespace kaoshi
