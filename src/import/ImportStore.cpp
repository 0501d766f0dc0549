#include "import/ImportStore.h"

#include "data/DataStore.h"


namespace kaoshi {

ImportRun::ImportRun(DataStore &store, bank::QuestionTextIndex &texts, QuestionType type)
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
    if (!m_unit->isOpen())
        return fail();
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
        // Each slice follows the highest 题号 so far, the slices before it
        // included, so the file's order is kept.
        if (!bank::appendQuestions(m_store, m_preview.type(), chosen))
            return fail();
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
