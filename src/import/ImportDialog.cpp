#include "import/ImportDialog.h"

#include "ui/DialogPlacement.h"
#include "data/QuestionType.h"
#include "import/ImportStore.h"
#include "import/PreviewModel.h"
#include "practice/QuestionLayout.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace kaoshi {

namespace {

// Reading runs in slices between which the window keeps answering the user.
constexpr int kSliceMilliseconds = 40;
constexpr int kSliceRows = 200;

} // namespace

ImportDialog::ImportDialog(AppContext &context, QuestionType type, QWidget *parent)
    : QDialog(parent), m_context(context)
{
    setWindowTitle(QStringLiteral("导入题库"));
    nameControl(this, QStringLiteral("导入题库"));

    auto *bankLabel = named(new QLabel(QStringLiteral("题库"), this), QStringLiteral("题库标签"), QStringLiteral("题库"));
    m_bank = named(new QComboBox(this), QStringLiteral("题库组合框"), QStringLiteral("题库"));
    for (QuestionType kind : allQuestionTypes())
        m_bank->addItem(typeCaption(kind));
    m_bank->setCurrentIndex(typeIndex(type));
    bankLabel->setBuddy(m_bank);

    m_choose = named(new QPushButton(QStringLiteral("选择文件…"), this), QStringLiteral("选择文件按钮"),
                     QStringLiteral("选择文件…"));
    m_file = named(new QLineEdit(this), QStringLiteral("文件编辑框"), QStringLiteral("文件"));
    m_file->setReadOnly(true);
    m_file->setPlaceholderText(QStringLiteral("请选择.xlsx、.xls、.csv、.txt或.docx文件"));

    m_sheetLabel = named(new QLabel(QStringLiteral("工作表"), this), QStringLiteral("工作表标签"), QStringLiteral("工作表"));
    m_sheet = named(new QComboBox(this), QStringLiteral("工作表组合框"), QStringLiteral("工作表"));
    m_sheetLabel->setBuddy(m_sheet);
    m_sheetLabel->hide();
    m_sheet->hide();

    m_duplicates = named(new QCheckBox(QStringLiteral("重复的也导入"), this), QStringLiteral("重复导入选择框"),
                         QStringLiteral("重复的也导入"));

    m_model = new PreviewModel(this);
    m_table = named(new QTableView(this), QStringLiteral("预览表格"), QStringLiteral("预览"));
    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setWordWrap(true);
    m_table->setTextElideMode(Qt::ElideNone);
    m_table->verticalHeader()->hide();
    // Six lines of a laid-out question (the stem, an empty line and four
    // options) show in each row; the box below shows the whole question of
    // the current row.
    m_table->verticalHeader()->setDefaultSectionSize(m_table->fontMetrics().lineSpacing() * 6 + 8);
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->horizontalHeader()->setSectionResizeMode(PreviewModel::Status, QHeaderView::Stretch);
    const int widths[] = {50, 360, 70, 170, 50, 90};
    for (int c = 0; c < 6; ++c)
        m_table->setColumnWidth(c, widths[c]);
    m_table->setColumnWidth(PreviewModel::Bank, 50);

    m_question = named(new QTextEdit(this), QStringLiteral("题目预览编辑框"), QStringLiteral("题目预览"));
    m_question->setReadOnly(true);
    m_question->setFixedHeight(fontMetrics().lineSpacing() * 6 + 12);

    m_summary = named(new QLabel(this), QStringLiteral("摘要标签"));
    m_summary->setWordWrap(true);

    m_import = named(new QPushButton(QStringLiteral("导入"), this), QStringLiteral("导入按钮"), QStringLiteral("导入"));
    m_stop = named(new QPushButton(QStringLiteral("停止"), this), QStringLiteral("停止按钮"), QStringLiteral("停止"));
    m_cancel = named(new QPushButton(QStringLiteral("取消"), this), QStringLiteral("取消按钮"), QStringLiteral("取消"));
    for (QPushButton *button : {m_choose, m_import, m_stop, m_cancel})
        button->setAutoDefault(false);

    m_status = named(new QStatusBar(this), QStringLiteral("状态条"));
    m_status->setSizeGripEnabled(false);
    m_progress = named(new QLabel(this), QStringLiteral("进度标签"));
    m_status->addWidget(m_progress, 1);

    auto *top = new QGridLayout;
    top->addWidget(bankLabel, 0, 0);
    top->addWidget(m_bank, 0, 1);
    top->addWidget(m_choose, 0, 2);
    top->addWidget(m_file, 0, 3);
    top->addWidget(m_sheetLabel, 0, 4);
    top->addWidget(m_sheet, 0, 5);
    top->setColumnStretch(3, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_duplicates);
    buttons->addStretch(1);
    buttons->addWidget(m_import);
    buttons->addWidget(m_stop);
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_table, 1);
    layout->addWidget(m_question);
    layout->addWidget(m_summary);
    layout->addLayout(buttons);
    layout->addWidget(m_status);
    resize(1040, 680);

    m_reader = new QTimer(this);
    m_reader->setInterval(0);
    connect(m_reader, &QTimer::timeout, this, &ImportDialog::readSome);
    connect(m_choose, &QPushButton::clicked, this, &ImportDialog::chooseFile);
    connect(m_import, &QPushButton::clicked, this, &ImportDialog::importRows);
    connect(m_stop, &QPushButton::clicked, this, &ImportDialog::stopReading);
    connect(m_cancel, &QPushButton::clicked, this, &ImportDialog::reject);
    connect(m_duplicates, &QCheckBox::toggled, this, [this] { showSummary(); });
    // Another bank or worksheet checks the rows again.
    connect(m_bank, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_path.isEmpty())
            startReading();
    });
    connect(m_sheet, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_path.isEmpty())
            startReading();
    });
    connect(m_table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { showCurrentQuestion(); });
    updateButtons();
}

ImportDialog::~ImportDialog() = default;

ImportDialog::Result ImportDialog::run(AppContext &context, QuestionType type, QWidget *parent)
{
    ImportDialog dialog(context, type, parent);
    dialog.exec();
    return dialog.result();
}

void ImportDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
}

QuestionType ImportDialog::bankType() const
{
    return typeAt(m_bank->currentIndex()).value_or(QuestionType::SingleChoice);
}

bool ImportDialog::isReading() const { return m_source != nullptr; }

void ImportDialog::chooseFile()
{
    const QString path = m_context.platform.files.openFileName(
        QStringLiteral("选择要导入的文件"),
        QStringLiteral("题库文件(*.xlsx;*.xls;*.csv;*.txt;*.docx;*.doc)|*.xlsx;*.xls;*.csv;*.txt;*.docx;*.doc"));
    if (!path.isEmpty())
        preview(path);
}

void ImportDialog::preview(const QString &path)
{
    m_reader->stop();
    m_source.reset();
    m_path = path;
    m_file->setText(path);
    QString error;
    const QStringList sheets = worksheetNames(path, &error);
    {
        const QSignalBlocker blocker(m_sheet);
        m_sheet->clear();
        m_sheet->addItems(sheets);
    }
    // The worksheet is asked for only when there is a choice.
    m_sheetLabel->setVisible(sheets.size() > 1);
    m_sheet->setVisible(sheets.size() > 1);
    startReading();
}

void ImportDialog::startReading()
{
    m_reader->stop();
    m_source.reset();
    m_complete = false;
    m_model->setPreview(nullptr);
    m_question->clear();
    // Rows already in the bank are told apart only when the bank can be read.
    std::optional<QSet<QString>> existing = existingQuestionTexts(m_context.store, bankType());
    m_preview = std::make_unique<ImportPreview>(bankType(), existing.value_or(QSet<QString>()));
    // A heading of a document may put questions into the other banks.
    m_preview->setOtherBanks([this](QuestionType type) { return existingQuestionTexts(m_context.store, type); });
    m_model->setLineTitle(QFileInfo(m_path).suffix().compare(QLatin1String("docx"), Qt::CaseInsensitive) == 0
                              ? QStringLiteral("段号")
                              : QStringLiteral("行号"));
    m_model->setPreview(m_preview.get());
    if (!existing) {
        finishReading(QStringLiteral("无法读取") + typeCaption(bankType()) + QStringLiteral("题库：") + m_context.store.errorString());
        return;
    }
    OpenedSource opened = openQuestionSource(m_path, qMax(0, m_sheet->currentIndex()));
    if (!opened.source) {
        finishReading(opened.error);
        return;
    }
    m_source = std::move(opened.source);
    m_progress->setText(QStringLiteral("正在读取……"));
    m_reader->start();
    updateButtons();
}

void ImportDialog::readSome()
{
    if (!m_source)
        return;
    QElapsedTimer slice;
    slice.start();
    RawQuestion question;
    do {
        for (int i = 0; i < kSliceRows; ++i) {
            if (!m_source->next(question)) {
                finishReading(m_source->error());
                return;
            }
            m_preview->add(question);
        }
    } while (slice.elapsed() < kSliceMilliseconds);
    m_model->showNewRows();
    m_progress->setText(QStringLiteral("正在读取：已读%1行（%2%）")
                            .arg(m_preview->rows().size())
                            .arg(int(m_source->progress() * 100)));
    showSummary();
}

void ImportDialog::finishReading(const QString &error)
{
    m_reader->stop();
    m_source.reset();
    m_model->showNewRows();
    m_complete = error.isEmpty();
    m_progress->setText(error.isEmpty() ? QStringLiteral("读取完毕：共%1行").arg(m_preview->rows().size())
                                        : QStringLiteral("读取失败"));
    showSummary();
    if (!error.isEmpty()) {
        m_summary->setText(QStringLiteral("无法导入：") + error);
        m_context.messages().failure(QStringLiteral("无法读取文件") + QFileInfo(m_path).fileName(), error);
    }
    if (m_table->currentIndex().row() < 0 && m_model->rowCount() > 0)
        m_table->selectRow(0);
}

void ImportDialog::stopReading()
{
    if (!m_source)
        return;
    m_reader->stop();
    m_source.reset();
    m_model->showNewRows();
    m_complete = false;
    m_progress->setText(QStringLiteral("已停止读取：已读%1行").arg(m_preview->rows().size()));
    showSummary();
}

void ImportDialog::showSummary()
{
    if (!m_preview) {
        updateButtons();
        return;
    }
    const int ready = m_preview->count(RowStatus::Ready);
    const int duplicates = m_preview->count(RowStatus::Duplicate);
    const int refused = m_preview->count(RowStatus::Refused);
    QString text = QStringLiteral("可导入%1行，题库中已有%2行，不导入%3行").arg(ready).arg(duplicates).arg(refused);
    if (duplicates > 0)
        text += m_duplicates->isChecked() ? QStringLiteral("（已有的也导入）") : QStringLiteral("（已有的跳过）");
    if (!m_source && !m_complete)
        text += QStringLiteral("；文件没有读完，不能导入");
    m_summary->setText(text);
    updateButtons();
}

void ImportDialog::showCurrentQuestion()
{
    const int row = m_table->currentIndex().row();
    if (!m_preview || row < 0 || size_t(row) >= m_preview->rows().size()) {
        m_question->clear();
        return;
    }
    const PreviewRow &shown = m_preview->rows()[size_t(row)];
    m_question->setPlainText(shownQuestionText(shown.values.text));
}

void ImportDialog::updateButtons()
{
    const bool reading = isReading();
    const bool anything = m_preview && (m_preview->count(RowStatus::Ready) > 0 ||
                                        (m_duplicates->isChecked() && m_preview->count(RowStatus::Duplicate) > 0));
    m_import->setEnabled(!reading && m_complete && anything);
    m_stop->setEnabled(reading);
}

void ImportDialog::importRows()
{
    if (isReading() || !m_complete || !m_preview)
        return;
    const std::vector<ImportedQuestion> rows = m_preview->importBatch(m_duplicates->isChecked());
    if (rows.empty()) {
        m_context.messages().notice(QStringLiteral("没有可导入的题目"));
        return;
    }
    m_progress->setText(QStringLiteral("正在导入……"));
    m_progress->repaint();
    const StoreOutcome outcome =
        storeImportBatch(m_context.store, m_context.dataDir, m_path, rows, m_context.platform.clock.now());
    if (!outcome.stored) {
        m_progress->setText(QStringLiteral("导入失败"));
        QStringList banks;
        for (const ImportedQuestion &row : rows)
            if (!banks.contains(typeCaption(row.type)))
                banks << typeCaption(row.type);
        m_context.messages().failure(QStringLiteral("导入失败，") + banks.join(u'、') + QStringLiteral("题库没有改变"),
                                     outcome.reason);
        return;
    }
    const qint64 skipped = qint64(m_preview->rows().size()) - outcome.count;
    m_context.messages().notice(QStringLiteral("已导入%1题，跳过%2行").arg(outcome.count).arg(skipped));
    m_result = {bankType(), outcome.count};
    accept();
}

void ImportDialog::reject()
{
    m_reader->stop();
    m_source.reset();
    QDialog::reject();
}

} // namespace kaoshi
