#include "exam/ExamPaperWindow.h"

#include "data/AnswerEncoding.h"
#include "data/ConfigTable.h"
#include "data/RoomTable.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"
#include "ui/ListGrid.h"
#include "ui/Shell.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRadioButton>
#include <QPointer>
#include <QRandomGenerator>
#include <QScopedValueRollback>
#include <QSysInfo>
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
// The status-bar part that says the time left could not be kept, or that
// the server is gone.
constexpr int kTimeNotePart = 4;
// How often the seat tells the server it is there.
constexpr int kHeartbeatMs = 5000;
const QString kOfflineNote = QStringLiteral("网络中断，答案已保存在本机");
const QString kQueuedNote = QStringLiteral("网络中断，交卷已记在本机");
const QString kQueuedMessage = QStringLiteral("网络中断：交卷已记在本机，连上服务器后自动交上，请不要关机");

// The log's words for a hand-in, from the prefix the candidate is shown.
QString handInEvent(const QString &why)
{
    if (why.isEmpty())
        return QStringLiteral("交卷");
    if (why.startsWith(QStringLiteral("考试时间到")))
        return QStringLiteral("考试时间到，交卷");
    return why.chopped(1);
}

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

const QStringList &ExamPaperWindow::toolbarCaptions()
{
    // No 重做 and no 错题: nothing on a paper shows a standard answer.
    static const QStringList captions{QStringLiteral("字体"), QStringLiteral("首题"), QStringLiteral("上题"),
                                      QStringLiteral("下题"), QStringLiteral("尾题"), QStringLiteral("保存")};
    return captions;
}

ExamPaperWindow::ExamPaperWindow(AppContext &context, PracticeSession &session, const PaperOwner &candidate,
                                 QWidget *host, QRandomGenerator *generator)
    : TaskWindow(context, host), m_session(session), m_pane(context, this, toolbarCaptions()),
      m_generator(generator ? generator : QRandomGenerator::global()), m_owner(candidate)
{
    nameControl(this, QStringLiteral("ExamPaperWindow"), QStringLiteral("考试"));
    resize(PracticeView::kDesignSize);
    PracticeView &view = m_pane.view();

    QWidget *page = view.addQuestionPage(QStringLiteral("答题卡"));
    m_overview = named(new ListGrid(page), QStringLiteral("答题卡高级表格"));
    m_overview->setEditable(false);
    m_overview->setStriped(true);
    m_overview->setColumnCount(int(kOverviewTitles.size()));
    for (int c = 0; c < kOverviewTitles.size(); ++c) {
        m_overview->setText(0, c, kOverviewTitles[c]);
        m_overview->setColumnWidth(c, kOverviewWidths[c]);
    }
    view.placeOnPage(m_overview, 8, 32, 682, 130);
    connect(m_overview, &ListGrid::rowDoubleClicked, this, [this](int row) { jumpToOverviewRow(row); });

    // The paper's own answer is shown, in the letters shown; the practice
    // answer of the bank row never is.
    m_pane.setAnswerSource([this](const Question &question, int index) {
        return index < 0 ? QString()
                         : m_order.shownAnswer(shownPosition(), question, m_paper.answer(m_pane.loadedType(), index));
    });
    m_pane.setTextSource([this](const Question &question, int) { return m_order.shownText(shownPosition(), question); });
    m_pane.setQuestionSource(m_content);
    connect(&m_pane, &QuestionPane::answerChanged, this, &ExamPaperWindow::answerChanged);
    connect(&m_pane, &QuestionPane::aboutToLeave, this, [this] { keepShownAnswer(); });
    connect(&m_pane, &QuestionPane::toolbarButton, this, &ExamPaperWindow::runToolbarButton);
    m_typing.setSingleShot(true);
    m_typing.setInterval(1000);
    connect(&m_typing, &QTimer::timeout, this, [this] { keepShownAnswer(); });

    m_seconds.setInterval(1000);
    connect(&m_seconds, &QTimer::timeout, this, &ExamPaperWindow::tick);
    m_heartbeat.setInterval(kHeartbeatMs);
    connect(&m_heartbeat, &QTimer::timeout, this, &ExamPaperWindow::heartbeat);
}

QString ExamPaperWindow::seatName()
{
    // Only shown to people: the seat's claim tells computers of one name
    // apart. A seat without a name would pass for a released one.
    const QString host = QSysInfo::machineHostName();
    return host.isEmpty() ? QStringLiteral("未命名的计算机") : host;
}

ExamPaperWindow::~ExamPaperWindow() = default;

QString ExamPaperWindow::mainCaption() const { return QStringLiteral("考试系统-考试"); }

bool ExamPaperWindow::startTask()
{
    m_session.charFormat.size = 20;
    m_pane.applyCharFormat(m_session.charFormat);
    if (!openPaper()) {
        close();
        return false;
    }
    // A heartbeat during the first notice may have ended the sitting.
    if (m_ended)
        return false;
    for (QuestionType type : allQuestionTypes())
        m_pane.setOrder(type, m_paper.part(type));
    m_pane.boundByOrders();
    fillOverview();
    if (Shell *shell = m_context.shell)
        shell->lockForPaper(true);
    m_locked = true;
    // The time runs to the paper's deadline on the server's clock.
    m_keptSeconds = m_seat->secondsLeft();
    if (m_keptSeconds >= 0) {
        showTimeLeft(m_keptSeconds);
        m_seconds.start();
    }
    m_heartbeat.start();
    m_pane.showAnswerPage();
    // A hand-in this seat kept while the server was gone goes in now.
    if (m_seat->handInQueued())
        submit(QStringLiteral("上次记在本机的交卷:"));
    return true;
}

bool ExamPaperWindow::openPaper()
{
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
    const std::optional<ExamSettings> config = readExamSettings(store);
    if (!config) {
        messages.failure(QStringLiteral("无法读取配置,考试没有开始"), store.errorString());
        return false;
    }
    if (!signInSeat(*config))
        return false;
    const PaperLookup kept = m_seat->findPaper();
    if (kept.failed) {
        messages.failure(QStringLiteral("无法读取未交的答卷,考试没有开始"), store.errorString());
        return false;
    }
    if (kept.paper) {
        // The paper left without hand-in goes on, with its answers and time.
        m_paper = ExamPaper(kept.paper->items);
        if (!readOrder() || !readContent())
            return false;
        beatFromNowOn();
        messages.notice(QStringLiteral("继续未交的试卷:共 %1 题,已答 %2 题").arg(m_paper.total()).arg(m_paper.answered()));
        return true;
    }

    const std::optional<PaperShuffle> shuffle = readPaperShuffle(store);
    if (!shuffle) {
        messages.failure(QStringLiteral("无法读取配置,考试没有开始"), store.errorString());
        return false;
    }
    PaperDraw draw = drawPaper(store, config->draws, *m_generator, shuffle->questions);
    if (draw.failed || !drawOrder(draw.paper, shuffle->options)) {
        messages.failure(QStringLiteral("无法读取题库,考试没有开始"), store.errorString());
        return false;
    }
    if (draw.paper.total() == 0) {
        // The sign-in gives the seat up again: the candidate is not answering.
        if (!m_seat->withdraw())
            messages.failure(QStringLiteral("考场中该考生仍记为答题中"), m_seat->error());
        messages.notice(QStringLiteral("试卷没有抽到题目,考试没有开始。请在“配置”中设置抽题数,并检查题库。"));
        return false;
    }
    // A paper without a time limit keeps -1 as its time left.
    const qint64 limit = timeLimitSeconds(*config);
    const qint64 secondsLeft = limit > 0 ? limit : -1;
    switch (m_seat->keepPaper({draw.paper.items(), secondsLeft}, m_order.orders())) {
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
    if (!readContent())
        return false;
    beatFromNowOn();
    messages.notice(report);
    return true;
}

void ExamPaperWindow::beatFromNowOn()
{
    // The seat beats while the first notice is still open, so that the
    // console never takes it for silent; the paper is there by then. A
    // hand-in queued by an earlier run goes in right after the notice.
    if (!m_seat->handInQueued())
        m_heartbeat.start();
}

bool ExamPaperWindow::signInSeat(const ExamSettings &config)
{
    MessageBoxes &messages = m_context.messages();
    Clock &clock = m_context.platform.clock;
    m_seat = std::make_unique<SeatSession>(m_context.store, m_owner, seatName(), m_context.dataDir,
                                           [&clock] { return clock.millisecondsSinceStart(); });
    const qint64 limit = timeLimitSeconds(config);
    SeatSession::SignInResult result = m_seat->signIn(limit > 0 ? limit : -1);
    if (result.outcome == SeatSession::SignIn::OfferTakeOver) {
        if (!askTakeOver(result))
            return false;
        result = m_seat->takeOver();
    }
    switch (result.outcome) {
    case SeatSession::SignIn::Sitting:
        return true;
    case SeatSession::SignIn::Busy:
        messages.failure(result.message, QStringLiteral("这里没有开始考试"));
        return false;
    case SeatSession::SignIn::HandedIn:
        messages.notice(result.message);
        return false;
    case SeatSession::SignIn::OfferTakeOver:
    case SeatSession::SignIn::Failed:
        break;
    }
    messages.failure(QStringLiteral("无法登录考场,考试没有开始"), m_seat->error());
    return false;
}

bool ExamPaperWindow::askTakeOver(const SeatSession::SignInResult &offered)
{
    return m_context.messages().confirm({offered.message + QStringLiteral("\n%1 已有一分钟没有联系。在本机接着考,%1 就不能再交这份试卷。")
                                                                .arg(offered.otherSeat),
                                         QStringLiteral("注意"), Message::Icon::Question,
                                         QStringLiteral("在本机接着考")});
}

bool ExamPaperWindow::readOrder()
{
    DataStore &store = m_context.store;
    // The sign-in has made the room tables already.
    const auto orders = readOptionOrders(store, m_owner, m_seat->rows());
    if (!orders) {
        m_context.messages().failure(QStringLiteral("无法读取选项顺序,考试没有开始"), store.errorString());
        return false;
    }
    m_order = PaperOrder(*orders);
    return true;
}

bool ExamPaperWindow::readContent()
{
    DataStore &store = m_context.store;
    if (m_content.read(store, m_context.dataDir, m_paper))
        return true;
    // The paper stays kept: the next sign-in goes on with it.
    m_context.messages().failure(QStringLiteral("无法读取试卷的题目,考试没有开始"), store.errorString());
    return false;
}

bool ExamPaperWindow::drawOrder(const ExamPaper &paper, bool shuffleOptions)
{
    m_order = PaperOrder();
    if (!shuffleOptions)
        return true;
    PaperOrderDraw draw = drawOptionOrders(m_context.store, paper, *m_generator);
    m_order = std::move(draw.order);
    return !draw.failed;
}

int ExamPaperWindow::shownPosition() const
{
    const int index = m_pane.loadedIndex();
    return index < 0 ? -1 : m_paper.position(m_pane.loadedType(), index);
}

void ExamPaperWindow::runToolbarButton(const QString &caption)
{
    if (caption == QStringLiteral("字体"))
        chooseFont();
    else if (caption == QStringLiteral("首题"))
        m_pane.goFirst();
    else if (caption == QStringLiteral("上题"))
        m_pane.goPrevious();
    else if (caption == QStringLiteral("下题"))
        m_pane.goNext();
    else if (caption == QStringLiteral("尾题"))
        m_pane.goLast();
    else if (caption == QStringLiteral("保存"))
        saveAnswer();
}

void ExamPaperWindow::chooseFont()
{
    if (chooseCharFormat(m_context.platform.fonts, m_session.charFormat))
        m_pane.applyCharFormat(m_session.charFormat);
}

void ExamPaperWindow::saveAnswer()
{
    // The answer stays on screen and the question stays: nothing moves on.
    if (keepShownAnswer())
        m_pane.goNext();
}

void ExamPaperWindow::answerChanged(const QString &answer)
{
    if (m_pane.loadedType() == QuestionType::FreeAnswer)
        m_typing.start();
    else
        keepAnswer(answer);
}

bool ExamPaperWindow::keepShownAnswer()
{
    m_typing.stop();
    if (m_pane.loadedIndex() < 0)
        return true;
    return keepAnswer(m_pane.shownAnswer());
}

bool ExamPaperWindow::keepAnswer(const QString &shownAnswer)
{
    const QuestionType type = m_pane.loadedType();
    const int index = m_pane.loadedIndex();
    const QString answer = m_order.ownAnswer(shownPosition(), m_pane.loadedQuestion(), shownAnswer);
    if (index < 0 || m_paper.answer(type, index) == answer)
        return true;
    // Held in the paper at once, so that a hand-in carries it even when the
    // database did not keep it.
    m_paper.setAnswer(type, index, answer);
    fillOverview();
    return keepOnSeat(m_paper.position(type, index), answer);
}

bool ExamPaperWindow::keepOnSeat(int position, const QString &answer)
{
    if (m_ended)
        return false;
    const SeatSession::Keep kept = m_seat->keepAnswer(position, answer);
    showSeatNote();
    switch (kept) {
    case SeatSession::Keep::Kept:
    case SeatSession::Keep::Offline:
        return true;
    case SeatSession::Keep::PaperGone:
        // Handed in or moved elsewhere: the heartbeat says which.
        heartbeat();
        return false;
    case SeatSession::Keep::Refused:
    case SeatSession::Keep::NotSaved:
    case SeatSession::Keep::OutOfRange:
        break;
    }
    m_context.messages().failure(QStringLiteral("答案没有保存"), m_seat->error());
    return false;
}

void ExamPaperWindow::heartbeat()
{
    if (!m_seat || m_ended)
        return;
    // While the server is gone no statement runs here: a check in the
    // background finds out when it is back.
    if (!m_seat->isOnline()) {
        probeInBackground();
        return;
    }
    reactToBeat(m_seat->heartbeat());
}

void ExamPaperWindow::probeInBackground()
{
    m_probe.start(m_seat->probe(), [this](bool answered) {
        if (answered && m_seat && !m_ended)
            reactToBeat(m_seat->reconnect());
    });
}

void ExamPaperWindow::reactToBeat(SeatSession::Beat beat)
{
    m_beatFailed = beat == SeatSession::Beat::Failed;
    showSeatNote();
    switch (beat) {
    case SeatSession::Beat::Sitting:
    case SeatSession::Beat::Offline:
    case SeatSession::Beat::Failed:
        return;
    case SeatSession::Beat::Collect:
        keepShownAnswer();
        submit(QStringLiteral("收卷:"), m_seat->message());
        return;
    case SeatSession::Beat::HandedIn:
        if (m_handInWaits)
            finishHandIn(m_queuedWhy, m_queuedNote);
        else
            endSitting(QStringLiteral("这份试卷已在另一处交卷,本机的考试结束"), m_seat->asideNote());
        return;
    case SeatSession::Beat::Refused:
        endSitting(QStringLiteral("试卷没有交上"), refusalText());
        return;
    case SeatSession::Beat::Released:
        leaveSeat(QStringLiteral("监考已允许该考生在其他座位登录,本机的考试结束"));
        return;
    case SeatSession::Beat::Moved:
        leaveSeat(QStringLiteral("该考生已在%1接着考试,本机的考试结束").arg(m_seat->seat().seat));
        return;
    }
}

void ExamPaperWindow::endSitting(const QString &why, const QString &failure)
{
    m_ended = true;
    m_seconds.stop();
    m_heartbeat.stop();
    close();
    if (failure.isEmpty())
        m_context.messages().notice(why);
    else
        m_context.messages().failure(why, failure);
}

void ExamPaperWindow::leaveSeat(const QString &why)
{
    const QString aside = m_seat->asideNote();
    endSitting(aside.isEmpty() ? why + QStringLiteral(",答案都已保存") : why, aside);
}

QString ExamPaperWindow::refusalText() const
{
    const QString error = m_seat->error();
    const QString refusal = handInRefusal(m_seat->refusal());
    return error.isEmpty() ? refusal : refusal + QStringLiteral("\n") + error;
}

void ExamPaperWindow::showSeatNote()
{
    Shell *shell = m_context.shell;
    if (!shell || !m_locked)
        return;
    QString note;
    if (m_handInWaits)
        note = kQueuedNote;
    else if (m_seat && !m_seat->isOnline())
        note = kOfflineNote;
    else if (m_beatFailed)
        note = QStringLiteral("数据库没有保存:%1,正在重试").arg(m_seat->error());
    else if (m_seat && !m_seat->journalError().isEmpty())
        note = m_seat->journalError();
    else if (!m_timeKept)
        note = QStringLiteral("剩余时间没有保存，正在重试");
    shell->setStatusText(kTimeNotePart, note);
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
    if (!m_seconds.isActive() || !m_seat)
        return;
    const qint64 left = m_seat->secondsLeft();
    showTimeLeft(left);
    if (left == 0) {
        m_seconds.stop();
        keepShownAnswer();
        submit(QStringLiteral("考试时间到:"));
        return;
    }
    // Kept now and then, beside the deadline on the server; not while the
    // server is gone.
    if (m_seat->isOnline() && m_keptSeconds - left >= kKeepTimeEvery)
        keepTimeLeft(left);
}

void ExamPaperWindow::keepTimeLeft(qint64 secondsLeft)
{
    const bool kept = m_seat->keepTimeLeft(secondsLeft);
    if (kept)
        m_keptSeconds = secondsLeft;
    // A failure is said, not shown in a box: the answers are kept on their
    // own, and the next second tries again.
    if (kept == m_timeKept)
        return;
    m_timeKept = kept;
    showSeatNote();
}

bool ExamPaperWindow::submit(const QString &why, const QString &note)
{
    // A beat that asks for the paper while the box of an earlier try is
    // still open waits for it: the boxes never stack up.
    if (m_ended || m_handInWaits || m_submitting)
        return false;
    const QScopedValueRollback submitting(m_submitting, true);
    switch (m_seat->handIn(handInEvent(why))) {
    case SeatSession::HandIn::HandedIn:
        finishHandIn(why, note);
        return true;
    case SeatSession::HandIn::Queued:
        m_queuedWhy = why;
        m_handInWaits = true;
        m_queuedNote = note;
        waitForQueuedHandIn();
        return true;
    case SeatSession::HandIn::Refused:
        m_context.messages().failure(QStringLiteral("试卷没有交上"), refusalText());
        return false;
    case SeatSession::HandIn::Failed:
        break;
    }
    m_context.messages().failure(QStringLiteral("试卷没有交上,答案都还在,请再交卷"), m_seat->error());
    return false;
}

void ExamPaperWindow::waitForQueuedHandIn()
{
    // Nothing more is answered; the seat stays on until the server has it.
    m_seconds.stop();
    m_pane.view().answerTabs->setEnabled(false);
    showSeatNote();
    m_context.messages().notice(kQueuedMessage);
}

void ExamPaperWindow::finishHandIn(const QString &why, const QString &note)
{
    m_ended = true;
    m_seconds.stop();
    m_heartbeat.stop();
    const int total = m_paper.total();
    const int answered = m_paper.answered();
    close();
    QString done = why + QStringLiteral("交卷完毕,共 %1 题,已答 %2 题").arg(total).arg(answered);
    if (const QString stuck = m_seat->journalError(); !stuck.isEmpty())
        done += QStringLiteral("\n") + stuck;
    m_context.messages().notice(note.isEmpty() ? done : note + QStringLiteral("\n") + done);
}

void ExamPaperWindow::showTimeLeft(qint64 seconds)
{
    Shell *shell = m_context.shell;
    if (!shell)
        return;
    shell->setStatusText(2, remainingTimeText(seconds));
    // A screen reader hears the time left only as it passes 10, 5 and 1
    // minutes, not every second.
    for (qint64 mark : {600, 300, 60})
        if (m_shownSeconds > mark && seconds <= mark)
            shell->announceStatus(2);
    m_shownSeconds = seconds;
}

void ExamPaperWindow::fillOverview()
{
    m_overview->setRowCount(1 + kQuestionTypeCount);
    for (QuestionType type : allQuestionTypes()) {
        const int row = 1 + typeIndex(type);
        const std::vector<int> open = m_paper.unansweredIndexes(type);
        const int done = m_paper.partSize(type) - int(open.size());
        m_overview->setText(row, 1, typeCaption(type));
        m_overview->setText(row, 2, QStringLiteral("%1/%2").arg(done).arg(m_paper.partSize(type)));
        m_overview->setText(row, 3, positionsText(open));
    }
}

void ExamPaperWindow::jumpToOverviewRow(int row)
{
    const std::optional<QuestionType> type = typeAt(row - 1);
    if (!type || m_paper.partSize(*type) == 0)
        return;
    // To the bank's first unanswered question, else its first.
    const std::vector<int> open = m_paper.unansweredIndexes(*type);
    const int index = open.empty() ? 0 : open.front();
    keepShownAnswer();
    m_pane.numberBox(*type)->setText(QString::number(index + 1));
    m_pane.view().questionTabs->setCurrentIndex(TextPage);
    if (m_pane.view().answerTabs->currentIndex() != typeIndex(*type))
        m_pane.view().answerTabs->setCurrentIndex(typeIndex(*type)); // loads the question
    else
        m_pane.load();
}

void ExamPaperWindow::keyPressEvent(QKeyEvent *event)
{
    // Esc does not close a paper: only a hand-in does.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    TaskWindow::keyPressEvent(event);
}

void ExamPaperWindow::closeEvent(QCloseEvent *event)
{
    // Ended without hand-in (the program closes): what is typed is kept too.
    if (!m_ended)
        keepShownAnswer();
    m_seconds.stop();
    m_heartbeat.stop();
    m_probe.giveUp();
    if (m_locked) {
        m_locked = false;
        if (Shell *shell = m_context.shell) {
            shell->lockForPaper(false);
            shell->setStatusText(2, QString());
            shell->setStatusText(kTimeNotePart, QString());
        }
    }
    TaskWindow::closeEvent(event);
}

void ExamPaperWindow::resizeEvent(QResizeEvent *event)
{
    TaskWindow::resizeEvent(event);
    m_pane.adaptToSize(size());
    m_overview->resize(qMax(width() - 40, 0), qMax(height() - 260, 0));
}

} // namespace kaoshi
