#include "exam/PaperOrder.h"

#include "data/BankTable.h"
#include "exam/ExamPaper.h"
#include "exam/OptionOrder.h"
#include "practice/QuestionLayout.h"

#include <QRandomGenerator>
#include <algorithm>
#include <map>

namespace kaoshi {

bool PaperOrder::movesAny() const
{
    return std::any_of(m_orders.begin(), m_orders.end(), [](const QList<int> &order) { return !order.isEmpty(); });
}

QList<int> PaperOrder::orderFor(int position, const Question &question) const
{
    if (position < 0 || size_t(position) >= m_orders.size())
        return {};
    const QList<int> &order = m_orders[size_t(position)];
    if (order.isEmpty() || !optionsMayMove(question.type, question.text, question.answer) ||
        !orderFits(order, int(splitQuestionText(question.text).options.size())))
        return {};
    return order;
}

QString PaperOrder::shownText(int position, const Question &question) const
{
    const QList<int> order = orderFor(position, question);
    if (order.isEmpty())
        return shownQuestionText(question.text);
    const QuestionParts parts = splitQuestionText(question.text);
    return parts.stem + QStringLiteral("\n\n") + optionsInOrder(parts.options, order).join(u'\n');
}

QString PaperOrder::shownAnswer(int position, const Question &question, const QString &ownLetters) const
{
    return shownLettersOf(orderFor(position, question), ownLetters);
}

QString PaperOrder::ownAnswer(int position, const Question &question, const QString &shownLetters) const
{
    return ownLettersOf(orderFor(position, question), shownLetters);
}

PaperOrderDraw drawOptionOrders(DataStore &store, const ExamPaper &paper, QRandomGenerator &generator)
{
    PaperOrderDraw draw;
    std::vector<QList<int>> orders(size_t(paper.total()));
    for (const QuestionType type : allQuestionTypes()) {
        if (!hasOptions(type) || paper.partSize(type) == 0)
            continue;
        const auto read = bank::questionsByNumber(store, type, paper.part(type));
        if (!read) {
            draw.failed = true;
            return draw;
        }
        std::map<qint64, const QuestionValues *> byNumber;
        for (const bank::NumberedQuestion &question : *read)
            byNumber.emplace(question.number, &question.values);
        for (int index = 0; index < paper.partSize(type); ++index) {
            const auto found = byNumber.find(paper.part(type)[size_t(index)]);
            if (found == byNumber.end() || !optionsMayMove(type, found->second->text, found->second->answer))
                continue;
            const int count = int(splitQuestionText(found->second->text).options.size());
            orders[size_t(paper.position(type, index))] = shuffledOptionOrder(count, generator);
        }
    }
    draw.order = PaperOrder(std::move(orders));
    return draw;
}

} // namespace kaoshi
