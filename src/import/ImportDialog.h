#pragma once
// "导入题库": reads a spreadsheet, CSV, numbered text file or Word document,
// shows every row as it will be stored with its status, and stores the ready
// rows in one unit of work, numbered after each bank's highest 题号 (a
// document's section headings may name any of the four banks).
#include "import/ImportPreview.h"

#include <QDialog>
#include <QPointer>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;
class QTableView;
class QTextEdit;
class QEventLoop;
class QTimer;

namespace kaoshi {

struct AppContext;
class BackgroundReader;
class BankTexts;
class ImportRun;
class PreviewModel;

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
    // "停止": stops reading; the rows read so far stay shown but cannot be
    // stored. During "导入" it stops the store, and nothing is stored.
    void stopReading();
    // "导入": reads the file again and stores the rows in one unit of work,
    // then closes the dialog, or says why nothing was stored. The dialog
    // answers meanwhile.
    void importRows();

    bool isReading() const;
    bool isStoring() const;
    const ImportPreview *currentPreview() const;
    Result result() const { return m_result; }

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    QuestionType bankType() const;
    void startReading(bool listSheets = false);
    void readSome();
    void storeSome();
    // Hands what the reading thread has read to the run for a slice of time;
    // false when reading ended (finish has then been called).
    bool passReadRows(ImportRun &run, const QString &doing, void (ImportDialog::*finish)(const QString &));
    void showSheets(const QStringList &sheets);
    void finishReading(const QString &error);
    void finishStoring(const QString &error);
    void setChoicesEnabled(bool enabled);
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
    std::unique_ptr<BackgroundReader> m_reading;
    std::unique_ptr<BankTexts> m_bankTexts;
    // The reading thread's end (its error, "" at the end of the file) once
    // it has said so, and how far it had read.
    std::optional<QString> m_readEnd;
    double m_readProgress = 0;
    std::unique_ptr<ImportRun> m_preview;
    std::unique_ptr<ImportRun> m_store;
    QPointer<QEventLoop> m_storeLoop;
    QString m_storeFailure;
    bool m_complete = false; // the whole file was read without a failure
    Result m_result;
};

} // namespace kaoshi
