#include "exam/PrintPaperDialog.h"

#include "data/ConfigTable.h"
#include "data/QuestionType.h"
#include "exam/ExamPaper.h"
#include "print/PageOutput.h"
#include "print/PaperPages.h"
#include "print/PreviewWindow.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"
#include "ui/DialogPlacement.h"
#include "ui/Shell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QVBoxLayout>

namespace kaoshi {

namespace {

constexpr int kMaxCount = 100000;

template <typename W>
W *labelled(QFormLayout *form, const QString &caption, W *control, const QString &name)
{
    auto *label = named(new QLabel(caption), name + QStringLiteral("标签"), caption);
    label->setBuddy(control);
    nameControl(control, name, caption);
    form->addRow(label, control);
    return control;
}

QCheckBox *checkBox(const QString &caption, bool checked)
{
    auto *box = named(new QCheckBox(caption), caption, caption);
    box->setChecked(checked);
    return box;
}

QPushButton *button(const QString &caption, const QString &tip = {})
{
    auto *push = named(new QPushButton(caption), caption + QStringLiteral("按钮"), caption);
    push->setAutoDefault(false);
    if (!tip.isEmpty())
        push->setToolTip(tip);
    return push;
}

QString runCaption(const PrintedRun &run)
{
    QString caption = QStringLiteral("第%1批 %2").arg(run.id).arg(run.title);
    if (!run.occasion.isEmpty())
        caption += QStringLiteral(" 场次") + run.occasion;
    const int count = int(run.variants.size());
    caption += QStringLiteral(" %1份（%2").arg(count).arg(variantLetter(0));
    if (count > 1)
        caption += QStringLiteral("–") + variantLetter(count - 1);
    return caption + QStringLiteral("） ") + run.printedAt;
}

} // namespace

PrintPaperDialog::PrintPaperDialog(AppContext &context, QWidget *owner) : QDialog(owner), m_context(context)
{
    setAttribute(Qt::WA_DeleteOnClose);
    nameControl(this, QStringLiteral("打印试卷"));
    setWindowTitle(QStringLiteral("打印试卷"));

    auto *paperBox = new QGroupBox(QStringLiteral("试卷"));
    auto *paperForm = new QFormLayout(paperBox);
    m_title = labelled(paperForm, QStringLiteral("标题"), new QLineEdit(kDefaultPaperTitle), QStringLiteral("标题编辑框"));
    m_occasion = labelled(paperForm, QStringLiteral("场次"), new QLineEdit, QStringLiteral("场次编辑框"));

    auto *countBox = new QGroupBox(QStringLiteral("题数（取自配置，只用于这份试卷）"));
    auto *countForm = new QFormLayout(countBox);
    for (const QuestionType type : allQuestionTypes()) {
        auto *spin = new QSpinBox;
        spin->setRange(0, kMaxCount);
        m_counts[size_t(typeIndex(type))] = labelled(countForm, tableName(type) + QStringLiteral("题数"), spin,
                                                     tableName(type) + QStringLiteral("题数编辑框"));
    }

    auto *variantBox = new QGroupBox(QStringLiteral("变体"));
    auto *variantForm = new QFormLayout(variantBox);
    m_variants = new QSpinBox;
    m_variants->setRange(1, kMaxVariants);
    m_variants->setToolTip(QStringLiteral("1至26份，依次为A卷、B卷、C卷……"));
    labelled(variantForm, QStringLiteral("份数（A、B、C…）"), m_variants, QStringLiteral("变体数编辑框"));
    m_shuffleQuestions = checkBox(QStringLiteral("打乱题序"), true);
    m_shuffleOptions = checkBox(QStringLiteral("打乱选项"), true);
    m_shuffleOptions->setToolTip(QStringLiteral("只打乱选项能清楚分开的选择题"));
    variantForm->addRow(m_shuffleQuestions);
    variantForm->addRow(m_shuffleOptions);

    auto *outputBox = new QGroupBox(QStringLiteral("印制"));
    auto *outputForm = new QFormLayout(outputBox);
    m_paper = checkBox(QStringLiteral("试卷"), true);
    m_sheet = checkBox(QStringLiteral("答题卡"), true);
    m_key = checkBox(QStringLiteral("答案"), true);
    auto *kinds = new QHBoxLayout;
    kinds->addWidget(m_paper);
    kinds->addWidget(m_sheet);
    kinds->addWidget(m_key);
    kinds->addStretch();
    outputForm->addRow(kinds);
    m_keyPlacement = new QComboBox;
    m_keyPlacement->addItems({QStringLiteral("答案在最后"), QStringLiteral("答案在每题之后（教师用卷）")});
    labelled(outputForm, QStringLiteral("答案位置"), m_keyPlacement, QStringLiteral("答案位置组合框"));
    m_explanations = checkBox(QStringLiteral("答案附解析"), false);
    outputForm->addRow(m_explanations);
    m_pdfFiles = new QComboBox;
    m_pdfFiles->addItems({QStringLiteral("合并为一个PDF"), QStringLiteral("每类一个PDF")});
    labelled(outputForm, QStringLiteral("PDF文件"), m_pdfFiles, QStringLiteral("PDF文件组合框"));

    auto *storedBox = new QGroupBox(QStringLiteral("已印试卷"));
    auto *storedRow = new QHBoxLayout(storedBox);
    m_storedRuns = named(new QComboBox, QStringLiteral("已印试卷组合框"), QStringLiteral("已印试卷"));
    m_storedRuns->setMinimumWidth(320);
    m_reprint = button(QStringLiteral("重印"), QStringLiteral("按保存的题序和选项顺序再印所选的试卷"));
    storedRow->addWidget(m_storedRuns, 1);
    storedRow->addWidget(m_reprint);

    m_previewButton = button(QStringLiteral("打印预览"));
    m_exportButton = button(QStringLiteral("导出PDF"));
    m_close = button(QStringLiteral("关闭"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_previewButton);
    buttons->addWidget(m_exportButton);
    buttons->addWidget(m_close);

    auto *columns = new QHBoxLayout;
    auto *left = new QVBoxLayout;
    left->addWidget(paperBox);
    left->addWidget(countBox);
    auto *right = new QVBoxLayout;
    right->addWidget(variantBox);
    right->addWidget(outputBox);
    columns->addLayout(left);
    columns->addLayout(right);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(columns);
    layout->addWidget(storedBox);
    layout->addLayout(buttons);

    connect(m_key, &QCheckBox::toggled, m_keyPlacement, &QWidget::setEnabled);
    connect(m_key, &QCheckBox::toggled, m_explanations, &QWidget::setEnabled);
    connect(m_previewButton, &QPushButton::clicked, this, &PrintPaperDialog::preview);
    connect(m_exportButton, &QPushButton::clicked, this, &PrintPaperDialog::exportPdf);
    connect(m_reprint, &QPushButton::clicked, this, &PrintPaperDialog::reprint);
    connect(m_close, &QPushButton::clicked, this, &QDialog::close);
}

PrintPaperDialog::~PrintPaperDialog() = default;

void PrintPaperDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_started) {
        m_started = true;
        centreOnScreen(this);
        start();
    }
}

void PrintPaperDialog::start()
{
    m_context.reopenStore();
    if (Shell *shell = m_context.shell)
        shell->registerTaskWindow(this);
    if (const std::optional<ExamSettings> settings = readExamSettings(m_context.store)) {
        for (size_t i = 0; i < m_counts.size(); ++i)
            m_counts[i]->setValue(int(std::clamp<qint64>(settings->draws[i], 0, kMaxCount)));
    }
    fillStoredRuns();
}

void PrintPaperDialog::fillStoredRuns()
{
    m_storedRuns->clear();
    if (const auto runs = listPrintedRuns(m_context.store))
        for (const PrintedRun &run : *runs)
            m_storedRuns->addItem(runCaption(run), run.id);
    m_reprint->setEnabled(m_storedRuns->count() > 0);
}

PaperPlan PrintPaperDialog::plan() const
{
    PaperPlan plan;
    plan.title = m_title->text().trimmed();
    plan.occasion = m_occasion->text().trimmed();
    for (size_t i = 0; i < m_counts.size(); ++i)
        plan.counts[i] = m_counts[i]->value();
    plan.variants = m_variants->value();
    plan.shuffleQuestions = m_shuffleQuestions->isChecked();
    plan.shuffleOptions = m_shuffleOptions->isChecked();
    plan.paper = m_paper->isChecked();
    plan.answerSheet = m_sheet->isChecked();
    plan.key = m_key->isChecked();
    plan.keyPlacement = m_keyPlacement->currentIndex() == 1 ? KeyPlacement::AfterEachQuestion : KeyPlacement::AtEnd;
    plan.explanations = m_explanations->isChecked();
    return plan;
}

bool PrintPaperDialog::checkedPlan(const PaperPlan &plan)
{
    if (!plan.paper && !plan.answerSheet && !plan.key) {
        m_context.messages().notice(QStringLiteral("请选择要印制的内容：试卷、答题卡或答案。"));
        return false;
    }
    return true;
}

std::optional<PrintPaperDialog::Run> PrintPaperDialog::makeRun()
{
    Run run{plan(), {}, {}, {}};
    if (!checkedPlan(run.plan))
        return std::nullopt;
    m_context.reopenStore();
    const qint64 seed = qint64(QRandomGenerator::global()->generate64() >> 1);
    const QString now = m_context.platform.clock.now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    PaperRunDraw draw = drawPaperRun(m_context.store, m_context.dataDir, run.plan, seed, now);
    if (draw.failed) {
        m_context.messages().failure(QStringLiteral("试卷没有生成：题库读不出来"), m_context.store.lastError().message);
        return std::nullopt;
    }
    if (draw.questions.empty()) {
        m_context.messages().notice(QStringLiteral("没有可以抽取的题目：请检查各题库和题数。"));
        return std::nullopt;
    }
    // Kept before anything is printed, so that every printed variant has its key.
    if (!storePrintedRun(m_context.store, draw.run)) {
        m_context.messages().failure(QStringLiteral("试卷没有保存，因此没有印制"), m_context.store.lastError().message);
        return std::nullopt;
    }
    run.run = std::move(draw.run);
    run.questions = std::move(draw.questions);
    fillStoredRuns();
    layOut(run);
    return run;
}

void PrintPaperDialog::layOut(Run &run) const
{
    const QtTextMeasure measure;
    run.documents = layoutPaperRun(run.plan, run.questions, run.run, measure);
}

void PrintPaperDialog::preview()
{
    if (std::optional<Run> run = makeRun())
        showPreview(std::move(*run));
}

void PrintPaperDialog::exportPdf()
{
    if (std::optional<Run> run = makeRun())
        writePdf(*run);
}

void PrintPaperDialog::reprint()
{
    const qint64 id = m_storedRuns->currentData().toLongLong();
    Run run{plan(), {}, {}, {}};
    if (!checkedPlan(run.plan))
        return;
    m_context.reopenStore();
    std::optional<PrintedRun> stored = loadPrintedRun(m_context.store, id);
    std::optional<PaperQuestions> questions =
        stored ? questionsOfRun(m_context.store, m_context.dataDir, *stored) : std::nullopt;
    if (!stored || !questions) {
        m_context.messages().failure(QStringLiteral("已印的试卷读不出来"), m_context.store.lastError().message);
        return;
    }
    run.plan.title = stored->title;
    run.plan.occasion = stored->occasion;
    run.run = std::move(*stored);
    run.questions = std::move(*questions);
    layOut(run);
    showPreview(std::move(run));
}

PreviewWindow *PrintPaperDialog::previewWindow() const { return m_preview.data(); }

QString PrintPaperDialog::titleOf(const Run &run) const
{
    return run.plan.title.isEmpty() ? kDefaultPaperTitle : run.plan.title;
}

QList<PdfPart> PrintPaperDialog::pdfParts(const Run &run) const
{
    QList<PdfPart> parts;
    if (m_pdfFiles->currentIndex() == 1)
        for (const PaperKind kind : kindsOf(run.plan))
            parts.append({paperKindName(kind), std::make_shared<PaperPages>(documentsOfKind(run.documents, kind))});
    return parts;
}

void PrintPaperDialog::showPreview(const Run &run)
{
    delete m_preview.data();
    m_preview = new PreviewWindow(m_context, std::make_unique<PaperPages>(run.documents), titleOf(run), this);
    m_preview->setAttribute(Qt::WA_DeleteOnClose);
    // Chosen here, written there: one PDF, or one per kind.
    m_preview->setPdfParts(pdfParts(run));
    m_preview->show();
}

void PrintPaperDialog::writePdf(const Run &run)
{
    const QString title = titleOf(run);
    const QString path = m_context.platform.files.saveFileName(
        QStringLiteral("导出PDF"), QStringLiteral("PDF文件(*.pdf)|*.pdf"), QDir::home().filePath(title + QStringLiteral(".pdf")));
    if (path.isEmpty())
        return;
    const PaperPages whole(run.documents);
    const QList<PdfPart> parts = pdfParts(run);
    const QList<PdfFile> files = pdfFilesFor(whole, parts, path);
    if (savePdfFiles(m_context, this, files, title))
        m_context.messages().notice(QStringLiteral("PDF文件已保存：\n") + pdfFileNames(files));
}

} // namespace kaoshi
