#include "import/ImportStore.h"

#include "data/DataStore.h"

#include <limits>

namespace kaoshi {

ImportRun::ImportRun(DataStore &store, bank::QuestionTextIndex &texts, const QString &type)
    : m_store(store), m_texts(texts), m_preview(type)
{
}

ImportRun::~ImportRun() = default;

bool ImportRun::fail()
{
    if (m_failure.isEmpty())
        m_failure = m_store.errorString();
    m_unit.reset(); // rolls back whatever was stored
    return false;
}

bool ImportRun::beginStore(bool includeDuplicates)
{
    m_includeDuplicates = includeDuplicates;
    m_unit = std::make_unique<Transaction>(m_store);
    // The highest number is read inside the unit, so the new numbers follow it.
    const std::optional<qint64> highest = m_unit->isOpen() ? bank::maxNumber(m_store, m_preview.type()) : std::nullopt;
    if (!highest)
        return fail();
    m_nextNumber = *highest + 1;
    return true;
}

bool ImportRun::take(const std::vector<RawQuestion> &questions)
{
    if (!m_failure.isEmpty())
        return false;
    std::vector<PreviewRow> rows;
    rows.reserve(questions.size());
    QStringList candidates;
    for (const RawQuestion &question : questions) {
        rows.push_back(checkQuestion(m_preview.type(), question));
        if (rows.back().status == RowStatus::Ready)
            candidates << rows.back().values.text;
    }
    const std::optional<QSet<QString>> present = m_texts.present(candidates);
    if (!present)
        return fail();
    std::vector<QuestionValues> chosen;
    for (PreviewRow &row : rows) {
        if (row.status == RowStatus::Ready && present->contains(row.values.text))
            row.status = RowStatus::Duplicate;
        if (m_unit && (row.status == RowStatus::Ready || (m_includeDuplicates && row.status == RowStatus::Duplicate)))
            chosen.push_back(row.values);
    }
    if (!chosen.empty()) {
        if (m_nextNumber > std::numeric_limits<qint64>::max() - qint64(chosen.size())) {
            m_failure = QStringLiteral("题号已到最大值，不能再添加题目");
            return fail();
        }
        if (!bank::insertQuestions(m_store, m_preview.type(), m_nextNumber, chosen))
            return fail();
        m_nextNumber += qint64(chosen.size());
        m_stored += qint64(chosen.size());
    }
    for (PreviewRow &row : rows)
        m_preview.add(std::move(row));
    return true;
}

StoreOutcome ImportRun::finishStore(const ImportPreview &previewed)
{
    StoreOutcome outcome;
    if (m_unit && !m_preview.sameCounts(previewed))
        m_failure = QStringLiteral("文件在预览之后有了改动，请重新选择文件再导入");
    if (!m_failure.isEmpty() || !m_unit) {
        fail();
        outcome.reason = m_failure;
        return outcome;
    }
    if (!m_unit->commit()) {
        m_failure = m_unit->error().message;
        fail();
        outcome.reason = m_failure;
        return outcome;
    }
    m_unit.reset();
    outcome.stored = true;
    outcome.count = m_stored;
    return outcome;
}

} // namespace kaoshi
