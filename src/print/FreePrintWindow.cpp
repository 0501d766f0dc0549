#include "print/FreePrintWindow.h"

#include "data/TextRules.h"
#include "print/ExportFiles.h"
#include "print/PrintTable.h"
#include "print/ReportDocument.h"
#include "print/PageSequence.h"
#include "print/PreviewWindow.h"
#include "print/ReportPages.h"
#include "print/WorkbookWriter.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"
#include "ui/ListGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>

namespace kaoshi {

namespace {

constexpr int kNumberColumn = 0;
constexpr int kTickColumn = 1;
constexpr int kTitleColumn = 2;

const QStringList kPapers{QStringLiteral("#A3纸"), QStringLiteral("#A4纸"), QStringLiteral("#A5纸"),
                          QStringLiteral("#B4纸"), QStringLiteral("#B5纸"), QStringLiteral("#四开"),
                          QStringLiteral("#十六开"), QStringLiteral("#三十二开")};
const QStringList kOrientations{QStringLiteral("#纵向"), QStringLiteral("#横向")};
const QStringList kLineStyleNames{QStringLiteral("全部线条"), QStringLiteral("外框和标题框"),
                                  QStringLiteral("外框和横线"), QStringLiteral("标题全框和竖线")};

// A small picture of a line style: a table of a title row and two body rows.
QPixmap lineStylePicture(int style)
{
    QPixmap picture(34, 22);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setPen(Qt::black);
    const QRect table(2, 2, 29, 17);
    const int titleBottom = 7;
    const int rows[] = {13};
    const int columns[] = {12, 21};
    p.drawRect(table);
    p.drawLine(table.left(), titleBottom, table.right(), titleBottom);
    if (lineStyleRulesRows(style))
        for (int y : rows)
            p.drawLine(table.left(), y, table.right(), y);
    if (lineStyleRulesColumns(style))
        for (int x : columns)
            p.drawLine(x, table.top(), x, table.bottom());
    return picture;
}

QLabel *label(QWidget *parent, const QString &name, const QString &text, QRect geometry)
{
    auto *l = named(new QLabel(text, parent), name, text);
    l->setGeometry(geometry);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return l;
}

template <typename W>
W *placed(W *widget, const QString &name, const QString &accessible, QRect geometry)
{
    named(widget, name, accessible);
    widget->setGeometry(geometry);
    return widget;
}

} // namespace

FreePrintWindow::FreePrintWindow(AppContext &context, const PrintRequest &request)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint),
      m_context(context), m_request(request)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // The program ends with its main window, whether or not this one is open.
    setAttribute(Qt::WA_QuitOnClose, false);
    nameWindow(this, QStringLiteral("自由打印"));
    QFont small = font();
    small.setPointSize(9);
    setFont(small);
    setFixedSize(480, 298);
    buildControls();

    setWindowTitle(m_request.title);
    buildColumnList();
    loadSettings();
}

void FreePrintWindow::buildControls()
{
    auto *columnsFrame = placed(new QGroupBox(QStringLiteral("打印列选择"), this), QStringLiteral("分组框1"),
                                QStringLiteral("打印列选择"), {8, 9, 168, 223});
    // Buttons at (17, 24) of the window, inside the frame.
    const QPoint frame = columnsFrame->pos();
    const auto button = [&](QWidget *parent, const QString &name, const QString &text, QRect geometry) {
        return placed(new QPushButton(text, parent), name, text, geometry);
    };
    auto *reset = button(columnsFrame, QStringLiteral("复原按钮"), QStringLiteral("复原"),
                         QRect(QPoint(17, 24) - frame, QSize(49, 20)));
    auto *up = button(columnsFrame, QStringLiteral("上移按钮"), QStringLiteral("上移"),
                      QRect(QPoint(68, 24) - frame, QSize(49, 20)));
    auto *down = button(columnsFrame, QStringLiteral("下移按钮"), QStringLiteral("下移"),
                        QRect(QPoint(119, 24) - frame, QSize(49, 20)));
    m_columns = placed(new ListGrid(columnsFrame), QStringLiteral("导出高级表格"), QStringLiteral("打印列"),
                       {8, 39, 152, 177});
    m_columns->horizontalHeader()->setDefaultSectionSize(50);
    // Titles stay as the list has them; only the ticks change.
    m_columns->setEditable(false);

    m_tickAll = placed(new QCheckBox(QStringLiteral("全选"), this), QStringLiteral("全选选择框"),
                       QStringLiteral("全选"), {40, 246, 48, 16});
    m_keep = placed(new QCheckBox(QStringLiteral("保存配置"), this), QStringLiteral("保存配置选择框"),
                    QStringLiteral("保存配置"), {114, 246, 76, 16});

    auto *titleLabel = label(this, QStringLiteral("标签1"), QStringLiteral("打印标题"), {195, 23, 56, 22});
    m_title = placed(new QLineEdit(this), QStringLiteral("标题编辑框"), QStringLiteral("打印标题"), {251, 23, 194, 22});
    titleLabel->setBuddy(m_title);
    auto *fontLabel = label(this, QStringLiteral("标签5"), QStringLiteral("标题字体"), {195, 58, 56, 22});
    m_titleFont = placed(new QLineEdit(QStringLiteral("黑体,22"), this), QStringLiteral("字体编辑框"),
                         QStringLiteral("标题字体"), {251, 58, 55, 22});
    fontLabel->setBuddy(m_titleFont);
    auto *chooseFont = button(this, QStringLiteral("按钮3"), QStringLiteral(">>"), {307, 58, 22, 22});
    chooseFont->setAccessibleName(QStringLiteral("选择标题字体"));

    auto *paperLabel = label(this, QStringLiteral("标签2"), QStringLiteral("打印纸型"), {334, 58, 50, 22});
    m_paper = placed(new QComboBox(this), QStringLiteral("纸型组合框"), QStringLiteral("打印纸型"), {384, 58, 64, 22});
    m_paper->addItems(kPapers);
    for (int i = 0; i < kPapers.size(); ++i)
        m_paper->setItemData(i, i + 1); // the paper code
    m_paper->view()->setMinimumWidth(m_paper->view()->sizeHintForColumn(0) + 24);
    paperLabel->setBuddy(m_paper);
    auto *orientationLabel = label(this, QStringLiteral("标签4"), QStringLiteral("打印方向"), {195, 93, 55, 22});
    m_orientation = placed(new QComboBox(this), QStringLiteral("打印方向组合框"), QStringLiteral("打印方向"),
                           {250, 93, 80, 22});
    m_orientation->addItems(kOrientations);
    for (int i = 0; i < kOrientations.size(); ++i)
        m_orientation->setItemData(i, i);
    orientationLabel->setBuddy(m_orientation);
    auto *rowsLabel = label(this, QStringLiteral("标签3"), QStringLiteral("每页行数"), {341, 93, 49, 22});
    m_rowsPerPage = placed(new QLineEdit(this), QStringLiteral("行数编辑框"), QStringLiteral("每页行数"),
                           {390, 93, 56, 22});
    rowsLabel->setBuddy(m_rowsPerPage);

    auto *lines = placed(new QGroupBox(QStringLiteral("线条类别:"), this), QStringLiteral("分组框2"),
                         QStringLiteral("线条类别:"), {195, 127, 252, 43});
    const int styleX[] = {16, 71, 131, 186};
    for (int i = 0; i < 4; ++i) {
        auto *radio = placed(new QRadioButton(lines), QStringLiteral("线型%1").arg(i + 1), kLineStyleNames[i],
                             {styleX[i], 15, 54, 24});
        radio->setIcon(lineStylePicture(i + 1));
        radio->setIconSize({34, 22});
        radio->setToolTip(kLineStyleNames[i]);
        m_lineStyles[size_t(i)] = radio;
    }
    m_lineStyles[0]->setChecked(true);

    auto *sizeLabel = label(this, QStringLiteral("标签6"), QStringLiteral("字体大小:"), {198, 190, 58, 22});
    m_bodyFontSize = placed(new QLineEdit(QStringLiteral("30"), this), QStringLiteral("字体大小"),
                            QStringLiteral("字体大小"), {256, 190, 33, 22});
    sizeLabel->setBuddy(m_bodyFontSize);
    label(this, QStringLiteral("标签14"), QStringLiteral("(可为空)"), {293, 190, 58, 22});
    m_serial = placed(new QCheckBox(QStringLiteral("增加序号列"), this), QStringLiteral("序号"),
                      QStringLiteral("增加序号列"), {355, 193, 90, 16});

    auto *save = button(this, QStringLiteral("保存配置按钮"), QStringLiteral("保存配置"), {206, 240, 70, 25});
    auto *print = button(this, QStringLiteral("打印按钮"), QStringLiteral("打印预览"), {290, 240, 70, 25});
    auto *exportButton = button(this, QStringLiteral("导出按钮"), QStringLiteral("导出excel"), {375, 240, 70, 25});

    m_progress = label(this, QStringLiteral("标签7"), QStringLiteral("正在生成打印预览>>"), {67, 144, 352, 24});
    m_progress->setAutoFillBackground(true);
    m_progress->setAlignment(Qt::AlignCenter);
    m_progress->hide();

    connect(reset, &QPushButton::clicked, this, &FreePrintWindow::buildColumnList);
    connect(up, &QPushButton::clicked, this, &FreePrintWindow::moveUp);
    connect(down, &QPushButton::clicked, this, &FreePrintWindow::moveDown);
    connect(m_tickAll, &QCheckBox::clicked, this, &FreePrintWindow::tickAll);
    connect(chooseFont, &QPushButton::clicked, this, &FreePrintWindow::chooseTitleFont);
    connect(save, &QPushButton::clicked, this, &FreePrintWindow::saveAndClose);
    connect(print, &QPushButton::clicked, this, &FreePrintWindow::preview);
    connect(exportButton, &QPushButton::clicked, this, &FreePrintWindow::exportWorkbook);
}

QString FreePrintWindow::settingsPath() const
{
    return QDir(m_context.dataDir).filePath(m_request.settingsFile);
}

PreviewWindow *FreePrintWindow::previewDialog() const { return m_preview.data(); }

const ReportPages *FreePrintWindow::reportShown() const
{
    return m_preview ? m_report : nullptr;
}

// ------------------------------------------------------------- column list

void FreePrintWindow::showColumnList(const ColumnList &columns, int cursorIndex, int cursorColumn)
{
    ListGrid *grid = m_columns;
    grid->setRowCount(1);
    grid->setColumnCount(3);
    grid->setColumnWidth(kNumberColumn, 0);
    grid->setColumnWidth(kTickColumn, 30);
    grid->setColumnWidth(kTitleColumn, 80);
    grid->setText(0, kNumberColumn, QStringLiteral("列号"));
    grid->setText(0, kTickColumn, QStringLiteral("选择"));
    grid->setText(0, kTitleColumn, QStringLiteral("列名"));
    std::vector<QStringList> rows;
    rows.reserve(size_t(columns.size()));
    for (const ColumnEntry &entry : columns)
        rows.push_back({QString::number(entry.column), QString(), entry.title});
    grid->appendRows(std::move(rows));
    for (int i = 0; i < columns.size(); ++i) {
        grid->setCheckable(i + 1, kTickColumn, true);
        grid->setChecked(i + 1, kTickColumn, columns[i].ticked);
    }
    if (cursorIndex >= 0)
        grid->setCursorRow(cursorIndex + 1, cursorColumn);
}

ColumnList FreePrintWindow::columnList() const
{
    ColumnList columns;
    for (int row = 1; row < m_columns->rowCount(); ++row)
        columns.append({int(textToNumber(m_columns->text(row, kNumberColumn))),
                        m_columns->isChecked(row, kTickColumn), m_columns->text(row, kTitleColumn)});
    return columns;
}

void FreePrintWindow::buildColumnList()
{
    showColumnList(allColumns(PrintTable::of(m_request)));
}

void FreePrintWindow::applyFieldList(const QString &fieldList)
{
    if (fieldList.isEmpty())
        return; // the full list stays
    showColumnList(storedColumns(PrintTable::of(m_request), fieldList));
}

void FreePrintWindow::moveUp()
{
    ColumnList columns = columnList();
    const int index = m_columns->cursorRow() - 1;
    const int column = m_columns->currentIndex().column();
    if (index >= 0 && moveColumnUp(columns, index))
        showColumnList(columns, index - 1, column);
}

void FreePrintWindow::moveDown()
{
    ColumnList columns = columnList();
    const int index = m_columns->cursorRow() - 1;
    const int column = m_columns->currentIndex().column();
    if (index >= 0 && moveColumnDown(columns, index))
        showColumnList(columns, index + 1, column);
}

void FreePrintWindow::tickAll(bool ticked)
{
    for (int row = 1; row < m_columns->rowCount(); ++row)
        m_columns->setChecked(row, kTickColumn, ticked);
}

// ---------------------------------------------------------------- settings

void FreePrintWindow::showSettings(const PrintSettings &s)
{
    m_title->setText(s.title);
    m_titleFont->setText(s.titleFont);
    m_paper->setCurrentIndex(s.paper);
    m_orientation->setCurrentIndex(s.orientation);
    m_rowsPerPage->setText(s.rowsPerPage);
    m_lineStyles[size_t(qBound(1, s.lineStyle, 4) - 1)]->setChecked(true);
    m_bodyFontSize->setText(s.bodyFontSize);
    m_serial->setChecked(s.serialColumn);
    m_keep->setChecked(s.keep);
}

PrintSettings FreePrintWindow::settingsShown() const
{
    PrintSettings s;
    s.title = m_title->text();
    s.fieldList = fieldList(columnList());
    s.titleFont = m_titleFont->text();
    s.paper = qMax(0, m_paper->currentIndex());
    s.orientation = qMax(0, m_orientation->currentIndex());
    s.rowsPerPage = m_rowsPerPage->text();
    s.lineStyle = 1;
    for (int i = 0; i < 4; ++i)
        if (m_lineStyles[size_t(i)]->isChecked())
            s.lineStyle = i + 1;
    s.bodyFontSize = m_bodyFontSize->text();
    s.serialColumn = m_serial->isChecked();
    s.keep = m_keep->isChecked();
    return s;
}

void FreePrintWindow::loadSettings()
{
    QString problem;
    const PrintSettings s = readPrintSettings(settingsPath(), &problem);
    // The file stays as it is; this run goes on with the defaults.
    if (!problem.isEmpty())
        m_context.messages().failure(QStringLiteral("打印设置文件无法读取，本次使用默认设置，文件保持不变：") +
                                         QDir::toNativeSeparators(settingsPath()),
                                     problem);
    showSettings(s);
    applyFieldList(s.fieldList);
}

bool FreePrintWindow::storeSettings()
{
    const PrintSettings s = settingsShown();
    QString error;
    if (storePrintSettings(settingsPath(), s, &error) || !s.keep)
        return true;
    m_context.messages().failure(QStringLiteral("打印设置没有保存到") +
                                     QDir::toNativeSeparators(settingsPath()),
                                 error);
    return false;
}

void FreePrintWindow::chooseTitleFont()
{
    const QStringList parts = m_titleFont->text().split(QLatin1Char(','));
    FontChoice initial;
    initial.family = trimSpaces(parts.value(0));
    if (initial.family.isEmpty())
        initial.family = QStringLiteral("黑体");
    const int size = int(textToNumber(parts.value(1)));
    initial.pointSize = size > 0 ? size : 22;
    const std::optional<FontChoice> chosen = m_context.platform.fonts.chooseFont(initial);
    if (chosen)
        m_titleFont->setText(chosen->family + QLatin1Char(',') + QString::number(chosen->pointSize));
}

// ----------------------------------------------------------------- actions

void FreePrintWindow::saveAndClose()
{
    m_keep->setChecked(true);
    if (storeSettings())
        close();
}

bool FreePrintWindow::listIsAvailable()
{
    if (m_request.source)
        return true;
    m_context.messages().notice(QStringLiteral("要打印的列表已经关闭，请从列表重新打开打印窗口。"));
    return false;
}

void FreePrintWindow::preview()
{
    if (m_preview) { // already showing
        m_preview->raise();
        m_preview->activateWindow();
        return;
    }
    storeSettings();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_progress->show();
    m_progress->raise();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    const auto endBuild = [this] {
        m_progress->hide();
        QApplication::restoreOverrideCursor();
    };

    const ColumnList ticked = tickedColumns(columnList());
    if (ticked.isEmpty()) {
        endBuild();
        m_context.messages().notify({QStringLiteral("当前没有可打印的内容，请选择要打印的列。"),
                                     QStringLiteral("温馨提示"), Message::Icon::None});
        return;
    }
    if (!m_request.source) {
        endBuild();
        listIsAvailable();
        return;
    }
    const PrintSettings settings = settingsShown();
    const ReportOptions options = reportOptions(settings);
    setWindowTitle(options.title);
    std::unique_ptr<PageSource> pages =
        std::make_unique<ReportPages>(ReportDocument::build(PrintTable::of(m_request), ticked, options));
    m_report = static_cast<const ReportPages *>(pages.get());
    if (m_request.frontPages) {
        std::vector<std::unique_ptr<PageSource>> parts;
        parts.push_back(m_request.frontPages(pages->pageLayout()));
        parts.push_back(std::move(pages));
        pages = std::make_unique<PageSequence>(std::move(parts));
    }

    m_preview = new PreviewWindow(m_context, std::move(pages), options.title, this);
    m_preview->setAttribute(Qt::WA_DeleteOnClose);
    // This window lives as long as its preview.
    connect(m_preview, &QDialog::finished, this, &QWidget::close);
    endBuild();
    hide();
    m_preview->show();
}

void FreePrintWindow::exportWorkbook()
{
    storeSettings();
    if (!listIsAvailable())
        return;
    QList<int> columns;
    for (const ColumnEntry &entry : tickedColumns(columnList()))
        columns << entry.column;

    // Workbooks are kept where the teacher finds them again: 导出 in the data folder.
    const QString folder = exportFolder(m_context.dataDir);
    if (!QDir().mkpath(folder)) {
        m_context.messages().failure(QStringLiteral("工作簿没有写入：无法建立文件夹") +
                                         QDir::toNativeSeparators(folder),
                                     QString());
        return;
    }
    const QString path = newWorkbookPath(folder, windowTitle(), m_context.platform.clock.now());
    QString error;
    if (!writeWorkbook(path, PrintTable::of(m_request), columns, &error)) {
        m_context.messages().failure(QStringLiteral("工作簿没有写入：") + QDir::toNativeSeparators(path), error);
        return;
    }
    if (!m_context.platform.desktop.openWithDesktop(path))
        offerFolder(path);
    close();
}

void FreePrintWindow::offerFolder(const QString &path)
{
    // The workbook is written: that is said as a notice, with its folder at hand.
    const Message notice{QStringLiteral("工作簿已保存为") + QDir::toNativeSeparators(path) +
                             QStringLiteral("\n没有找到能打开它的程序。"),
                         QStringLiteral("系统消息"), Message::Icon::Information, QStringLiteral("打开文件夹")};
    if (m_context.messages().confirm(notice))
        m_context.platform.desktop.openWithDesktop(QFileInfo(path).absolutePath());
}

void FreePrintWindow::closeEvent(QCloseEvent *event)
{
    QWidget::closeEvent(event);
    // A closed window is gone for the next hand-over, even before it is deleted.
    if (event->isAccepted())
        emit closedForGood();
}

void FreePrintWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

} // namespace kaoshi
