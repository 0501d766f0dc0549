#include "exam/ExamPaperWindow.h"

#include "data/AnswerEncoding.h"
#include "data/Schema.h"
#include "exam/ExamState.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"
#include "ui/ListGrid.h"
#include "ui/Shell.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTextEdit>

namespace kaoshi {

namespace {

// The answer sheet: one row per bank with what is answered and what is not.
const QStringList kOverviewTitles{QString(), QStringLiteral("题型"), QStringLiteral("已答"),
                                  QStringLiteral("未答的题")};
const int kOverviewWidths[] = {0, 50, 60, 560};
// The time left is kept at least this often (seconds).
constexpr qint64 kKeepTimeEvery = 10;

// The positions (1-based) of a bank's part still without an answer.
QString positionsText(const std::vector<int> &indexes)
{
    QStringList list;
    for (int i : indexes)
        list << QString::number(i + 1);
    return list.join(u' ');
}

// Why a paper that is kept no more, or already graded, was not handed in.
QString handInRefusal(HandInOutcome outcome)
{
    if (outcome == HandInOutcome::NotKept)
        return QStringLiteral("这份试卷已不在数据库中:它已在另一处交卷");
    if (outcome == HandInOutcome::AlreadyGraded)
        return QStringLiteral("评分中已有该考生本场次的答案:试卷已在另一处交过");
    return QString();
}

} // namespace

ExamPaperWindow::ExamPaperWindow(AppContext &context, QWidget *host, QRandomGenerator *generator)
    : OrderedPracticeWindow(context, host, ViewKind::Paper),
      m_generator(generator ? generator : QRandomGenerator::global())
{
    nameControl(this, QStringLiteral("ExamPaperWindow"), QStringLiteral("考试"));

    QWidget *page = view().addQuestionPage(QStringLiteral("答题卡"));
    m_overview = named(new ListGrid(page), QStringLiteral("答题卡高级表格"));
    m_overview->setEditable(false);
    m_overview->setStriped(true);
    m_overview->setColumnCount(int(kOverviewTitles.size()));
    for (int c = 0; c < kOverviewTitles.size(); ++c) {
        m_overview->setText(0, c, kOverviewTitles[c]);
        m_overview->setColumnWidth(c, kOverviewWidths[c]);
    }
    view().placeOnPage(m_overview, 8, 32, 682, 130);
    connect(m_overview, &ListGrid::rowDoubleClicked, this, [this](int row) { jumpToOverviewRow(row); });

    // Every choice is kept the moment it is made; typed text when typing pauses.
    const AnswerControls &answers = view().answers;
    QList<QAbstractButton *> buttons{answers.rightChoice, answers.wrongChoice};
    for (int i = 0; i < kChoiceCount; ++i)
        buttons << answers.singleChoices[size_t(i)] << answers.multipleChoices[size_t(i)];
    for (QAbstractButton *button : buttons)
        connect(button, &QAbstractButton::clicked, this, [this] { keepShownAnswer(); });
    m_typing.setSingleShot(true);
    m_typing.setInterval(1000);
    connect(&m_typing, &QTimer::timeout, this, [this] { keepShownAnswer(); });
    connect(answers.freeAnswer, &QTextEdit::textChanged, &m_typing, qOverload<>(&QTimer::start));

    m_seconds.setInterval(1000);
    connect(&m_seconds, &QTimer::timeout, this, &ExamPaperWindow::tick);
}

ExamPaperWindow::~ExamPaperWindow() = default;

QString ExamPaperWindow::mainCaption() const { return QStringLiteral("考试系统-考试"); }

bool ExamPaperWindow::prepareBanks()
{
    if (!openPaper())
        return false;
    for (int page = 0; page < 4; ++page)
        setOrder(page, m_paper.part(page));
    boundByOrders();
    fillOverview();
    if (Shell *shell = m_context.shell)
        shell->lockForPaper(true);
    m_locked = true;
    // The time runs from here, once the candidate has read what was drawn.
    if (m_keptSeconds >= 0) {
        m_countdown.start(m_keptSeconds, m_context.platform.clock.millisecondsSinceStart());
        showTimeLeft(m_keptSeconds);
        m_seconds.start();
    }
    return true;
}

bool ExamPaperWindow::openPaper()
{
    const Candidate &candidate = m_context.exam.candidate;
    m_owner = {candidate.number, candidate.occasion, candidate.name};
    MessageBoxes &messages = m_context.messages();
    DataStore &store = m_context.store;
    if (m_owner.number.isEmpty() || m_owner.occasion.isEmpty()) {
        messages.notice(QStringLiteral("请先在“模拟组卷”中登录考生"));
        return false;
    }
    if (!ensurePaperTables(store)) {
        messages.failure(QStringLiteral("无法保存答卷,考试没有开始"), store.errorString());
        return false;
    }
    const PaperLookup kept = findKeptPaper(store, m_owner.number, m_owner.occasion);
    if (kept.failed) {
        messages.failure(QStringLiteral("无法读取未交的答卷,考试没有开始"), store.errorString());
        return false;
    }
    if (kept.paper) {
        // The paper left without hand-in goes on, with its answers and time.
        m_paper = ExamPaper(kept.paper->items);
        m_keptSeconds = kept.paper->secondsLeft;
        messages.notice(QStringLiteral("继续未交的试卷:共 %1 题,已答 %2 题").arg(m_paper.total()).arg(m_paper.answered()));
        return true;
    }

    const std::optional<ExamConfig> config = readExamConfig(store);
    if (!config) {
        messages.failure(QStringLiteral("无法读取配置,考试没有开始"), store.errorString());
        return false;
    }
    PaperDraw draw = drawPaper(store, drawCounts(*config), *m_generator);
    if (draw.failed) {
        messages.failure(QStringLiteral("无法读取题库,考试没有开始"), store.errorString());
        return false;
    }
    if (draw.paper.total() == 0) {
        messages.notice(QStringLiteral("试卷没有抽到题目,考试没有开始。请在“配置”中设置抽题数,并检查题库。"));
        return false;
    }
    // A paper without a time limit keeps -1 as its time left.
    const qint64 limit = timeLimitSeconds(*config);
    const qint64 secondsLeft = limit > 0 ? limit : -1;
    switch (keepNewPaper(store, m_owner, {draw.paper.items(), secondsLeft})) {
    case KeepOutcome::Kept:
        break;
    case KeepOutcome::Taken:
        // Another copy of the program keeps a paper for this candidate.
        messages.failure(QStringLiteral("该考生正在考试"), QStringLiteral("另一处已为这位考生抽好试卷,这里没有开始考试"));
        return false;
    case KeepOutcome::Failed:
        messages.failure(QStringLiteral("无法保存试卷,考试没有开始"), store.errorString());
        return false;
    }
    const QString report = drawReport(draw);
    m_paper = std::move(draw.paper);
    m_keptSeconds = secondsLeft;
    messages.notice(report);
    return true;
}

QString ExamPaperWindow::answerOnRecord(const QString &)
{
    // The paper's own answer; the practice answer of the bank row is never shown.
    return loadedIndex() < 0 ? QString() : m_paper.answer(loadedPage(), loadedIndex());
}

void ExamPaperWindow::leaveQuestion() { keepShownAnswer(); }

bool ExamPaperWindow::keepShownAnswer()
{
    m_typing.stop();
    if (loadedIndex() < 0)
        return true;
    return keepAnswer(collectedAnswer(loadedPage()));
}

bool ExamPaperWindow::storeAnswer(const QString &answer) { return keepAnswer(answer); }

bool ExamPaperWindow::keepAnswer(const QString &answer)
{
    const int page = loadedPage();
    const int index = loadedIndex();
    if (index < 0 || m_paper.answer(page, index) == answer)
        return true;
    // Held in the paper at once, so that a hand-in carries it even when the
    // database did not keep it.
    m_paper.setAnswer(page, index, answer);
    fillOverview();
    if (!keepPaperAnswer(m_context.store, m_owner, m_paper.position(page, index), answer)) {
        m_context.messages().failure(QStringLiteral("答案没有保存"), m_context.store.errorString());
        return false;
    }
    return true;
}

void ExamPaperWindow::handIn()
{
    keepShownAnswer();
    const int open = m_paper.unanswered();
    const QString question = open > 0 ? QStringLiteral("还有 %1 题没有作答,确定交卷?").arg(open)
                                      : QStringLiteral("题目已全部作答,确定交卷?");
    if (!m_context.messages().ask(question))
        return;
    submit(QString());
}

void ExamPaperWindow::collect()
{
    keepShownAnswer();
    submit(QStringLiteral("收卷:"));
}

void ExamPaperWindow::tick()
{
    if (!m_countdown.isRunning())
        return;
    const qint64 left = m_countdown.secondsLeft(m_context.platform.clock.millisecondsSinceStart());
    showTimeLeft(left);
    if (left == 0) {
        m_seconds.stop();
        m_countdown.stop();
        keepShownAnswer();
        submit(QStringLiteral("考试时间到:"));
        return;
    }
    // Kept now and then, so that a resumed paper has nearly the time it had.
    // A failure here is not shown: the answers are kept on their own.
    if (m_keptSeconds - left >= kKeepTimeEvery && keepSecondsLeft(m_context.store, m_owner, left))
        m_keptSeconds = left;
}

bool ExamPaperWindow::submit(const QString &why)
{
    const HandInOutcome outcome = handInPaper(m_context.store, m_owner, m_paper.items());
    if (outcome == HandInOutcome::Failed) {
        m_context.messages().failure(QStringLiteral("试卷没有交上,答案都还在,请再交卷"), m_context.store.errorString());
        return false;
    }
    if (outcome != HandInOutcome::HandedIn) {
        m_context.messages().failure(QStringLiteral("试卷没有交上"), handInRefusal(outcome));
        return false;
    }
    m_seconds.stop();
    m_countdown.stop();
    const int total = m_paper.total();
    const int answered = m_paper.answered();
    close();
    m_context.messages().notice(why + QStringLiteral("交卷完毕,共 %1 题,已答 %2 题").arg(total).arg(answered));
    return true;
}

void ExamPaperWindow::showTimeLeft(qint64 seconds)
{
    if (Shell *shell = m_context.shell)
        shell->setStatusText(2, remainingTimeText(seconds));
}

void ExamPaperWindow::fillOverview()
{
    m_overview->setRowCount(1 + 4);
    for (int bank = 0; bank < 4; ++bank) {
        const std::vector<int> open = m_paper.unansweredIndexes(bank);
        const int done = m_paper.partSize(bank) - int(open.size());
        m_overview->setText(bank + 1, 1, questionTypes()[bank]);
        m_overview->setText(bank + 1, 2, QStringLiteral("%1/%2").arg(done).arg(m_paper.partSize(bank)));
        m_overview->setText(bank + 1, 3, positionsText(open));
    }
}

void ExamPaperWindow::jumpToOverviewRow(int row)
{
    const int bank = row - 1;
    if (bank < 0 || bank >= 4 || m_paper.partSize(bank) == 0)
        return;
    // To the bank's first unanswered question, else its first.
    const std::vector<int> open = m_paper.unansweredIndexes(bank);
    const int index = open.empty() ? 0 : open.front();
    keepShownAnswer();
    view().numberBoxes[size_t(bank)]->setText(QString::number(index + 1));
    view().questionTabs->setCurrentIndex(TextPage);
    if (view().answerTabs->currentIndex() != bank)
        view().answerTabs->setCurrentIndex(bank); // loads the question
    else
        loadQuestion();
}

void ExamPaperWindow::keyPressEvent(QKeyEvent *event)
{
    // Esc does not close a paper: only a hand-in does.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    OrderedPracticeWindow::keyPressEvent(event);
}

void ExamPaperWindow::closeEvent(QCloseEvent *event)
{
    // Ended without hand-in (the program closes): what is typed is kept too.
    keepShownAnswer();
    m_seconds.stop();
    if (m_locked) {
        m_locked = false;
        if (Shell *shell = m_context.shell) {
            shell->lockForPaper(false);
            shell->setStatusText(2, QString());
        }
    }
    OrderedPracticeWindow::closeEvent(event);
}

void ExamPaperWindow::resizeEvent(QResizeEvent *event)
{
    OrderedPracticeWindow::resizeEvent(event);
    m_overview->resize(qMax(width() - 40, 0), qMax(height() - 260, 0));
}

} // namespace kaoshi
