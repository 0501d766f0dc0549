#pragma once
// "导入题库": reads a spreadsheet, CSV, numbered text file or Word document,
// shows every row as it will be stored with its status, and stores the ready
// rows in one unit of work, numbered after each bank's highest 题号 (a
// document's section headings may name any of the four banks).
#include "import/ImportPreview.h"

#include <QDialog>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTableView;
class QTextEdit;
class QTimer;

namespace kaoshi {

struct AppContext;
class PreviewModel;
class QuestionSource;

class ImportDialog final : public QDialog
{
    Q_OBJECT
public:
    ImportDialog(AppContext &context, QuestionType type, QWidget *parent = nullptr);
    ~ImportDialog() override;

    // Opens the dialog modal; the bank stored into and how many questions,
    // or no type when nothing was stored.
    struct Result {
        std::optional<QuestionType> type;
        qint64 stored = 0;
    };
    static Result run(AppContext &context, QuestionType type, QWidget *parent);

    // "选择文件…": asks for a file and previews it.
    void chooseFile();
    // Previews a file (also after the bank or the worksheet changes).
    void preview(const QString &path);
    // "停止": stops reading; the rows read so far stay shown but cannot be stored.
    void stopReading();
    // "导入": stores the rows and closes the dialog, or says why nothing was stored.
    void importRows();

    bool isReading() const;
    const ImportPreview *currentPreview() const { return m_preview.get(); }
    Result result() const { return m_result; }

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    QuestionType bankType() const;
    void startReading();
    void readSome();
    void finishReading(const QString &error);
    void showSummary();
    void showCurrentQuestion();
    void updateButtons();

    AppContext &m_context;
    QComboBox *m_bank;
    QPushButton *m_choose;
    QLineEdit *m_file;
    QLabel *m_sheetLabel;
    QComboBox *m_sheet;
    QCheckBox *m_duplicates;
    QTableView *m_table;
    QTextEdit *m_question;
    QLabel *m_summary;
    QStatusBar *m_status;
    QLabel *m_progress;
    QPushButton *m_import;
    QPushButton *m_stop;
    QPushButton *m_cancel;
    PreviewModel *m_model;
    QTimer *m_reader;

    QString m_path;
    std::unique_ptr<QuestionSource> m_source;
    std::unique_ptr<ImportPreview> m_preview;
    bool m_complete = false; // the whole file was read without a failure
    Result m_result;
};

} // namespace kaoshi
