#include "print/PageSequence.h"

namespace kaoshi {

PageSequence::PageSequence(std::vector<std::unique_ptr<PageSource>> parts) : m_parts(std::move(parts)) {}

QPageLayout PageSequence::pageLayout() const { return m_parts.front()->pageLayout(); }

int PageSequence::pagesOf(size_t index) const
{
    return index < m_laying ? m_parts[index]->pageCount() : m_parts[index]->pagesKnown();
}

int PageSequence::pageCount() const
{
    int pages = 0;
    for (const auto &part : m_parts)
        pages += part->pageCount();
    m_laying = m_parts.size();
    return pages;
}

int PageSequence::pagesKnown() const
{
    // The parts laid out, and what is known of the one being laid out.
    int pages = 0;
    for (size_t i = 0; i < m_parts.size() && i <= m_laying; ++i)
        pages += pagesOf(i);
    return pages;
}

bool PageSequence::layOutMore(int milliseconds)
{
    while (m_laying < m_parts.size()) {
        if (m_parts[m_laying]->layOutMore(milliseconds))
            return true;
        ++m_laying;
        if (m_laying < m_parts.size())
            return true; // the next part's first pages are known now
    }
    return false;
}

void PageSequence::paintPage(QPainter &painter, int index) const
{
    for (size_t i = 0; i < m_parts.size(); ++i) {
        const int pages = pagesOf(i);
        if (index < pages) {
            m_parts[i]->paintPage(painter, index);
            return;
        }
        index -= pages;
    }
}

} // namespace kaoshi
