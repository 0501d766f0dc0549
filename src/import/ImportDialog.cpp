#include "import/ImportDialog.h"

#include "ui/DialogPlacement.h"
#include "data/QuestionType.h"
#include "import/BackgroundReader.h"
#include "import/ImportStore.h"
#include "import/PreviewModel.h"
#include "practice/QuestionLayout.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
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

// What was read is checked in slices between which the window keeps
// answering the user; while nothing waits, the window looks again shortly:
// soon enough that the reading thread, which reads a few thousand rows in
// a few milliseconds, seldom waits for room (BackgroundReader::kMostWaiting).
constexpr int kSliceMilliseconds = 40;
constexpr size_t kSliceRows = 1000;
constexpr int kIdleMilliseconds = 2;

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
    m_reader->setInterval(kIdleMilliseconds);
    connect(m_reader, &QTimer::timeout, this, [this] { isStoring() ? storeSome() : readSome(); });
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

ImportDialog::~ImportDialog()
{
    // The thread stops before the rows it would hand over are gone.
    m_reading.reset();
    m_store.reset();
    m_preview.reset();
}

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

bool ImportDialog::isReading() const { return m_reading != nullptr && !m_store; }

bool ImportDialog::isStoring() const { return m_store != nullptr; }

const ImportPreview *ImportDialog::currentPreview() const { return m_preview ? &m_preview->preview() : nullptr; }

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
    // A new file is compared with the banks as they are now.
    m_reader->stop();
    m_reading.reset();
    m_model->setPreview(nullptr);
    m_preview.reset();
    m_bankTexts.reset();
    m_path = path;
    m_file->setText(path);
    {
        const QSignalBlocker blocker(m_sheet);
        m_sheet->clear();
    }
    m_sheetLabel->hide();
    m_sheet->hide();
    // The worksheets are listed by the reading thread, with the first sheet's rows.
    startReading(true);
}

void ImportDialog::showSheets(const QStringList &sheets)
{
    {
        const QSignalBlocker blocker(m_sheet);
        m_sheet->clear();
        m_sheet->addItems(sheets);
    }
    // The worksheet is asked for only when there is a choice.
    m_sheetLabel->setVisible(sheets.size() > 1);
    m_sheet->setVisible(sheets.size() > 1);
}

void ImportDialog::startReading(bool listSheets)
{
    m_reader->stop();
    m_reading.reset();
    m_complete = false;
    m_model->setPreview(nullptr);
    m_question->clear();
    // The banks' texts are compared through the database; each is copied
    // for it a step at a time when the file's first row of it comes.
    if (!m_bankTexts)
        m_bankTexts = std::make_unique<BankTexts>(m_context.store);
    m_model->setLineTitle(QFileInfo(m_path).suffix().compare(QLatin1String("docx"), Qt::CaseInsensitive) == 0
                              ? QStringLiteral("段号")
                              : QStringLiteral("行号"));
    m_preview = std::make_unique<ImportRun>(m_context.store, *m_bankTexts, bankType());
    m_model->setPreview(&m_preview->preview());
    m_reading = std::make_unique<BackgroundReader>(m_path, qMax(0, m_sheet->currentIndex()), listSheets, bankType());
    m_readEnd.reset();
    m_progress->setText(QStringLiteral("正在读取……"));
    m_reader->start();
    updateButtons();
}

void ImportDialog::readSome()
{
    if (!m_reading || !m_preview)
        return;
    if (!passReadRows(*m_preview, QStringLiteral("正在读取"), &ImportDialog::finishReading))
        return;
    m_model->showNewRows();
    showSummary();
}

bool ImportDialog::passReadRows(ImportRun &run, const QString &doing, void (ImportDialog::*finish)(const QString &))
{
    QElapsedTimer slice;
    slice.start();
    bool more = true;
    while (more && slice.elapsed() < kSliceMilliseconds) {
        // What was taken is worked through first (a bank's texts may be
        // copied a step at a time on the way); then more is taken.
        if (!run.waiting()) {
            if (m_readEnd) {
                (this->*finish)(*m_readEnd);
                return false;
            }
            BackgroundReader::Taken taken = m_reading->take(kSliceRows);
            if (taken.sheets)
                showSheets(*taken.sheets);
            if (taken.finished)
                m_readEnd = taken.error;
            more = taken.finished || taken.rows.size() == kSliceRows;
            m_readProgress = taken.progress;
            run.add(std::move(taken.rows));
        }
        if (!run.proceed()) {
            (this->*finish)(run.failure());
            return false;
        }
        more = more || run.waiting();
        m_progress->setText(QStringLiteral("%1：已读%2行（%3%）").arg(doing).arg(run.preview().total()).arg(int(m_readProgress * 100)));
    }
    // Straight on while rows wait, else a short pause for the thread.
    m_reader->setInterval(more ? 0 : kIdleMilliseconds);
    return true;
}

void ImportDialog::finishReading(const QString &error)
{
    m_reader->stop();
    m_reading.reset();
    m_model->showNewRows();
    m_complete = error.isEmpty();
    const qint64 total = m_preview ? m_preview->preview().total() : 0;
    m_progress->setText(error.isEmpty() ? QStringLiteral("读取完毕：共%1行").arg(total) : QStringLiteral("读取失败"));
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
    if (!m_reading)
        return;
    if (isStoring()) {
        finishStoring(QStringLiteral("已停止导入"));
        return;
    }
    m_reader->stop();
    m_reading->stop();
    m_reading.reset();
    m_model->showNewRows();
    m_complete = false;
    m_progress->setText(QStringLiteral("已停止读取：已读%1行").arg(m_preview->preview().total()));
    showSummary();
}

void ImportDialog::showSummary()
{
    if (!m_preview) {
        updateButtons();
        return;
    }
    const ImportPreview &preview = m_preview->preview();
    const qint64 ready = preview.count(RowStatus::Ready);
    const qint64 duplicates = preview.count(RowStatus::Duplicate);
    const qint64 refused = preview.count(RowStatus::Refused);
    QString text = QStringLiteral("可导入%1行，题库中已有%2行，不导入%3行").arg(ready).arg(duplicates).arg(refused);
    if (duplicates > 0)
        text += m_duplicates->isChecked() ? QStringLiteral("（已有的也导入）") : QStringLiteral("（已有的跳过）");
    if (!preview.keptEveryRow()) {
        // A long file lists its first rows and the unusable ones after them.
        text += QStringLiteral("；表中列出%1行").arg(preview.rows().size());
        QStringList reasons;
        for (const ImportPreview::Reason &reason : preview.reasons())
            reasons << QStringLiteral("%1 %2行（第%3行起）").arg(reason.text).arg(reason.count).arg(reason.firstLine);
        if (!reasons.isEmpty())
            text += QStringLiteral("；不导入的原因：") + reasons.join(QStringLiteral("；"));
    }
    if (!m_reading && !m_complete)
        text += QStringLiteral("；文件没有读完，不能导入");
    m_summary->setText(text);
    updateButtons();
}

void ImportDialog::showCurrentQuestion()
{
    const int row = m_table->currentIndex().row();
    if (!m_preview || row < 0 || size_t(row) >= m_preview->preview().rows().size()) {
        m_question->clear();
        return;
    }
    const PreviewRow &shown = m_preview->preview().rows()[size_t(row)];
    m_question->setPlainText(shownQuestionText(shown.values.text));
}

void ImportDialog::updateButtons()
{
    const bool reading = m_reading != nullptr;
    const ImportPreview *preview = currentPreview();
    const bool anything = preview && (preview->count(RowStatus::Ready) > 0 ||
                                      (m_duplicates->isChecked() && preview->count(RowStatus::Duplicate) > 0));
    m_import->setEnabled(!reading && m_complete && anything);
    m_stop->setEnabled(reading);
}

void ImportDialog::setChoicesEnabled(bool enabled)
{
    for (QWidget *choice : std::initializer_list<QWidget *>{m_bank, m_choose, m_sheet, m_duplicates})
        choice->setEnabled(enabled);
}

void ImportDialog::importRows()
{
    if (m_reading || !m_complete || !m_preview)
        return;
    const ImportPreview &previewed = m_preview->preview();
    const qint64 chosen =
        previewed.count(RowStatus::Ready) + (m_duplicates->isChecked() ? previewed.count(RowStatus::Duplicate) : 0);
    if (chosen == 0) {
        m_context.messages().notice(QStringLiteral("没有可导入的题目"));
        return;
    }
    // The file is read a second time and stored as it is read, in one unit.
    m_store = std::make_unique<ImportRun>(m_context.store, *m_bankTexts, bankType());
    m_storeFailure.clear();
    const PictureTarget pictures{m_context.dataDir, m_path, m_context.platform.clock.now()};
    if (!m_store->beginStore(m_duplicates->isChecked(), pictures)) {
        m_storeFailure = m_store->failure();
        m_store.reset();
    } else {
        m_reading = std::make_unique<BackgroundReader>(m_path, qMax(0, m_sheet->currentIndex()), false, bankType());
        m_readEnd.reset();
        m_progress->setText(QStringLiteral("正在导入……"));
        setChoicesEnabled(false);
        updateButtons();
        m_reader->setInterval(kIdleMilliseconds);
        m_reader->start();
        QEventLoop loop;
        m_storeLoop = &loop;
        loop.exec();
    }
    setChoicesEnabled(true);
    if (m_result.type) {
        const qint64 skipped = previewed.total() - m_result.stored;
        m_context.messages().notice(QStringLiteral("已导入%1题，跳过%2行").arg(m_result.stored).arg(skipped));
        accept();
        return;
    }
    m_progress->setText(QStringLiteral("导入失败"));
    updateButtons();
    QStringList banks;
    for (const QuestionType type : previewed.banksToStore(m_duplicates->isChecked()))
        banks << typeCaption(type);
    m_context.messages().failure(QStringLiteral("导入失败，") + banks.join(u'、') + QStringLiteral("题库没有改变"),
                                 m_storeFailure);
}

void ImportDialog::storeSome() { passReadRows(*m_store, QStringLiteral("正在导入"), &ImportDialog::finishStoring); }

void ImportDialog::finishStoring(const QString &error)
{
    m_reader->stop();
    m_reading.reset();
    if (error.isEmpty()) {
        const StoreOutcome outcome = m_store->finishStore(m_preview->preview());
        if (outcome.stored)
            m_result = {bankType(), outcome.count};
        else
            m_storeFailure = outcome.reason;
    } else {
        m_storeFailure = error;
    }
    m_store.reset(); // a unit that was not kept is rolled back here
    if (m_storeLoop)
        m_storeLoop->quit();
}

void ImportDialog::reject()
{
    if (isStoring())
        finishStoring(QStringLiteral("已取消导入"));
    m_reader->stop();
    m_reading.reset();
    QDialog::reject();
}

} // namespace kaoshi
