#include "exam/CandidateDialog.h"

#include "data/AnswerTable.h"
#include "ui/AppContext.h"
#include "ui/Controls.h"
#include "ui/DialogPlacement.h"
#include "ui/DropDownBox.h"
#include "ui/Shell.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kaoshi {

namespace {

constexpr QSize kDialogSize(436, 142);
const QRect kGroup(8, 6, 420, 82);
const QRect kStartButton(178, 98, 80, 32);
constexpr int kFieldTop = 36;
constexpr int kFieldHeight = 26;
constexpr int kLabelWidth = 32;

} // namespace

CandidateDialog::CandidateDialog(AppContext &context, QWidget *owner) : QDialog(owner), m_context(context)
{
    nameControl(this, QStringLiteral("考生信息"));
    setWindowTitle(QStringLiteral("考生信息"));
    setFixedSize(kDialogSize);
    setModal(true);

    auto *group = named(new QGroupBox(QStringLiteral("考生信息"), this), QStringLiteral("考生信息分组框"),
                        QStringLiteral("考生信息"));
    group->setGeometry(kGroup);

    // Three labelled fields side by side: 考号, 场次, 姓名.
    const int step = (kGroup.width() - 12) / 3;
    auto place = [&](const QString &caption, QWidget *field, int column) {
        const int left = 8 + column * step;
        auto *label = named(new QLabel(caption, group), caption + QStringLiteral("标签"), caption);
        label->setGeometry(left, kFieldTop, kLabelWidth, kFieldHeight);
        label->setBuddy(field);
        field->setGeometry(left + kLabelWidth, kFieldTop, step - kLabelWidth - 8, kFieldHeight);
    };
    m_number = named(new DropDownBox(group), QStringLiteral("考号组合框"), QStringLiteral("考号"));
    m_occasion = named(new DropDownBox(group), QStringLiteral("场次组合框"), QStringLiteral("场次"));
    m_name = named(new QLineEdit(group), QStringLiteral("姓名编辑框"), QStringLiteral("姓名"));
    place(QStringLiteral("考号"), m_number, 0);
    place(QStringLiteral("场次"), m_occasion, 1);
    place(QStringLiteral("姓名"), m_name, 2);

    m_start = named(new QPushButton(QStringLiteral("开始考试"), this), QStringLiteral("开始考试按钮"),
                    QStringLiteral("开始考试"));
    m_start->setGeometry(kStartButton);
    // Enter in any field signs in, as the button does.
    m_start->setAutoDefault(false);
    m_start->setDefault(true);

    connect(m_number, &DropDownBox::listAboutToOpen, this, &CandidateDialog::listNumbers);
    connect(m_occasion, &DropDownBox::listAboutToOpen, this, &CandidateDialog::listOccasions);
    connect(m_start, &QPushButton::clicked, this, &CandidateDialog::signIn);
}

void CandidateDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
    // Opened after the current task window has closed: connect afresh.
    if (!m_started) {
        m_started = true;
        m_context.reopenStore();
    }
}

void CandidateDialog::listNumbers() { m_number->setList(answerNumbers(m_context.store)); }

void CandidateDialog::listOccasions()
{
    const QString number = m_number->currentText();
    if (number.isEmpty())
        return;
    m_occasion->setList(answerOccasions(m_context.store, number));
}

void CandidateDialog::signIn()
{
    const QString number = m_number->currentText();
    const QString occasion = m_occasion->currentText();
    const QString name = m_name->text();
    if (number.isEmpty()) {
        m_context.messages().notice(QStringLiteral("请填考号"));
        return;
    }
    if (occasion.isEmpty()) {
        m_context.messages().notice(QStringLiteral("请填场次"));
        return;
    }
    if (name.isEmpty()) {
        m_context.messages().notice(QStringLiteral("请填姓名"));
        return;
    }
    // Looked up exactly as typed; signed in without spaces. A paper hands in
    // under the signed-in texts, so those are looked up too: typing a space
    // into a handed-in number must not open the same occasion again.
    const Candidate candidate = signedInCandidate(number, occasion, name);
    std::optional<qint64> answers = answerCount(m_context.store, number, occasion);
    if (answers && *answers == 0 && (candidate.number != number || candidate.occasion != occasion))
        answers = answerCount(m_context.store, candidate.number, candidate.occasion);
    if (!answers) {
        m_context.messages().failure(QStringLiteral("无法读取数据库,考生未登录"), m_context.store.lastError().message);
        return;
    }
    if (*answers != 0) {
        m_context.messages().notice(QStringLiteral("该考生该场次已交卷,想重新作答请换场次"));
        return;
    }
    m_candidate = candidate;
    if (Shell *shell = m_context.shell)
        shell->setStatusText(1, candidateStatusLine(candidate));
    accept();
}

} // namespace kaoshi
