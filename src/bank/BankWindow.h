#pragma once
// The bank list "题库": the questions of the current bank in a grid, where
// new questions are typed into blank rows and stored, the bank is searched or
// emptied, and a row opens the question editor.
#include "bank/QuestionBank.h"
#include "ui/GridSizing.h"
#include "ui/TaskWindow.h"

#include <memory>


class QAction;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolBar;

namespace kaoshi {

struct AppContext;
class BankSearch;
class KeyedRows;
class ListGrid;

class BankWindow final : public TaskWindow
{
    Q_OBJECT
public:
    BankWindow(AppContext &context, QuestionType type, QWidget *host);
    ~BankWindow() override;

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
    // Lists the questions of the bank, or those containing the search text:
    // the first matches at once, the rest as they are found.
    void listQuestions(const QString &searchText);
    // 停止 (or Esc) while a search runs: the matches found so far stay listed.
    void stopSearch();
    bool isSearching() const { return m_search != nullptr; }
    // Double-click on a data row.
    void openEditor();

protected:
    QString mainCaption() const override;
    bool startTask() override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void onToolbarAction(QAction *action);
    void setUpGrid();
    void removeBlankRows();
    QuestionTexts rowTexts(int row) const;
    void showSavedQuestion(int row, const QuestionTexts &question);
    void dropDeletedQuestion(int deletedRow, qint64 number);
    void startSearch(const QString &searchText);
    void searchOn();
    // One more stretch of the search; false when the bank could not be read (said with 失败).
    bool advanceSearch(qint64 budgetMs, qint64 enough);
    // Shows what the search found since the last time.
    void showFound();
    void endSearch(const QString &note);
    // What the search found, beside 停止; hidden when there is nothing to say.
    void setSearchNote(const QString &note);

    QuestionType m_type;
    QString m_listedSearch; // the search text of the questions listed
    QToolBar *m_toolbar;
    QLineEdit *m_searchBox;
    QPushButton *m_stopButton;
    QLabel *m_searchNote;
    QTimer *m_searchTimer;
    ListGrid *m_grid;
    std::unique_ptr<BankSearch> m_search;
    std::shared_ptr<KeyedRows> m_found;
    // One width proportion per column, captured when the grid is set up.
    ColumnProportions m_proportions;
};

} // namespace kaoshi
