#pragma once
// "打印试卷": a paper exam made from the banks — title, 场次, the counts per
// bank (from 配置, changed here for this paper only), how many variants,
// their question and option order, and what to print: paper, answer sheet,
// key or a teacher's copy. Every variant made is stored before anything is
// shown, so its key can be printed again; stored runs can be printed again
// from here.
#include "exam/PrintedPaper.h"
#include "print/PaperLayout.h"

#include <QDialog>
#include <QPointer>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace kaoshi {

struct AppContext;
struct PdfPart;
class PreviewWindow;

class PrintPaperDialog final : public QDialog
{
    Q_OBJECT
public:
    PrintPaperDialog(AppContext &context, QWidget *owner);
    ~PrintPaperDialog() override;

    // What the controls ask for.
    PaperPlan plan() const;

    // 打印预览: makes and stores a new run, then shows its pages.
    void preview();
    // 导出PDF: makes and stores a new run, then writes it as the user chose.
    void exportPdf();
    // 重印: the stored run chosen in 已印试卷, shown again.
    void reprint();

    // The preview "打印预览" of the run shown last, while it is open.
    PreviewWindow *previewWindow() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    struct Run {
        PaperPlan plan;
        PrintedRun run;
        PaperQuestions questions;
        QList<LaidDocument> documents;
    };
    void start();
    void fillStoredRuns();
    bool checkedPlan(const PaperPlan &plan);
    // A new run, stored; nothing (and the user told why) when it cannot be.
    std::optional<Run> makeRun();
    void layOut(Run &run) const;
    void showPreview(const Run &run);
    void writePdf(const Run &run);
    // The files 导出PDF writes besides one of the whole run: one per kind
    // when so chosen, else none.
    QList<PdfPart> pdfParts(const Run &run) const;
    QString titleOf(const Run &run) const;

    AppContext &m_context;
    QLineEdit *m_title;
    QLineEdit *m_occasion;
    std::array<QSpinBox *, 4> m_counts{};
    QSpinBox *m_variants;
    QCheckBox *m_shuffleQuestions;
    QCheckBox *m_shuffleOptions;
    QCheckBox *m_paper;
    QCheckBox *m_sheet;
    QCheckBox *m_key;
    QComboBox *m_keyPlacement;
    QCheckBox *m_explanations;
    QComboBox *m_pdfFiles;
    QComboBox *m_storedRuns;
    QPushButton *m_reprint;
    QPushButton *m_previewButton;
    QPushButton *m_exportButton;
    QPushButton *m_close;
    QPointer<PreviewWindow> m_preview;
    bool m_started = false;
};

} // namespace kaoshi
